#include "text_loader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <stdexcept>

#include "platform_text.h"
#include "encoding_detection.h"

namespace {

constexpr std::size_t kMostHeldBack = 4;  // a cut four-byte sequence and a CR, or an odd byte and a UTF-16 unit
constexpr std::size_t kStop = static_cast<std::size_t>(-1);
static_assert(kLoadPieceSize >= 3, "the first piece holds the whole of any byte-order mark");

// Reads the file from where it stands, a piece at a time, and hands each piece to take(piece, size,
// atEnd), which returns how many bytes it used, or kStop. The bytes it left wait in front of the
// next piece: their meaning depends on what follows.
template <typename Take>
void ReadPieces(std::ifstream& file, char* buffer, Take take) {
    std::size_t held = 0;
    for (bool atEnd = false; !atEnd;) {
        file.read(buffer + held, static_cast<std::streamsize>(kLoadPieceSize));
        const std::size_t size = held + static_cast<std::size_t>(file.gcount());
        atEnd = !file;
        const std::size_t used = take(buffer, size, atEnd);
        if (used == kStop) return;
        held = size - used;
        std::memmove(buffer, buffer + used, held);
    }
}

// Reads from the start until the encoding is decided.
DetectedEncoding Detect(std::ifstream& file, char* buffer) {
    EncodingDetector detector;
    ReadPieces(file, buffer, [&detector](char* piece, std::size_t size, bool atEnd) {
        const std::size_t used = Feed(detector, {piece, size}, atEnd);
        return detector.decided ? kStop : used;
    });
    return detector.result;
}

// Appends units to the text, leaving out each CR that comes just before an LF; a lone CR stays.
void AppendLines(ReadingText& text, const WideChar* units, std::size_t count) {
    const WideChar* const end = units + count;
    for (const WideChar* from = units; from != end;) {
        const WideChar* const cr = std::find(from, end, WideChar('\r'));
        const bool dropped = cr != end && cr + 1 != end && cr[1] == WideChar('\n');
        text.append(from, cr + (cr != end && !dropped));
        from = cr + (cr != end);
    }
}

struct Decoding {
    const EncodingInfo& encoding;
    ReadingText& text;
    WideChar* units;  // room for a piece: decoded there, then appended, so the text is written once
    bool endedAtZero = false;
};

// Decodes one piece into the text, with the line-end rules of text mode: CR LF is read as LF.
std::size_t TakePiece(Decoding& d, char* piece, std::size_t size, bool atEnd) {
    bool stopped = false;
    if (d.encoding.textMode) {
        // Text mode ends the input at Ctrl+Z; a zero ends the string the runtime would convert.
        const std::size_t end = FindZeroOrCtrlZ({piece, size});
        if (end < size) {
            d.endedAtZero = piece[end] == '\0';
            size = end;
            stopped = atEnd = true;
        }
    }
    const std::size_t used = atEnd ? size : size - d.encoding.heldBack({piece, size});
    const std::size_t units = d.encoding.decode({piece, used}, d.units);
    AppendLines(d.text, d.units, units);  // CR and LF are never part of a sequence
    return stopped ? kStop : used;
}

void Load(ReadingText& text, std::ifstream& file) {
    const std::unique_ptr<char[]> buffer(new char[kLoadPieceSize + kMostHeldBack]);
    const DetectedEncoding detected = Detect(file, buffer.get());
    file.clear();
    const std::streamoff size = file.seekg(0, std::ios::end).tellg();
    // Never more units than bytes, and one line feed: the text is sized once, so it never moves
    // while it grows. A size no string can hold is not read at all.
    if (size < 0 || static_cast<std::uint64_t>(size) >= text.max_size()) return;
    text.reserve(static_cast<std::size_t>(size) + 1);
    file.seekg(static_cast<std::streamoff>(detected.markLength));
    const std::unique_ptr<WideChar[]> units(new WideChar[kLoadPieceSize + kMostHeldBack]);
    Decoding d{Info(detected.encoding), text, units.get()};
    ReadPieces(file, buffer.get(), [&d](char* piece, std::size_t n, bool atEnd) { return TakePiece(d, piece, n, atEnd); });
    if (!d.endedAtZero && !text.empty() && text.back() != u'\n') text.push_back(u'\n');
}

}  // namespace

void LoadTextFile(ReadingCursor& cursor, const std::wstring& path) {
    ReadingText().swap(cursor.text);  // the old text and its memory go first
    try {
        std::ifstream file;
        OpenForReading(file, path);
        if (file.is_open()) Load(cursor.text, file);
    } catch (const std::bad_alloc&) {
        // A file too large for memory is not read; the strip goes on with an empty text.
        ReadingText().swap(cursor.text);
    } catch (const std::length_error&) {
        ReadingText().swap(cursor.text);  // likewise a size no string can hold
    }
}
