// Any bytes as a file: LoadTextFile, then a round of reading through the text with Advance. A broken
// rule aborts, so that libFuzzer keeps the input.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>

#include "encoding_detection.h"
#include "gb18030_ranges.h"
#include "index_big5.h"
#include "index_gb18030.h"
#include "text_loader.h"

namespace {

void Check(bool holds, const char* what) {
    if (!holds) std::fprintf(stderr, "rule broken: %s\n", what), std::abort();
}

// Advance and its rules: the offset stays in range; a piece is empty or of 3 to segmentLength units,
// breaks no line and no surrogate pair but at its end, and is the text just before the new offset.
void CheckedAdvance(ReadingCursor& c, int segmentLength) {
    Advance(c, segmentLength);
    const WideString& piece = c.display;
    const std::size_t end = c.offset == 0 ? c.text.size() : c.offset;
    Check(c.offset == 0 || c.offset < c.text.size(), "offset outside the text");
    if (piece.empty()) return;
    Check(piece.size() >= 3 && piece.size() <= static_cast<std::size_t>(segmentLength), "piece length");
    Check(std::none_of(piece.begin(), piece.end() - 1, IsLineBreak), "line break inside the piece");
    Check(!IsHighSurrogate(piece.back()) || end == c.text.size(), "surrogate pair split");
    Check(end >= piece.size() && c.text.compare(end - piece.size(), piece.size(), piece) == 0,
          "piece is not the text before the offset");
}

// Text mode's line ends: CR LF is read as LF, and a last line gets one unless the text ended early.
WideString EndLines(const WideString& units, bool endLastLine) {
    WideString text;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (units[i] != u'\r' || i + 1 == units.size() || units[i + 1] != u'\n') text += units[i];
    if (endLastLine && !text.empty() && text.back() != u'\n') text += u'\n';
    return text;
}

// The code point of a four-byte GB 18030 sequence, or U+FFFD: the Encoding Standard's ranges, searched in full.
char32_t FourBytes(unsigned first, unsigned second, unsigned third, unsigned fourth) {
    const std::uint32_t pointer = ((first - 0x81) * 10 + (second - 0x30)) * 1260 + (third - 0x81) * 10 + (fourth - 0x30);
    if ((pointer >= 39420 && pointer < 189000) || pointer > 1237575) return 0xFFFD;
    if (pointer == 7457) return 0xE7C7;
    const Gb18030Range* last = kGb18030Ranges;
    for (const Gb18030Range& r : kGb18030Ranges) last = r.pointer <= pointer ? &r : last;
    return last->codePoint + pointer - last->pointer;
}

// The big5 pointers that stand for two code points, a letter and a combining mark.
constexpr char32_t kBig5Twos[][3] = {{1133, 0xCA, 0x304}, {1135, 0xCA, 0x30C}, {1164, 0xEA, 0x304}, {1166, 0xEA, 0x30C}};

// The Encoding Standard's gb18030 and big5 decoders as it writes them, not as the engine does: a
// byte at a time, the bytes of a sequence held in first, second and third, and the bytes it gives
// back read again from where the sequence began. Text mode ends the text at a zero or Ctrl+Z.
WideString ModelCodePage(std::string_view bytes, bool big5) {
    const std::size_t stop = std::min(bytes.find_first_of(std::string_view("\0\x1A", 2)), bytes.size());
    const auto lead = [](unsigned c) { return c >= 0x81 && c <= 0xFE; };
    const auto digit = [](unsigned c) { return c >= 0x30 && c <= 0x39; };
    WideString text;
    const auto put = [&text](char32_t c) {
        if (c > 0xFFFF) text += {WideChar(0xD800 + ((c - 0x10000) >> 10)), WideChar(0xDC00 + (c & 0x3FF))};
        else text += WideChar(c);
    };
    unsigned first = 0, second = 0, third = 0;
    std::size_t from = 0;  // where the held sequence began
    for (std::size_t i = 0; i < stop; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (big5 && first) {
            const bool trail = (byte >= 0x40 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xFE);
            const unsigned pointer = (first - 0x81) * 157 + byte - (byte < 0x7F ? 0x40 : 0x62);
            first = 0;
            const auto* two = std::find_if(std::begin(kBig5Twos), std::end(kBig5Twos), [&](auto& t) { return t[0] == pointer; });
            if (trail && two != std::end(kBig5Twos)) put((*two)[1]), put((*two)[2]);
            else if (trail && kIndexBig5[pointer]) put(kIndexBig5[pointer]);
            else put(0xFFFD), i = byte < 0x80 ? from : i;  // an ASCII second byte is read again
        } else if (third) {
            put(digit(byte) ? FourBytes(first, second, third, byte) : 0xFFFD);
            if (!digit(byte)) i = from;
            first = second = third = 0;
        } else if (second) {
            if (lead(byte)) third = byte;
            else put(0xFFFD), i = from, first = second = 0;
        } else if (first && digit(byte)) {
            second = byte;
        } else if (first) {
            const bool trail = (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
            const unsigned pointer = (first - 0x81) * 190 + byte - (byte < 0x7F ? 0x40 : 0x41);
            const char32_t c = trail ? kIndexGb18030[pointer] : 0;
            put(c ? c : 0xFFFD);
            if (!c && byte < 0x80) i = from;  // an ASCII second byte is read again
            first = 0;
        } else if (byte < 0x80 || (!big5 && byte == 0x80)) {
            put(byte < 0x80 ? byte : 0x20AC);
        } else if (lead(byte)) {
            first = byte, from = i;
        } else {
            put(0xFFFD);
        }
    }
    if (first) put(0xFFFD);  // the text ends inside a sequence
    return EndLines(text, stop == bytes.size() || bytes[stop] != '\0');
}

// The units of a Unicode file decoded as one whole: the loader's pieces must not change them.
WideString Whole(std::string_view bytes, TextEncoding encoding) {
    WideString units(bytes.size(), WideChar{});
    units.resize(DecodeWhole(encoding, bytes, &units[0]));
    return units;
}

// Unicode's table of well-formed UTF-8 sequences: the range of each byte, row by row.
struct Utf8Row {
    std::size_t length;
    unsigned char low[4], high[4];
};
constexpr Utf8Row kWellFormedUtf8[] = {
    {1, {0x00}, {0x7F}},
    {2, {0xC2, 0x80}, {0xDF, 0xBF}},
    {3, {0xE0, 0xA0, 0x80}, {0xE0, 0xBF, 0xBF}},
    {3, {0xE1, 0x80, 0x80}, {0xEC, 0xBF, 0xBF}},
    {3, {0xED, 0x80, 0x80}, {0xED, 0x9F, 0xBF}},
    {3, {0xEE, 0x80, 0x80}, {0xEF, 0xBF, 0xBF}},
    {4, {0xF0, 0x90, 0x80, 0x80}, {0xF0, 0xBF, 0xBF, 0xBF}},
    {4, {0xF1, 0x80, 0x80, 0x80}, {0xF3, 0xBF, 0xBF, 0xBF}},
    {4, {0xF4, 0x80, 0x80, 0x80}, {0xF4, 0x8F, 0xBF, 0xBF}},
};

// A file stays UTF-8 with up to one broken sequence in this many well-formed multi-byte ones.
constexpr std::size_t kWellFormedPerBroken = 8;

// Whether UTF-8 must be chosen for a file with no mark: it has well-formed multi-byte sequences, and
// few broken ones. A broken one is the longest start of a row (one byte at least); one that the
// file's end cuts off is not counted.
bool ReadsAsUtf8(std::string_view bytes) {
    std::size_t wellFormed = 0, broken = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t matched = 0, length = 1;
        for (const Utf8Row& row : kWellFormedUtf8) {
            std::size_t k = 0;
            for (unsigned char b; k < row.length && i + k < bytes.size() && (b = bytes[i + k]) >= row.low[k] && b <= row.high[k];) ++k;
            if (k > matched) matched = k, length = row.length;
        }
        if (matched == length) wellFormed += length > 1;
        else broken += i + matched < bytes.size();
        i += std::max<std::size_t>(matched, 1);
    }
    return wellFormed > 0 && broken * kWellFormedPerBroken <= wellFormed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input as a file in memory alone, named through /proc: no run leaves one behind, even one
    // that aborts.
    static const int file = memfd_create("sundrovale-fuzz", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Check(file >= 0 && ftruncate(file, 0) == 0 && pwrite(file, data, size, 0) == static_cast<ssize_t>(size), "the input could not be written");
    ReadingCursor cursor;
    cursor.offset = size > 0 ? data[0] * 5u : 0;  // a load keeps the old offset, often past the end
    LoadTextFile(cursor, std::wstring(path.begin(), path.end()));

    // A byte-order mark is looked for here, not asked of the loader; then UTF-8 must be chosen
    // exactly when the file reads as UTF-8, and a code page read as the Encoding Standard says.
    static const std::pair<std::string_view, TextEncoding> kMarks[] = {
        {"\xEF\xBB\xBF", TextEncoding::Utf8}, {"\xFF\xFE", TextEncoding::Utf16LE}, {"\xFE\xFF", TextEncoding::Utf16BE}};
    const auto marked = std::find_if(std::begin(kMarks), std::end(kMarks), [&](const auto& m) { return bytes.substr(0, m.first.size()) == m.first; });
    const TextEncoding chosen = DetectEncoding(bytes).encoding;
    if (marked != std::end(kMarks)) {
        Check(cursor.text == EndLines(Whole(bytes.substr(marked->first.size()), marked->second), true), "a marked file is not read as its mark says");
    } else {
        Check((chosen == TextEncoding::Utf8) == ReadsAsUtf8(bytes), "UTF-8 chosen for a file that does not read as UTF-8, or not for one that does");
        Check(cursor.text == (chosen == TextEncoding::Utf8 ? EndLines(Whole(bytes, chosen), true) : ModelCodePage(bytes, chosen == TextEncoding::Big5)),
              "the text differs from the file's bytes read in the chosen encoding");
    }
    const int segmentLength = 13 * static_cast<int>(1 + size % 4);
    for (std::size_t calls = 0; calls <= cursor.text.size(); ++calls) {
        CheckedAdvance(cursor, segmentLength);
        if (cursor.offset == 0) break;
    }
    return 0;
}
