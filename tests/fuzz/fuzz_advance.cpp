// Advance on any text, at any of the four segment lengths, from any offset, several calls in a row.
// Input: byte 0 picks the segment length (bits 0-1), the text's encoding (bit 2) and whether the
// offset is taken as it is or folded into the text (bit 3); byte 1 the number of calls; bytes 2-5
// the offset; the rest the text.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

namespace {

// Units that matter to the cutting rules, so that short inputs still hit line breaks and pairs.
constexpr WideChar kAlphabet[16] = {u'\n', u'\r', 0xD83D, 0xDE00, u'\n', u'a', u'b', u'c',
                                    u' ',  u'x', 0x4E2D, 0x6587, 0xFF0C, u'1', 0xD800, 0xDBFF};

WideString TextFrom(const std::uint8_t* data, std::size_t size, bool spelled) {
    WideString text;
    if (spelled) {
        for (std::size_t i = 0; i < size; ++i) text += kAlphabet[data[i] & 15];
    } else {
        for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<WideChar>(data[i] | data[i + 1] << 8);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    const std::int32_t segmentLength = fuzz::kSegmentLengths[data[0] & 3];
    const bool spelled = data[0] & 4;
    const bool rawOffset = data[0] & 8;
    const int calls = 1 + data[1] % 32;
    std::uint32_t offset = data[2] | data[3] << 8 | data[4] << 16 | static_cast<std::uint32_t>(data[5]) << 24;

    ReadingCursor cursor;
    cursor.text = TextFrom(data + 6, size - 6, spelled);
    // A raw offset is mostly past the end, as a shorter load leaves it; a folded one lands anywhere.
    cursor.offset = rawOffset ? offset : offset % (cursor.text.size() + 2);
    for (int i = 0; i < calls; ++i) fuzz::CheckedAdvance(cursor, segmentLength);
    return 0;
}
