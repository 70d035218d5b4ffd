#include "text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "gb18030_ranges.h"
#include "platform_text.h"

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr WideChar kReplacement = 0xFFFD;

// Writes a code point as one UTF-16 unit, or as a surrogate pair beyond U+FFFF.
WideChar* Put(char32_t codePoint, WideChar* out) {
    if (codePoint <= 0xFFFF) {
        *out++ = static_cast<WideChar>(codePoint);
    } else {
        const char32_t v = codePoint - 0x10000;
        *out++ = static_cast<WideChar>(0xD800 + (v >> 10));
        *out++ = static_cast<WideChar>(0xDC00 + (v & 0x3FF));
    }
    return out;
}

bool EndsInCr(std::string_view piece) { return !piece.empty() && piece.back() == '\r'; }

// ---- UTF-8

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

struct Utf8Check {
    std::size_t valid;  // bytes of whole, well-formed sequences from the start
    bool broken;        // a sequence that is not UTF-8 follows them
    bool multiByte;     // the valid bytes hold a sequence of more than one byte
};

// Without atEnd, a sequence cut off by the end of bytes is not broken: its bytes are simply not valid yet.
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

std::size_t ReadUtf8Sequences(std::string_view bytes, WideChar* out) {
    WideChar* const first = out;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Sequence s = ReadUtf8(bytes, pos);
        out = s.codePoint == kInvalid ? Put(kReplacement, out) : Put(s.codePoint, out);
        pos += s.length;
    }
    return static_cast<std::size_t>(out - first);
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

// ---- UTF-16

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

// ---- The Chinese code pages: single bytes, pairs, and in code page 936 GB 18030's four-byte sequences

bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsDigit(unsigned char b) { return b >= 0x30 && b <= 0x39; }
bool IsTrail936(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
bool IsTrailBig5(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE); }

struct CodePage {
    bool (*isTrail)(unsigned char);
    bool fourBytes;  // GB 18030's lead, digit, lead, digit
    std::size_t (*convert)(std::string_view, WideChar*);  // the platform's table, for singles and pairs
};

// The code point of the four-byte sequence at bytes, or kInvalid: the Encoding Standard's gb18030
// decoder, its "index gb18030 ranges" and special cases.
char32_t FourByteCodePoint(const char* bytes) {
    const auto b = [bytes](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    const std::uint32_t pointer = ((b(0) - 0x81) * 10 + (b(1) - 0x30)) * 1260 + (b(2) - 0x81) * 10 + (b(3) - 0x30);
    if ((pointer > 39419 && pointer < 189000) || pointer > 1237575) return kInvalid;
    if (pointer == 7457) return 0xE7C7;
    const Gb18030Range* range = std::prev(std::upper_bound(
        std::begin(kGb18030Ranges), std::end(kGb18030Ranges), pointer,
        [](std::uint32_t p, const Gb18030Range& r) { return p < r.pointer; }));
    return range->codePoint + (pointer - range->pointer);
}

constexpr std::size_t kCut = static_cast<std::size_t>(-1);

// The bytes of the sequence at pos: 1 for a single byte, 2 for a pair, 4 for a four-byte sequence
// that names a character, 0 where a byte that may only lead stands alone; kCut where the bytes end
// before that is known.
std::size_t SequenceLength(const CodePage& page, std::string_view bytes, std::size_t pos) {
    const auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const std::size_t left = bytes.size() - pos;
    if (!IsLead(at(pos))) return at(pos) == 0xFF ? 0 : 1;
    if (left < 2) return kCut;
    if (page.isTrail(at(pos + 1))) return 2;
    if (!page.fourBytes || !IsDigit(at(pos + 1))) return 0;
    if (left < 3) return kCut;
    if (!IsLead(at(pos + 2))) return 0;
    if (left < 4) return kCut;
    return IsDigit(at(pos + 3)) && FourByteCodePoint(&bytes[pos]) != kInvalid ? 4 : 0;
}

// A byte that cannot follow a lead starts a sequence however the bytes before it are read, so whole
// sequences are read from the last such byte; a sequence the piece's end cuts off waits.
std::size_t HeldBackCodePage(const CodePage& page, std::string_view piece) {
    if (EndsInCr(piece)) return 1;
    const auto follows = [&page](unsigned char b) { return page.isTrail(b) || (page.fourBytes && IsDigit(b)); };
    std::size_t pos = piece.size();
    while (pos > 0 && follows(static_cast<unsigned char>(piece[pos - 1]))) --pos;
    if (pos > 0) --pos;
    for (std::size_t step; pos < piece.size(); pos += step == 0 ? 1 : step)
        if ((step = SequenceLength(page, piece, pos)) == kCut) return piece.size() - pos;
    return 0;
}

// Read a sequence at a time, for bytes the platform could not convert whole: runs of singles and
// pairs still go to the platform together, and only a run it refuses is split.
std::size_t ReadSequences(const CodePage& page, std::string_view bytes, WideChar* out) {
    WideChar* const first = out;
    const std::size_t n = bytes.size();
    const auto length = [&](std::size_t pos) {
        const std::size_t step = SequenceLength(page, bytes, pos);
        return step == kCut ? 0 : step;  // the bytes end here: what is cut off is no character
    };
    constexpr std::size_t kRun = 256;
    for (std::size_t pos = 0; pos < n;) {
        std::size_t end = pos;
        for (std::size_t step; end < n && end - pos < kRun && ((step = length(end)) == 1 || step == 2);) end += step;
        if (end == pos) {  // a four-byte sequence, or a byte that may only lead standing alone
            const bool four = length(pos) == 4;
            out = Put(four ? FourByteCodePoint(&bytes[pos]) : kReplacement, out);
            pos += four ? 4 : 1;
            continue;
        }
        const std::size_t units = page.convert(bytes.substr(pos, end - pos), out);
        if (units != kNotMapped) {
            out += units;
            pos = end;
            continue;
        }
        while (pos < end) {
            const std::size_t step = length(pos);
            const std::size_t one = page.convert(bytes.substr(pos, step), out);
            if (one != kNotMapped) {
                out += one;
                pos += step;
            } else {
                *out++ = kReplacement;
                // An ASCII second byte of a pair that is no character is read again on its own.
                pos += step == 2 && static_cast<unsigned char>(bytes[pos + 1]) < 0x80 ? 1 : step;
            }
        }
    }
    return static_cast<std::size_t>(out - first);
}

const CodePage kGb18030{IsTrail936, true, ConvertMapped936};
const CodePage kBig5{IsTrailBig5, false, ConvertBig5};

std::size_t DecodeCodePage936(std::string_view bytes, WideChar* out) {
    const std::size_t units = ConvertMapped936(bytes, out);
    return units != kNotMapped ? units : ReadSequences(kGb18030, bytes, out);
}

std::size_t DecodeBig5(std::string_view bytes, WideChar* out) {
    const std::size_t units = ConvertBig5(bytes, out);
    return units != kNotMapped ? units : ReadSequences(kBig5, bytes, out);
}

// ---- The table of encodings

const EncodingInfo kEncodings[] = {
    {"code page 936", {}, true, [](std::string_view p) { return HeldBackCodePage(kGb18030, p); }, DecodeCodePage936},
    {"Big5", {}, true, [](std::string_view p) { return HeldBackCodePage(kBig5, p); }, DecodeBig5},
    {"UTF-8", "\xEF\xBB\xBF", false, HeldBackUtf8, DecodeUtf8},
    {"UTF-16LE", "\xFF\xFE", false, [](std::string_view p) { return HeldBackUtf16(p, false); },
     [](std::string_view b, WideChar* out) { return DecodeUtf16(b, false, out); }},
    {"UTF-16BE", "\xFE\xFF", false, [](std::string_view p) { return HeldBackUtf16(p, true); },
     [](std::string_view b, WideChar* out) { return DecodeUtf16(b, true, out); }},
};
constexpr TextEncoding kAll[] = {TextEncoding::CodePage936, TextEncoding::Big5, TextEncoding::Utf8,
                                 TextEncoding::Utf16LE, TextEncoding::Utf16BE};
static_assert(std::size(kEncodings) == std::size(kAll), "one row for each encoding, in its order");

// ---- Choosing between the code pages

// A pair of Big5 itself: its symbols, and its two levels of characters between them. Its empty
// cells (0xA3C0 to 0xA3FE but the euro at 0xA3E1) and its user-defined rows (0x81 to 0xA0, 0xC6A1
// to 0xC8FE, 0xFA to 0xFE), which the platforms give to the private use area, are none.
bool IsBig5Character(unsigned char lead, unsigned char trail) {
    if (lead < 0xA1 || lead > 0xF9 || !IsTrailBig5(trail)) return false;
    if (lead == 0xA3 && trail >= 0xC0) return trail == 0xE1;
    return !((lead == 0xC6 && trail >= 0xA1) || lead == 0xC7 || lead == 0xC8);
}

// Whether the bytes read as Big5 without one error; a sequence cut off by their end counts for nothing.
bool ReadsAsBig5(std::string_view bytes) {
    const auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t pos = 0; pos < bytes.size(); pos += at(pos) < 0x80 ? 1 : 2)
        if (at(pos) >= 0x80 && pos + 1 < bytes.size() && !IsBig5Character(at(pos), at(pos + 1))) return false;
    return true;
}

std::size_t CountCommon(std::string_view bytes, std::size_t (*decode)(std::string_view, WideChar*)) {
    const std::unique_ptr<WideChar[]> units(new WideChar[bytes.size()]);
    const std::size_t n = decode(bytes, units.get());
    return static_cast<std::size_t>(std::count_if(units.get(), units.get() + n, [](WideChar u) { return IsCommonChinese(u); }));
}

constexpr std::size_t kClearMargin = 2;

}  // namespace

const EncodingInfo& Info(TextEncoding encoding) { return kEncodings[static_cast<int>(encoding)]; }

std::size_t FindZeroOrCtrlZ(std::string_view bytes) {
    std::size_t i = 0;  // eight bytes at a time: Wine's memchr goes one by one
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint64_t word = Word(&bytes[i]);
        if (HasZeroByte(word) || HasZeroByte(word ^ (kOnes * 0x1A))) break;
    }
    while (i < bytes.size() && bytes[i] != '\0' && bytes[i] != '\x1A') ++i;
    return i;
}

// Eight ASCII bytes, or eight from 0x81 to 0xFE (four whole pairs): the common runs, passed at once.
bool IsWellFormed936(std::string_view bytes) {
    const auto plainRun = [](std::uint64_t word) {
        const std::uint64_t highs = word & kHighs;
        return highs == 0 || (highs == kHighs && !HasZeroByte(word ^ kHighs) && !HasZeroByte(~word));
    };
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        if (i + 8 <= n && plainRun(Word(&bytes[i]))) {
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

bool IsCommonChinese(char32_t c) {
    static const std::vector<bool> common = [] {
        std::vector<bool> set(0x10000);
        const auto add = [&set](const std::string& cells, std::size_t (*decode)(std::string_view, WideChar*)) {
            std::vector<WideChar> units(cells.size());
            units.resize(decode(cells, units.data()));
            for (const WideChar u : units)  // the private use area is nobody's common character
                if (u >= 0x80 && u != kReplacement && !(u >= 0xE000 && u <= 0xF8FF)) set[u] = true;
        };
        const auto pair = [](int lead, int trail) { return std::string{static_cast<char>(lead), static_cast<char>(trail)}; };
        std::string cells;
        for (int lead = 0xA1; lead <= 0xD7; ++lead)  // GB 2312: symbol rows 0xA1 to 0xA9, first level 0xB0 on
            for (int trail = 0xA1; trail <= 0xFE; ++trail)
                if (lead <= 0xA9 || lead >= 0xB0) cells += pair(lead, trail);
        add(cells, DecodeCodePage936);
        cells.clear();
        for (int lead = 0xA1; lead <= 0xC6; ++lead)  // Big5: symbols from 0xA140, first level up to 0xC67E
            for (int trail = 0x40; trail <= (lead == 0xC6 ? 0x7E : 0xFE); ++trail)
                if (IsTrailBig5(static_cast<unsigned char>(trail))) cells += pair(lead, trail);
        add(cells, DecodeBig5);
        return set;
    }();
    return c < common.size() && common[c];
}

TextEncoding ChooseCodePage(std::string_view start) {
    start = start.substr(0, FindZeroOrCtrlZ(start));  // the text ends there, as it will when read
    if (!ReadsAsBig5(start)) return TextEncoding::CodePage936;
    const std::size_t big5 = CountCommon(start, DecodeBig5);
    return big5 >= CountCommon(start, DecodeCodePage936) + kClearMargin ? TextEncoding::Big5 : TextEncoding::CodePage936;
}

std::size_t Feed(EncodingDetector& d, std::string_view piece, bool atEnd) {
    if (d.start.empty()) {  // still at the file's start: a byte-order mark decides at once
        for (const TextEncoding e : kAll) {
            const std::string_view mark = Info(e).mark;
            if (!mark.empty() && piece.substr(0, mark.size()) == mark) {
                d.result = {e, mark.size()};
                d.decided = true;
                return piece.size();
            }
        }
    }
    std::size_t used = piece.size();
    if (d.utf8) {
        const Utf8Check check = CheckUtf8(piece, atEnd);
        d.utf8 = !check.broken;
        d.multiByte = d.multiByte || check.multiByte;
        if (d.utf8) used = check.valid;
    }
    d.start.append(piece.substr(0, std::min(used, kChoiceSpan - d.start.size())));
    // UTF-8 takes all of the file to prove; the code page is chosen from its start.
    if (atEnd || (!d.utf8 && d.start.size() == kChoiceSpan)) {
        d.decided = true;
        d.result.encoding = d.utf8 && d.multiByte ? TextEncoding::Utf8 : ChooseCodePage(d.start);
    }
    return used;
}

DetectedEncoding DetectEncoding(std::string_view bytes) {
    EncodingDetector detector;
    Feed(detector, bytes, true);
    return detector.result;
}
