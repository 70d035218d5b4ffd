#pragma once
// The decoders behind the table of encodings, one file per family; only the table and the
// detection use them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "wide_text.h"

constexpr WideChar kReplacement = 0xFFFD;

// Writes a code point as one UTF-16 unit, or as a surrogate pair beyond U+FFFF.
inline WideChar* Put(char32_t codePoint, WideChar* out) {
    if (codePoint <= 0xFFFF) {
        *out++ = static_cast<WideChar>(codePoint);
    } else {
        const char32_t v = codePoint - 0x10000;
        *out++ = static_cast<WideChar>(0xD800 + (v >> 10));
        *out++ = static_cast<WideChar>(0xDC00 + (v & 0x3FF));
    }
    return out;
}

// Eight bytes at a time: the scans see every byte of a file.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighs = kOnes * 0x80;

inline std::uint64_t Word(const char* eight) {
    std::uint64_t word;
    std::memcpy(&word, eight, sizeof word);
    return word;
}

inline bool IsAsciiRun(const char* eight) { return (Word(eight) & kHighs) == 0; }

inline bool EndsInCr(std::string_view piece) { return !piece.empty() && piece.back() == '\r'; }

// UTF-8 and UTF-16 (unicode_decoders.cpp).
std::size_t DecodeUtf8(std::string_view bytes, WideChar* out);
std::size_t HeldBackUtf8(std::string_view piece);
std::size_t DecodeUtf16(std::string_view bytes, bool bigEndian, WideChar* out);
std::size_t HeldBackUtf16(std::string_view piece, bool bigEndian);

// How UTF-8 a file is, counted a piece at a time over all of it.
struct Utf8Tally {
    std::size_t multiByte = 0;  // well-formed sequences of more than one byte
    std::size_t broken = 0;     // sequences that are not UTF-8, but for one the file's end cuts off
};
// Counts the piece's sequences into tally and returns the bytes it took: without atEnd, a sequence
// that the piece's end cuts off is left for the next piece. Stops once more than mostBroken are broken.
std::size_t TallyUtf8(std::string_view piece, bool atEnd, Utf8Tally& tally, std::size_t mostBroken);

// The Chinese code pages (chinese_decoders.cpp), from the Encoding Standard's indexes.
std::size_t DecodeGb18030(std::string_view bytes, WideChar* out);
std::size_t HeldBackGb18030(std::string_view piece);
std::size_t DecodeBig5(std::string_view bytes, WideChar* out);
std::size_t HeldBackBig5(std::string_view piece);
