#include "text_encoding.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr WideChar kReplacement = 0xFFFD;

struct Sequence {
    char32_t codePoint;  // kInvalid for a sequence that is not well-formed
    std::size_t length;  // bytes taken, at least one
};

// Reads the UTF-8 sequence at pos. The second-byte ranges shut out overlong forms (E0, F0),
// surrogates (ED) and code points above U+10FFFF (F4); an ill-formed sequence takes its longest
// well-formed prefix, so decoding resumes at the byte that broke it.
Sequence ReadUtf8(std::string_view bytes, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80) return {lead, 1};
    std::size_t trailing = 0;
    char32_t codePoint = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        codePoint = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {kInvalid, 1};
    }
    std::size_t length = 1;
    for (; length <= trailing; ++length) {
        if (pos + length >= bytes.size()) return {kInvalid, length};
        const auto next = static_cast<unsigned char>(bytes[pos + length]);
        if (next < low || next > high) return {kInvalid, length};
        codePoint = (codePoint << 6) | (next & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {codePoint, length};
}

bool IsAsciiRun(const char* eight) {
    std::uint64_t word;
    std::memcpy(&word, eight, sizeof word);
    return (word & 0x8080808080808080u) == 0;
}

std::size_t Utf16Length(char32_t codePoint) { return codePoint != kInvalid && codePoint > 0xFFFF ? 2 : 1; }

}  // namespace

DetectedEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return {TextEncoding::Utf8, 3};
    if (bytes.substr(0, 2) == "\xFF\xFE") return {TextEncoding::Utf16LE, 2};
    if (bytes.substr(0, 2) == "\xFE\xFF") return {TextEncoding::Utf16BE, 2};
    // Code page 936 text breaks UTF-8 rules within a few characters, so this pass ends early on it.
    bool multiByte = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (pos + 8 <= bytes.size() && IsAsciiRun(bytes.data() + pos)) {
            pos += 8;  // mostly-ASCII files are scanned to their end, so skip plain runs quickly
            continue;
        }
        const Sequence s = ReadUtf8(bytes, pos);
        if (s.codePoint == kInvalid) return {TextEncoding::CodePage936, 0};
        multiByte = multiByte || s.length > 1;
        pos += s.length;
    }
    return {multiByte ? TextEncoding::Utf8 : TextEncoding::CodePage936, 0};
}

WideString DecodeUtf8(std::string_view bytes) {
    // Counted first, so the text is allocated once at its final size.
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Sequence s = ReadUtf8(bytes, pos);
        units += Utf16Length(s.codePoint);
        pos += s.length;
    }
    WideString text(units, WideChar{});
    std::size_t out = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Sequence s = ReadUtf8(bytes, pos);
        if (s.codePoint == kInvalid) {
            text[out++] = kReplacement;
        } else if (s.codePoint > 0xFFFF) {
            const char32_t v = s.codePoint - 0x10000;
            text[out++] = static_cast<WideChar>(0xD800 + (v >> 10));
            text[out++] = static_cast<WideChar>(0xDC00 + (v & 0x3FF));
        } else {
            text[out++] = static_cast<WideChar>(s.codePoint);
        }
        pos += s.length;
    }
    return text;
}

WideString DecodeUtf16(std::string_view bytes, bool bigEndian) {
    const std::size_t count = bytes.size() / 2;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    // Every unit in gives one unit out, and an odd last byte one U+FFFD.
    WideString text(count + bytes.size() % 2, kReplacement);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t u = unit(i);
        if (IsHighSurrogate(u) && i + 1 < count && IsLowSurrogate(unit(i + 1))) {
            text[i] = static_cast<WideChar>(u);
            text[i + 1] = static_cast<WideChar>(unit(i + 1));
            ++i;
        } else if (!IsHighSurrogate(u) && !IsLowSurrogate(u)) {
            text[i] = static_cast<WideChar>(u);
        }
    }
    return text;
}
