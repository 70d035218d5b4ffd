// The Encoding Standard's gb18030 and big5 decoders, a sequence at a time, over its own indexes:
// the same code and tables on every platform, so every build reads every byte alike.
#include <algorithm>
#include <iterator>

#include "decoders.h"
#include "gb18030_ranges.h"
#include "index_big5.h"
#include "index_gb18030.h"

namespace {

constexpr char32_t kNone = 0xFFFFFFFF;  // no character: the sequence becomes one U+FFFD

bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsDigit(unsigned char b) { return b >= 0x30 && b <= 0x39; }

// What the sequence at the front of the bytes reads as.
struct Read {
    std::size_t length;  // bytes taken; 0 when the bytes end inside a sequence
    char32_t first;      // its character, or kNone
    char32_t second = kNone;  // a second character: four Big5 pairs stand for two
};

// The code point of the four-byte sequence at b: the index gb18030 ranges and their special cases.
char32_t FourBytes(const unsigned char* b) {
    const std::uint32_t pointer = ((b[0] - 0x81u) * 10 + (b[1] - 0x30u)) * 1260 + (b[2] - 0x81u) * 10 + (b[3] - 0x30u);
    if ((pointer > 39419 && pointer < 189000) || pointer > 1237575) return kNone;
    if (pointer == 7457) return 0xE7C7;
    const Gb18030Range* range = std::prev(std::upper_bound(
        std::begin(kGb18030Ranges), std::end(kGb18030Ranges), pointer,
        [](std::uint32_t p, const Gb18030Range& r) { return p < r.pointer; }));
    return range->codePoint + (pointer - range->pointer);
}

// Bytes that break a sequence are given back to be read again when they are ASCII, and kept in the
// U+FFFD otherwise, as the standard's decoders do.
Read Broken(unsigned char next) { return {next < 0x80 ? std::size_t{1} : std::size_t{2}, kNone}; }

// Where a second byte stands in its lead's row, or kNoTrail: one look-up in place of range tests,
// which the mix of low and high second bytes in real text keeps the processor guessing at.
constexpr unsigned char kNoTrail = 0xFF;
struct TrailPlaces {
    unsigned char place[256];
};
constexpr TrailPlaces MakeTrailPlaces(bool big5) {
    TrailPlaces t{};
    for (int b = 0; b < 256; ++b) {
        const bool low = b >= 0x40 && b <= 0x7E;
        const bool high = big5 ? b >= 0xA1 && b <= 0xFE : b >= 0x80 && b <= 0xFE;
        t.place[b] = static_cast<unsigned char>(low ? b - 0x40 : high ? b - (big5 ? 0x62 : 0x41) : kNoTrail);
    }
    return t;
}
constexpr TrailPlaces kGb18030Trails = MakeTrailPlaces(false);  // 190 a row
constexpr TrailPlaces kBig5Trails = MakeTrailPlaces(true);      // 157 a row

// The character of a lead byte and the byte after it, or 0 where they are something else: a
// four-byte sequence's start, no character, or one of Big5's pairs for two. Most of any text, so
// small enough to be inlined where the bytes are walked.
char32_t Gb18030Pair(unsigned char lead, unsigned char trail) {
    const unsigned place = kGb18030Trails.place[trail];
    return place == kNoTrail ? 0 : kIndexGb18030[(lead - 0x81u) * 190 + place];  // the index has no gaps
}

char32_t Big5Pair(unsigned char lead, unsigned char trail) {
    const unsigned place = kBig5Trails.place[trail];
    return place == kNoTrail ? 0 : kIndexBig5[(lead - 0x81u) * 157 + place];  // 0 where the index has none
}

Read ReadGb18030(const unsigned char* b, std::size_t left) {
    if (b[0] < 0x80) return {1, b[0]};
    if (b[0] == 0x80) return {1, 0x20AC};
    if (b[0] == 0xFF) return {1, kNone};
    if (left < 2) return {0, kNone};
    if (IsDigit(b[1])) {  // lead, digit, lead, digit
        if (left < 3) return {0, kNone};
        if (!IsLead(b[2])) return {1, kNone};  // the digit and what follows are read again
        if (left < 4) return {0, kNone};
        if (!IsDigit(b[3])) return {1, kNone};
        return {4, FourBytes(b)};
    }
    const char32_t codePoint = Gb18030Pair(b[0], b[1]);
    return codePoint != 0 ? Read{2, codePoint} : Broken(b[1]);
}

Read ReadBig5(const unsigned char* b, std::size_t left) {
    if (b[0] < 0x80) return {1, b[0]};
    if (!IsLead(b[0])) return {1, kNone};
    if (left < 2) return {0, kNone};
    if (const char32_t codePoint = Big5Pair(b[0], b[1])) return {2, codePoint};
    const unsigned place = kBig5Trails.place[b[1]];
    switch (place == kNoTrail ? 0 : (b[0] - 0x81u) * 157 + place) {  // a letter and a combining mark
    case 1133: return {2, 0x00CA, 0x0304};
    case 1135: return {2, 0x00CA, 0x030C};
    case 1164: return {2, 0x00EA, 0x0304};
    case 1166: return {2, 0x00EA, 0x030C};
    default: return Broken(b[1]);
    }
}

template <Read (*ReadOne)(const unsigned char*, std::size_t), char32_t (*Pair)(unsigned char, unsigned char)>
std::size_t Decode(DecoderState& state, std::string_view bytes, bool last, WideChar* out) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    WideChar* const first = out;
    const auto step = [&out, last](const unsigned char* at, std::size_t left) -> std::size_t {
        const Read r = ReadOne(at, left);
        if (r.length == 0) {  // the bytes end inside a sequence: at the last piece, one U+FFFD for it
            if (!last) return 0;
            *out++ = kReplacement;
            return left;
        }
        out = Put(r.first != kNone ? r.first : kReplacement, out);
        if (r.second != kNone) out = Put(r.second, out);
        return r.length;
    };
    for (std::size_t i = Resume(state, bytes, step); i < n;) {
        // Most of a text is ASCII and the common pairs, read here without the rest of the sequence
        // rules, writing through `to`: the step takes `out` by reference, which keeps `out` in memory.
        WideChar* to = out;
        while (i < n) {
            while (i + 1 < n && IsLead(b[i])) {  // two tests and two look-ups a character
                const char32_t codePoint = Pair(b[i], b[i + 1]);
                if (codePoint == 0) break;
                to = Put(codePoint, to);
                i += 2;
            }
            if (i == n || b[i] >= 0x80) break;
            if (i + 8 <= n && IsAsciiRun(bytes.data() + i)) {  // looked for only where ASCII starts
                to = std::copy(b + i, b + i + 8, to);
                i += 8;
            } else {
                *to++ = b[i++];
            }
        }
        out = to;
        if (i < n) i += StepOrKeep(state, b + i, n - i, step);
    }
    return static_cast<std::size_t>(out - first);
}

}  // namespace

std::size_t DecodeGb18030(DecoderState& state, std::string_view piece, bool last, WideChar* out) {
    return Decode<ReadGb18030, Gb18030Pair>(state, piece, last, out);
}
std::size_t DecodeBig5(DecoderState& state, std::string_view piece, bool last, WideChar* out) {
    return Decode<ReadBig5, Big5Pair>(state, piece, last, out);
}
