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

// Reads the UTF-8 sequence at b, of the left bytes. The second-byte ranges shut out overlong forms
// (E0, F0), surrogates (ED) and code points above U+10FFFF (F4); an ill-formed sequence takes its
// longest well-formed prefix, so decoding resumes at the byte that broke it.
Sequence ReadUtf8(const unsigned char* b, std::size_t left) {
    const unsigned char lead = b[0];
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
        if (length >= left) return {kInvalid, length, true};
        const unsigned char next = b[length];
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

// The bytes at the piece's end of a sequence it cuts off: the last byte that is no continuation
// byte, among the last four, where reading from it runs out of bytes. The state takes them, so the
// converter sees whole sequences.
std::size_t CutOff(std::string_view piece) {
    const auto* b = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t n = piece.size();
    std::size_t back = 1;
    while (back < 4 && back < n && (b[n - back] & 0xC0) == 0x80) ++back;
    return back <= n && ReadUtf8(b + n - back, back).cut ? back : 0;
}

}  // namespace

void TallyUtf8(std::string_view bytes, bool atEnd, Utf8Tally& tally, std::size_t mostBroken) {
    const auto step = [&tally, atEnd](const unsigned char* b, std::size_t left) -> std::size_t {
        const Sequence s = ReadUtf8(b, left);
        if (s.cut && !atEnd) return 0;  // the next piece completes it, or shows it broken
        if (s.codePoint == kInvalid) tally.broken += !s.cut;  // a file cut inside its last one: no fault
        else if (s.length > 1) ++tally.multiByte;
        return s.length;
    };
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t pos = Resume(tally.state, bytes, step); pos < bytes.size() && tally.broken <= mostBroken;) {
        if (pos + 8 <= bytes.size() && IsAsciiRun(bytes.data() + pos)) {
            pos += 8;  // mostly-ASCII files are scanned to their end, so skip plain runs quickly
            continue;
        }
        if (IsPlainThreeBytes(bytes, pos)) {
            pos += 3;  // most Chinese characters: checked at a glance
            ++tally.multiByte;
            continue;
        }
        if (b[pos] < 0xC2) {  // ASCII, or a byte no UTF-8 sequence starts with: much of a code page file
            tally.broken += b[pos] >= 0x80;
            ++pos;
            continue;
        }
        pos += StepOrKeep(tally.state, b + pos, bytes.size() - pos, step);
    }
}

// The platform's converter is fast but takes only whole, well-formed sequences; our own reader
// takes a piece that holds any other.
std::size_t DecodeUtf8(DecoderState& state, std::string_view bytes, bool last, WideChar* out) {
    WideChar* const first = out;
    const auto step = [&out, last](const unsigned char* b, std::size_t left) -> std::size_t {
        const Sequence s = ReadUtf8(b, left);
        if (s.cut && !last) return 0;
        out = Put(s.codePoint == kInvalid ? kReplacement : s.codePoint, out);
        return s.length;
    };
    bytes.remove_prefix(Resume(state, bytes, step));
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t whole = bytes.size() - (last ? 0 : CutOff(bytes));
    const std::size_t units = ConvertUtf8(bytes.substr(0, whole), out);
    if (units != kNotMapped) {
        if (whole < bytes.size()) Keep(state, b + whole, bytes.size() - whole);
        return static_cast<std::size_t>(out - first) + units;
    }
    for (std::size_t pos = 0; pos < bytes.size();) pos += StepOrKeep(state, b + pos, bytes.size() - pos, step);
    return static_cast<std::size_t>(out - first);
}

// Each unit gives one unit; a lead surrogate waits for the unit after it, and the piece's odd last
// byte for its partner.
std::size_t DecodeUtf16(DecoderState& state, std::string_view bytes, bool bigEndian, bool last, WideChar* out) {
    WideChar* const first = out;
    const auto unit = [bigEndian](const unsigned char* b) -> char32_t {
        return bigEndian ? (b[0] << 8) | b[1] : (b[1] << 8) | b[0];
    };
    const auto step = [&](const unsigned char* b, std::size_t left) -> std::size_t {
        const bool lead = left >= 2 && IsHighSurrogate(unit(b));
        if (left < 2 || (lead && left < 4)) {  // at the last piece, one U+FFFD for what is left
            if (!last) return 0;
            *out++ = kReplacement;
            return left;
        }
        if (lead && IsLowSurrogate(unit(b + 2))) {
            *out++ = static_cast<WideChar>(unit(b));
            *out++ = static_cast<WideChar>(unit(b + 2));
            return 4;
        }
        *out++ = IsHighSurrogate(unit(b)) || IsLowSurrogate(unit(b)) ? kReplacement : static_cast<WideChar>(unit(b));
        return 2;
    };
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = Resume(state, bytes, step); i < n;) {
        if (i + 2 <= n && unit(b + i) - 0xD800 >= 0x800) {  // no surrogate: most units
            *out++ = static_cast<WideChar>(unit(b + i));
            i += 2;
            continue;
        }
        i += StepOrKeep(state, b + i, n - i, step);
    }
    return static_cast<std::size_t>(out - first);
}
