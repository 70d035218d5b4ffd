#include "text_encoding.h"

#include <iterator>

#include "decoders.h"

namespace {

constexpr EncodingInfo kRows[] = {
    {TextEncoding::Gb18030, "GB18030", {}, true, DecodeGb18030},
    {TextEncoding::Big5, "Big5", {}, true, DecodeBig5},
    {TextEncoding::Utf8, "UTF-8", "\xEF\xBB\xBF", false, DecodeUtf8},
    {TextEncoding::Utf16LE, "UTF-16LE", "\xFF\xFE", false,
     [](DecoderState& s, std::string_view b, bool last, WideChar* out) { return DecodeUtf16(s, b, false, last, out); }},
    {TextEncoding::Utf16BE, "UTF-16BE", "\xFE\xFF", false,
     [](DecoderState& s, std::string_view b, bool last, WideChar* out) { return DecodeUtf16(s, b, true, last, out); }},
};

constexpr bool EachRowAtItsEncoding() {
    if (std::size(kRows) != std::size(kEncodings)) return false;
    for (std::size_t i = 0; i < std::size(kRows); ++i)
        if (kRows[i].encoding != kEncodings[i] || static_cast<std::size_t>(kEncodings[i]) != i) return false;
    return true;
}
static_assert(EachRowAtItsEncoding(), "one row for each encoding, at the encoding's own index");

// Whether any byte is below `below`, at most 0x80.
bool HasByteBelow(std::uint64_t word, unsigned below) { return (word - kOnes * below) & ~word & kHighs; }
bool HasZeroByte(std::uint64_t word) { return HasByteBelow(word, 1); }

}  // namespace

const EncodingInfo& Info(TextEncoding encoding) { return kRows[static_cast<int>(encoding)]; }

std::size_t FindZeroOrCtrlZ(std::string_view bytes) {
    std::size_t i = 0;  // eight bytes at a time: Wine's memchr goes one by one
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint64_t word = Word(&bytes[i]);
        // Most words hold no control character at all: one test for those, and a line's end now and then.
        if (HasByteBelow(word, 0x1B) && (HasZeroByte(word) || HasZeroByte(word ^ (kOnes * 0x1A)))) break;
    }
    while (i < bytes.size() && bytes[i] != '\0' && bytes[i] != '\x1A') ++i;
    return i;
}
