// Any bytes as a file: LoadTextFile, then a round of reading through the text with Advance. A broken
// rule aborts, so that libFuzzer keeps the input. The loader reads pieces of 7 bytes in this build,
// so the encoding it decides and the text it builds, against the file decided and decoded whole,
// prove the detector and the decoders at every kind of piece edge; the unit tests prove the decoders
// against the Encoding Standard's indexes.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "encoding_detection.h"
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

// The text of a file decided and decoded whole: after any byte-order mark; a code page read in text
// mode, up to a zero or Ctrl+Z; CR LF read as LF, and a last line given one unless a zero ended it.
WideString ReadWhole(std::string_view bytes) {
    const DetectedEncoding detected = DetectEncoding(bytes);
    bytes.remove_prefix(detected.markLength);
    const std::size_t zeroOrCtrlZ = std::min(bytes.find_first_of(std::string_view("\0\x1A", 2)), bytes.size());
    const std::size_t stop = Info(detected.encoding).textMode ? zeroOrCtrlZ : bytes.size();
    WideString units(stop, WideChar{}), text;
    units.resize(DecodeWhole(detected.encoding, bytes.substr(0, stop), &units[0]));
    for (std::size_t i = 0; i < units.size(); ++i)
        if (units[i] != u'\r' || i + 1 == units.size() || units[i + 1] != u'\n') text += units[i];
    if ((stop == bytes.size() || bytes[stop] != '\0') && !text.empty() && text.back() != u'\n') text += u'\n';
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input as a file in memory alone, named through /proc: no run leaves one behind, even one
    // that aborts.
    static const int file = memfd_create("sundrovale-fuzz", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    Check(file >= 0 && ftruncate(file, 0) == 0 && pwrite(file, data, size, 0) == static_cast<ssize_t>(size), "the input could not be written");
    ReadingCursor cursor;
    cursor.offset = size > 0 ? data[0] * 5u : 0;  // a load keeps the old offset, often past the end
    LoadTextFile(cursor, std::wstring(path.begin(), path.end()));
    Check(cursor.text == ReadWhole({reinterpret_cast<const char*>(data), size}), "the text read in pieces differs from the file read whole");
    const int segmentLength = 13 * static_cast<int>(1 + size % 4);
    for (std::size_t calls = 0; calls <= cursor.text.size(); ++calls) {
        CheckedAdvance(cursor, segmentLength);
        if (cursor.offset == 0) break;
    }
    return 0;
}
