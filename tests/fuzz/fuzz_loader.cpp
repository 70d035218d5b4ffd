// Any bytes as a file: LoadTextFile, then a round of reading through the text with Advance. A broken
// rule aborts, so that libFuzzer keeps the input.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "gb18030_ranges.h"
#include "platform_text.h"
#include "text_encoding.h"
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

// The code point of a four-byte GB 18030 sequence, or 0: the Encoding Standard's ranges, searched in full.
char32_t FourBytes(const unsigned char* b) {
    const std::uint32_t pointer = ((b[0] - 0x81u) * 10 + (b[1] - 0x30u)) * 1260 + (b[2] - 0x81u) * 10 + (b[3] - 0x30u);
    if ((pointer >= 39420 && pointer < 189000) || pointer > 1237575) return 0;
    if (pointer == 7457) return 0xE7C7;
    const Gb18030Range* last = kGb18030Ranges;
    for (const Gb18030Range& r : kGb18030Ranges) last = r.pointer <= pointer ? &r : last;
    return last->codePoint + pointer - last->pointer;
}

// A code page read a sequence at a time from its byte structure; only the platform's table knows pairs.
WideString ModelCodePage(std::string_view bytes, bool big5) {
    const std::size_t stop = std::min(bytes.find_first_of(std::string_view("\0\x1A", 2)), bytes.size());
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto lead = [](unsigned char c) { return c > 0x80 && c < 0xFF; };
    const auto digit = [](unsigned char c) { return c >= 0x30 && c <= 0x39; };
    WideString text;
    for (std::size_t i = 0; i < stop;) {
        const bool trail = lead(b[i]) && i + 1 < stop && b[i + 1] >= 0x40 && b[i + 1] != 0x7F && b[i + 1] != 0xFF &&
                           !(big5 && b[i + 1] > 0x7E && b[i + 1] < 0xA1);
        const char32_t four = !big5 && lead(b[i]) && i + 3 < stop && digit(b[i + 1]) && lead(b[i + 2]) && digit(b[i + 3])
                                  ? FourBytes(b + i) : 0;
        WideChar unit = b[i] < 0x80 ? b[i] : b[i] == 0x80 ? (big5 ? 0x80 : 0x20AC) : 0xFFFD;
        if (trail && (big5 ? ConvertBig5 : ConvertMapped936)(bytes.substr(i, 2), &unit) != 1) unit = 0xFFFD;
        if (four > 0xFFFF) text += {WideChar(0xD800 + ((four - 0x10000) >> 10)), WideChar(0xDC00 + (four & 0x3FF))};
        else text += four ? WideChar(four) : unit;
        // A pair is one character, or one U+FFFD that leaves an ASCII second byte to be read again;
        // a lead byte that starts neither is one U+FFFD, and what follows it is read again.
        i += four ? 4 : trail && (unit != 0xFFFD || b[i + 1] >= 0x80) ? 2 : 1;
    }
    return EndLines(text, stop == bytes.size() || bytes[stop] != '\0');
}

// The units of a Unicode file decoded as one whole: the loader's pieces must not change them.
WideString Whole(std::string_view bytes, TextEncoding encoding) {
    WideString units(bytes.size(), WideChar{});
    units.resize(Info(encoding).decode(bytes, &units[0]));
    return units;
}

// Whether bytes are UTF-8 beyond ASCII, found by encoding their decoding again: only well-formed
// UTF-8 comes back the same.
bool IsUtf8(std::string_view bytes) {
    const WideString units = Whole(bytes, TextEncoding::Utf8);
    std::string again;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < units.size()) c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        const int trailing = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static constexpr unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
        again += static_cast<char>(kLead[trailing] | (c >> (6 * trailing)));
        for (int shift = 6 * (trailing - 1); shift >= 0; shift -= 6) again += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
    return again == bytes && std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/sundrovale-fuzz-" + std::to_string(getpid()) + ".txt";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary) << bytes;
    ReadingCursor cursor;
    cursor.offset = size > 0 ? data[0] * 5u : 0;  // a load keeps the old offset, often past the end
    LoadTextFile(cursor, std::wstring(path.begin(), path.end()));

    // A byte-order mark is looked for here, not asked of the loader; then UTF-8 must be chosen
    // exactly when the file is UTF-8, and a code page read as its byte structure says.
    static const std::pair<std::string_view, TextEncoding> kMarks[] = {
        {"\xEF\xBB\xBF", TextEncoding::Utf8}, {"\xFF\xFE", TextEncoding::Utf16LE}, {"\xFE\xFF", TextEncoding::Utf16BE}};
    const auto marked = std::find_if(std::begin(kMarks), std::end(kMarks), [&](const auto& m) { return bytes.substr(0, m.first.size()) == m.first; });
    const TextEncoding chosen = DetectEncoding(bytes).encoding;
    if (marked != std::end(kMarks)) {
        Check(cursor.text == EndLines(Whole(bytes.substr(marked->first.size()), marked->second), true), "a marked file is not read as its mark says");
    } else {
        Check((chosen == TextEncoding::Utf8) == IsUtf8(bytes), "UTF-8 chosen for a file that is not UTF-8, or not for one that is");
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
