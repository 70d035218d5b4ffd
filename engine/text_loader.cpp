#include "text_loader.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>

#include "encoding_detection.h"
#include "platform_text.h"

namespace {

static_assert(kLoadPieceSize >= 3, "the first piece holds the whole of any byte-order mark");

// Closes the file however the load ends.
struct OpenFile {
    FileHandle handle;
    ~OpenFile() {
        if (handle != kNoFile) CloseFile(handle);
    }
};

// Reads from the start until the encoding is decided; false when a read fails.
bool Detect(FileHandle file, char* buffer, std::size_t piece, DetectedEncoding& detected) {
    EncodingDetector detector;
    for (std::uint64_t offset = 0; !detector.decided;) {
        const std::size_t size = ReadAt(file, offset, buffer, piece);
        if (size == kReadFailed) return false;
        offset += size;
        Feed(detector, {buffer, size}, size < piece);
    }
    detected = detector.result;
    return true;
}

// Drops, in place, each CR that comes just before an LF, and returns the units left.
std::size_t DropCrBeforeLf(WideChar* units, std::size_t count) {
    WideChar* const end = units + count;
    WideChar* to = std::find(units, end, WideChar('\r'));
    for (WideChar* from = to; from != end;) {
        WideChar* const cr = std::find(from + 1, end, WideChar('\r'));  // from is at a CR
        const bool dropped = from + 1 != end && from[1] == WideChar('\n');
        to = std::copy(from + dropped, cr, to);
        from = cr;
    }
    return static_cast<std::size_t>(to - units);
}

// The units a byte of the file from `from` to `size` (more than a piece) will give, from kSamples
// short samples spread evenly over it, each decoded afresh, a piece in all: a text's start alone
// misjudges one whose density changes along its length. A sample's cut ends barely count.
double SampledUnitsPerByte(FileHandle file, std::uint64_t from, std::uint64_t size, const EncodingInfo& encoding,
                           std::size_t piece, char* buffer, WideChar* units) {
    constexpr std::uint64_t kSamples = 64;
    const std::size_t sample = std::max<std::size_t>(piece / kSamples, 1);
    std::uint64_t bytes = 0, count = 0;
    for (std::uint64_t i = 0; i < kSamples; ++i) {
        // At a multiple of 4 bytes from the text's start, so that UTF-16 is read in step.
        const std::uint64_t at = from + ((size - from - sample) * i / (kSamples - 1) & ~std::uint64_t{3});
        const std::size_t got = ReadAt(file, at, buffer, sample);
        if (got == kReadFailed) break;
        DecoderState state;
        count += DropCrBeforeLf(units, encoding.decode(state, {buffer, got}, true, units));
        bytes += got;
    }
    return bytes > 0 ? static_cast<double>(count) / bytes : 0;
}

// Makes room for more units and the last line's LF, and for the units the bytes left will give at
// unitsPerByte, with a little over: a text a little denser than that estimate then need not move,
// which would double the peak. A string's own growth would double it too, and a shrinking copy at
// the end as well.
void MakeRoom(ReadingText& text, std::size_t more, double unitsPerByte, std::uint64_t bytesLeft) {
    const std::size_t needed = text.size() + more + 1;
    if (needed <= text.capacity()) return;
    const double estimate = needed + unitsPerByte * static_cast<double>(bytesLeft) * (1 + 1.0 / 32);
    ReadingText room;
    room.reserve(static_cast<std::size_t>(std::min(estimate, static_cast<double>(text.max_size()))));
    room.append(text);
    text.swap(room);
}

bool Load(ReadingText& text, FileHandle file) {
    const std::uint64_t size = FileSize(file);
    const std::size_t piece = PieceSize(size);
    const std::unique_ptr<char[]> buffer(new char[piece]);
    DetectedEncoding detected;
    if (!Detect(file, buffer.get(), piece, detected)) return false;  // unreadable: the text stays as it was
    ReadingText().swap(text);                                    // the old text and its memory go first
    const EncodingInfo& encoding = Info(detected.encoding);
    const std::unique_ptr<WideChar[]> units(new WideChar[piece + kMostPending]);
    std::uint64_t offset = detected.markLength;
    // The room is set from samples of the whole file; a text that outgrows it (its samples missed a
    // denser part) moves once into room for the rest at its latest piece's rate.
    const double sampled =
        size > offset + piece ? SampledUnitsPerByte(file, offset, size, encoding, piece, buffer.get(), units.get()) : 0;
    DecoderState state;
    bool pendingCr = false;  // the last piece ended in a CR, which an LF may make a CR LF
    bool endedAtZero = false;
    for (bool atEnd = false; !atEnd;) {
        std::size_t bytes = ReadAt(file, offset, buffer.get(), piece);
        if (bytes == kReadFailed) bytes = 0;  // a later read that fails ends the text where it got
        offset += bytes;
        atEnd = bytes < piece;
        if (encoding.textMode) {  // text mode ends the input at Ctrl+Z; a zero ends the runtime's string
            const std::size_t end = FindZeroOrCtrlZ({buffer.get(), bytes});
            if (end < bytes) {
                endedAtZero = buffer[end] == '\0';
                bytes = end;
                atEnd = true;
            }
        }
        std::size_t count = encoding.decode(state, {buffer.get(), bytes}, atEnd, units.get());
        // Text mode reads CR LF as LF, across a piece's edge too.
        const bool crKept = pendingCr && (count > 0 ? units[0] != u'\n' : atEnd);
        pendingCr = pendingCr && count == 0 && !atEnd;
        count = DropCrBeforeLf(units.get(), count);
        if (count > 0 && units[count - 1] == u'\r' && !atEnd) pendingCr = true, --count;
        const double rate = text.empty() ? sampled : bytes > 0 ? static_cast<double>(count) / bytes : 0;
        MakeRoom(text, crKept + count, rate, (atEnd || size < offset) ? 0 : size - offset);
        if (crKept) text.push_back(u'\r');
        text.append(units.get(), count);
    }
    if (!endedAtZero && !text.empty() && text.back() != u'\n') text.push_back(u'\n');
    return true;
}

}  // namespace

std::size_t PieceSize(std::uint64_t fileSize) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(fileSize / 64, kSmallestPiece, kLoadPieceSize));
}

bool LoadTextFile(ReadingCursor& cursor, const std::wstring& path) {
    try {
        const OpenFile file{OpenForReading(path)};
        return file.handle != kNoFile && Load(cursor.text, file.handle);
    } catch (const std::bad_alloc&) {
        // A file too large for memory is not read; the strip goes on with an empty text.
        ReadingText().swap(cursor.text);
    } catch (const std::length_error&) {
        ReadingText().swap(cursor.text);  // likewise a size no string can hold
    }
    return true;  // the text is replaced all the same, by none
}
