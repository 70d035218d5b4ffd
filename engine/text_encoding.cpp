#include "text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform_text.h"

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr WideChar kReplacement = 0xFFFD;

struct Sequence {
    char32_t codePoint;  // kInvalid for a sequence that is not well-formed
    std::size_t length;  // bytes taken, at least one
    bool cut = false;    // well-formed as far as it goes, but the bytes end inside it
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
        if (pos + length >= bytes.size()) return {kInvalid, length, true};
        const auto next = static_cast<unsigned char>(bytes[pos + length]);
        if (next < low || next > high) return {kInvalid, length};
        codePoint = (codePoint << 6) | (next & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {codePoint, length};
}

// Eight bytes at a time: the scans below see every byte of a file.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighs = kOnes * 0x80;

std::uint64_t Word(const char* eight) {
    std::uint64_t word;
    std::memcpy(&word, eight, sizeof word);
    return word;
}

bool HasZeroByte(std::uint64_t word) { return (word - kOnes) & ~word & kHighs; }

bool IsAsciiRun(const char* eight) { return (Word(eight) & kHighs) == 0; }

// A three-byte sequence whose lead needs no narrower range for its second byte (not E0 or ED).
bool IsPlainThreeBytes(std::string_view bytes, std::size_t pos) {
    if (pos + 3 > bytes.size()) return false;
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    return (lead & 0xF0) == 0xE0 && lead != 0xE0 && lead != 0xED && (bytes[pos + 1] & 0xC0) == 0x80 &&
           (bytes[pos + 2] & 0xC0) == 0x80;
}

bool IsLead936(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail936(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Eight ASCII bytes, or eight from 0x81 to 0xFE (four whole pairs): the common runs, passed at once.
bool IsPlainRun936(std::uint64_t word) {
    const std::uint64_t highs = word & kHighs;
    return highs == 0 || (highs == kHighs && !HasZeroByte(word ^ kHighs) && !HasZeroByte(~word));
}

// Code page 936 one sequence at a time, for pieces the platform could not convert whole: runs of
// well-formed sequences still go to the platform together, and only a run it refuses is split.
std::size_t Read936Sequences(std::string_view bytes, WideChar* out) {
    WideChar* const first = out;
    const std::size_t n = bytes.size();
    const auto byte = [bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    // The length of the well-formed sequence at pos, or 0 where none starts.
    const auto length = [&](std::size_t pos) -> std::size_t {
        if (byte(pos) == 0xFF) return 0;
        if (!IsLead936(byte(pos))) return 1;
        return pos + 1 < n && IsTrail936(byte(pos + 1)) ? 2 : 0;
    };
    constexpr std::size_t kRun = 256;
    for (std::size_t pos = 0; pos < n;) {
        std::size_t end = pos;
        for (std::size_t step; end < n && end - pos < kRun && (step = length(end)) > 0;) end += step;
        if (end == pos) {  // 0xFF, or a lead byte at the end or before a byte that cannot follow it
            *out++ = kReplacement;
            ++pos;
            continue;
        }
        const std::size_t units = ConvertMapped936(bytes.substr(pos, end - pos), out);
        if (units != kNotMapped) {
            out += units;
            pos = end;
            continue;
        }
        while (pos < end) {
            const std::size_t step = length(pos);
            const std::size_t one = ConvertMapped936(bytes.substr(pos, step), out);
            if (one != kNotMapped) {
                out += one;
                pos += step;
            } else {
                *out++ = kReplacement;
                // An ASCII second byte of a pair that is no character is read again on its own.
                pos += step == 2 && byte(pos + 1) < 0x80 ? 1 : step;
            }
        }
    }
    return static_cast<std::size_t>(out - first);
}

std::size_t ReadUtf8Sequences(std::string_view bytes, WideChar* out) {
    WideChar* const first = out;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Sequence s = ReadUtf8(bytes, pos);
        if (s.codePoint == kInvalid) {
            *out++ = kReplacement;
        } else if (s.codePoint > 0xFFFF) {
            const char32_t v = s.codePoint - 0x10000;
            *out++ = static_cast<WideChar>(0xD800 + (v >> 10));
            *out++ = static_cast<WideChar>(0xDC00 + (v & 0x3FF));
        } else {
            *out++ = static_cast<WideChar>(s.codePoint);
        }
        pos += s.length;
    }
    return static_cast<std::size_t>(out - first);
}

}  // namespace

std::size_t FindZeroOrCtrlZ(std::string_view bytes) {
    std::size_t i = 0;  // eight bytes at a time: Wine's memchr goes one by one
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint64_t word = Word(&bytes[i]);
        if (HasZeroByte(word) || HasZeroByte(word ^ (kOnes * 0x1A))) break;
    }
    while (i < bytes.size() && bytes[i] != '\0' && bytes[i] != '\x1A') ++i;
    return i;
}

bool IsWellFormed936(std::string_view bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        if (i + 8 <= n && IsPlainRun936(Word(&bytes[i]))) {
            i += 8;
        } else if (b[i] <= 0x80) {
            ++i;
        } else if (b[i] != 0xFF && i + 1 < n && IsTrail936(b[i + 1])) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

DetectedEncoding DetectMark(std::string_view start) {
    if (start.substr(0, 3) == "\xEF\xBB\xBF") return {TextEncoding::Utf8, 3};
    if (start.substr(0, 2) == "\xFF\xFE") return {TextEncoding::Utf16LE, 2};
    if (start.substr(0, 2) == "\xFE\xFF") return {TextEncoding::Utf16BE, 2};
    return {TextEncoding::CodePage936, 0};
}

Utf8Check CheckUtf8(std::string_view bytes, bool atEnd) {
    Utf8Check check{0, false, false};
    std::size_t& pos = check.valid;
    while (pos < bytes.size()) {
        if (pos + 8 <= bytes.size() && IsAsciiRun(bytes.data() + pos)) {
            pos += 8;  // mostly-ASCII files are scanned to their end, so skip plain runs quickly
            continue;
        }
        if (IsPlainThreeBytes(bytes, pos)) {
            pos += 3;  // most Chinese characters: checked at a glance
            check.multiByte = true;
            continue;
        }
        const Sequence s = ReadUtf8(bytes, pos);
        if (s.codePoint == kInvalid) {
            check.broken = atEnd || !s.cut;
            break;
        }
        check.multiByte = check.multiByte || s.length > 1;
        pos += s.length;
    }
    return check;
}

DetectedEncoding DetectEncoding(std::string_view bytes) {
    const DetectedEncoding marked = DetectMark(bytes);
    if (marked.markLength > 0) return marked;
    // Code page 936 text breaks UTF-8 rules within a few characters, so this pass ends early on it.
    const Utf8Check check = CheckUtf8(bytes, true);
    return {!check.broken && check.multiByte ? TextEncoding::Utf8 : TextEncoding::CodePage936, 0};
}

std::size_t HeldBack(std::string_view piece, TextEncoding encoding) {
    const std::size_t n = piece.size();
    const auto at = [&piece](std::size_t i) { return static_cast<unsigned char>(piece[i]); };
    switch (encoding) {
    case TextEncoding::CodePage936: {
        if (n > 0 && at(n - 1) == '\r') return 1;
        // Lead-range bytes pair up from the last byte that cannot be a lead; an odd one out waits.
        std::size_t run = 0;
        while (run < n && IsLead936(at(n - 1 - run))) ++run;
        return run % 2;
    }
    case TextEncoding::Utf8: {
        if (n > 0 && at(n - 1) == '\r') return 1;
        for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
            if (at(n - back) < 0x80) return 0;
            if (at(n - back) >= 0xC0) {
                const std::size_t length = at(n - back) >= 0xF0 ? 4 : at(n - back) >= 0xE0 ? 3 : 2;
                return length > back ? back : 0;
            }
        }
        return 0;
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const std::size_t odd = n % 2;
        if (n - odd < 2) return odd;
        const bool big = encoding == TextEncoding::Utf16BE;
        const char32_t last = big ? at(n - odd - 2) << 8 | at(n - odd - 1) : at(n - odd - 1) << 8 | at(n - odd - 2);
        return odd + (IsHighSurrogate(last) || last == u'\r' ? 2 : 0);
    }
    }
    return 0;
}

std::size_t DecodeUtf16(std::string_view bytes, bool bigEndian, WideChar* out) {
    const std::size_t count = bytes.size() / 2;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    // Every unit in gives one unit out, and an odd last byte one U+FFFD.
    std::fill(out, out + count + bytes.size() % 2, kReplacement);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t u = unit(i);
        if (IsHighSurrogate(u) && i + 1 < count && IsLowSurrogate(unit(i + 1))) {
            out[i] = static_cast<WideChar>(u);
            out[i + 1] = static_cast<WideChar>(unit(i + 1));
            ++i;
        } else if (!IsHighSurrogate(u) && !IsLowSurrogate(u)) {
            out[i] = static_cast<WideChar>(u);
        }
    }
    return count + bytes.size() % 2;
}

// The platform's converter is fast but takes only well-formed input; our own decoder does the rest.
std::size_t DecodeUtf8(std::string_view bytes, WideChar* out) {
    const std::size_t units = ConvertUtf8(bytes, out);
    return units != kNotMapped ? units : ReadUtf8Sequences(bytes, out);
}

std::size_t DecodeCodePage936(std::string_view bytes, WideChar* out) {
    const std::size_t units = ConvertMapped936(bytes, out);
    return units != kNotMapped ? units : Read936Sequences(bytes, out);
}
