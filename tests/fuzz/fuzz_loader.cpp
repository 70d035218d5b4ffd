// Any bytes as a file: LoadTextFile, then a round of reading through the text with Advance. A broken
// rule aborts, so that libFuzzer keeps the input.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

// Code page 936 read a sequence at a time from its byte structure; only the platform's table knows pairs.
WideString Model936(std::string_view bytes) {
    const std::size_t stop = std::min(bytes.find_first_of(std::string_view("\0\x1A", 2)), bytes.size());
    const std::string_view b = bytes.substr(0, stop);
    WideString text;
    const auto at = [&b](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    for (std::size_t i = 0; i < b.size();) {
        const bool lead = at(i) > 0x80 && at(i) < 0xFF;
        const bool trail = lead && i + 1 < b.size() && at(i + 1) >= 0x40 && at(i + 1) != 0x7F &&
                           at(i + 1) != 0xFF;
        WideChar unit = at(i) < 0x80 ? at(i) : at(i) == 0x80 ? 0x20AC : 0xFFFD;
        if (trail && ConvertMapped936(b.substr(i, 2), &unit) != 1) unit = 0xFFFD;
        text += unit;
        // A pair is one character, or one U+FFFD that leaves an ASCII second byte to be read again.
        i += trail && (unit != 0xFFFD || at(i + 1) >= 0x80) ? 2 : 1;
    }
    return EndLines(text, stop == bytes.size() || bytes[stop] != '\0');
}

// A Unicode file decoded whole: the loader's pieces must not change it.
WideString Whole(std::string_view bytes, const DetectedEncoding& detected) {
    bytes.remove_prefix(detected.markLength);
    WideString units(bytes.size(), WideChar{});
    const bool big = detected.encoding == TextEncoding::Utf16BE;
    units.resize(detected.encoding == TextEncoding::Utf8 ? DecodeUtf8(bytes, &units[0])
                                                         : DecodeUtf16(bytes, big, &units[0]));
    return EndLines(units, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/sundrovale-fuzz-" + std::to_string(getpid()) + ".txt";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary) << bytes;
    ReadingCursor cursor;
    cursor.offset = size > 0 ? data[0] * 5u : 0;  // a load keeps the old offset, often past the end
    LoadTextFile(cursor, std::wstring(path.begin(), path.end()));

    const DetectedEncoding detected = DetectEncoding(bytes);
    if (detected.encoding == TextEncoding::CodePage936)
        Check(cursor.text == Model936(bytes), "code page 936 text differs from its byte structure");
    else
        Check(cursor.text == Whole(bytes, detected), "the text depends on where the pieces end");
    const int segmentLength = 13 * static_cast<int>(1 + size % 4);
    for (std::size_t calls = 0; calls <= cursor.text.size(); ++calls) {
        CheckedAdvance(cursor, segmentLength);
        if (cursor.offset == 0) break;
    }
    return 0;
}
