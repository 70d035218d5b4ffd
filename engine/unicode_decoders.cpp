#include <algorithm>

#include "decoders.h"
#include "platform_text.h"

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

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

// A three-byte sequence whose lead needs no narrower range for its second byte (not E0 or ED).
bool IsPlainThreeBytes(std::string_view bytes, std::size_t pos) {
    if (pos + 3 > bytes.size()) return false;
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    return (lead & 0xF0) == 0xE0 && lead != 0xE0 && lead != 0xED && (bytes[pos + 1] & 0xC0) == 0x80 &&
           (bytes[pos + 2] & 0xC0) == 0x80;
}

std::size_t ReadUtf8Sequences(std::string_view bytes, WideChar* out) {
    WideChar* const first = out;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Sequence s = ReadUtf8(bytes, pos);
        out = Put(s.codePoint == kInvalid ? kReplacement : s.codePoint, out);
        pos += s.length;
    }
    return static_cast<std::size_t>(out - first);
}

}  // namespace

std::size_t TallyUtf8(std::string_view bytes, bool atEnd, Utf8Tally& tally, std::size_t mostBroken) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (pos + 8 <= bytes.size() && IsAsciiRun(bytes.data() + pos)) {
            pos += 8;  // mostly-ASCII files are scanned to their end, so skip plain runs quickly
            continue;
        }
        if (IsPlainThreeBytes(bytes, pos)) {
            pos += 3;  // most Chinese characters: checked at a glance
            ++tally.multiByte;
            continue;
        }
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (lead < 0xC2) {  // ASCII, or a byte no UTF-8 sequence starts with: much of a code page file
            tally.broken += lead >= 0x80;
            ++pos;
            if (tally.broken > mostBroken) break;
            continue;
        }
        const Sequence s = ReadUtf8(bytes, pos);
        if (s.cut && !atEnd) break;  // the next piece completes it, or shows it broken
        if (s.codePoint == kInvalid) tally.broken += !s.cut;  // a file cut inside its last one: no fault
        else if (s.length > 1) ++tally.multiByte;
        pos += s.length;
        if (tally.broken > mostBroken) break;
    }
    return pos;
}

// The platform's converter is fast but takes only well-formed input; our own decoder does the rest.
std::size_t DecodeUtf8(std::string_view bytes, WideChar* out) {
    const std::size_t units = ConvertUtf8(bytes, out);
    return units != kNotMapped ? units : ReadUtf8Sequences(bytes, out);
}

std::size_t HeldBackUtf8(std::string_view piece) {
    const std::size_t n = piece.size();
    if (EndsInCr(piece)) return 1;
    const auto at = [&piece](std::size_t i) { return static_cast<unsigned char>(piece[i]); };
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        if (at(n - back) < 0x80) return 0;
        if (at(n - back) >= 0xC0) {
            const std::size_t length = at(n - back) >= 0xF0 ? 4 : at(n - back) >= 0xE0 ? 3 : 2;
            return length > back ? back : 0;
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

// An odd byte waits for its partner, and a last unit that is a high surrogate or a CR for the next.
std::size_t HeldBackUtf16(std::string_view piece, bool bigEndian) {
    const std::size_t n = piece.size();
    const std::size_t odd = n % 2;
    if (n - odd < 2) return odd;
    const auto at = [&piece](std::size_t i) { return static_cast<unsigned char>(piece[i]); };
    const char32_t last = bigEndian ? at(n - odd - 2) << 8 | at(n - odd - 1) : at(n - odd - 1) << 8 | at(n - odd - 2);
    return odd + (IsHighSurrogate(last) || last == u'\r' ? 2 : 0);
}
