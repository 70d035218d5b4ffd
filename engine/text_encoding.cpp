#include "text_encoding.h"

#include <iterator>

#include "decoders.h"

namespace {

const EncodingInfo kRows[] = {
    {"GB18030", {}, true, HeldBackGb18030, DecodeGb18030},
    {"Big5", {}, true, HeldBackBig5, DecodeBig5},
    {"UTF-8", "\xEF\xBB\xBF", false, HeldBackUtf8, DecodeUtf8},
    {"UTF-16LE", "\xFF\xFE", false, [](std::string_view p) { return HeldBackUtf16(p, false); },
     [](std::string_view b, WideChar* out) { return DecodeUtf16(b, false, out); }},
    {"UTF-16BE", "\xFE\xFF", false, [](std::string_view p) { return HeldBackUtf16(p, true); },
     [](std::string_view b, WideChar* out) { return DecodeUtf16(b, true, out); }},
};
static_assert(std::size(kRows) == std::size(kEncodings), "one row for each encoding, in its order");

bool HasZeroByte(std::uint64_t word) { return (word - kOnes) & ~word & kHighs; }

}  // namespace

const EncodingInfo& Info(TextEncoding encoding) { return kRows[static_cast<int>(encoding)]; }

std::size_t FindZeroOrCtrlZ(std::string_view bytes) {
    std::size_t i = 0;  // eight bytes at a time: Wine's memchr goes one by one
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint64_t word = Word(&bytes[i]);
        if (HasZeroByte(word) || HasZeroByte(word ^ (kOnes * 0x1A))) break;
    }
    while (i < bytes.size() && bytes[i] != '\0' && bytes[i] != '\x1A') ++i;
    return i;
}
