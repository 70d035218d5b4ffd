#pragma once
// The decoders behind the table of encodings, one file per family; only the table and the
// detection use them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text_encoding.h"
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

// Each decoder reads a sequence at a time with a step(b, left) that takes the sequence at b, writes
// what it is, and returns its length; or, when the left bytes end inside it and more may follow,
// writes nothing and returns 0. The bytes of that sequence then wait in the state.
inline void Keep(DecoderState& state, const unsigned char* b, std::size_t left) {
    std::copy(b, b + left, state.pending);  // a cut sequence: at most kMostPending bytes
    state.count = left;
}

// Takes the sequence at b with step, or keeps it in the state where the piece ends inside it; returns
// the bytes it took either way.
template <typename Step>
std::size_t StepOrKeep(DecoderState& state, const unsigned char* b, std::size_t left, Step step) {
    const std::size_t length = step(b, left);
    if (length == 0) Keep(state, b, left);
    return length == 0 ? left : length;
}

// Reads the sequences begun in the state's bytes, across the edge into the piece, and returns where
// in the piece reading goes on: its size when the piece ends inside the sequence again.
template <typename Step>
std::size_t Resume(DecoderState& state, std::string_view piece, Step step) {
    if (state.count == 0) return 0;
    unsigned char joined[kMostPending + 4];  // a sequence begun in the state ends in these
    const std::size_t kept = state.count, size = kept + std::min<std::size_t>(piece.size(), 4);
    std::copy(state.pending, state.pending + kept, joined);
    std::memcpy(joined + kept, piece.data(), size - kept);
    state.count = 0;
    std::size_t pos = 0;
    while (pos < kept) {
        const std::size_t length = step(joined + pos, size - pos);
        if (length == 0) {  // a piece of fewer than four bytes, all of it in the sequence
            Keep(state, joined + pos, size - pos);
            return piece.size();
        }
        pos += length;
    }
    return pos - kept;
}

// UTF-8 and UTF-16 (unicode_decoders.cpp).
std::size_t DecodeUtf8(DecoderState& state, std::string_view piece, bool last, WideChar* out);
std::size_t DecodeUtf16(DecoderState& state, std::string_view piece, bool bigEndian, bool last, WideChar* out);

// How UTF-8 a file is, counted a piece at a time over all of it.
struct Utf8Tally {
    std::size_t multiByte = 0;  // well-formed sequences of more than one byte
    std::size_t broken = 0;     // sequences that are not UTF-8, but for one the file's end cuts off
    DecoderState state;         // a sequence the last piece's end cut off
};
// Counts the piece's sequences into tally; stops once more than mostBroken are broken.
void TallyUtf8(std::string_view piece, bool atEnd, Utf8Tally& tally, std::size_t mostBroken);

// The Chinese code pages (chinese_decoders.cpp), from the Encoding Standard's indexes.
std::size_t DecodeGb18030(DecoderState& state, std::string_view piece, bool last, WideChar* out);
std::size_t DecodeBig5(DecoderState& state, std::string_view piece, bool last, WideChar* out);
