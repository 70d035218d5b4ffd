#pragma once
#include <cstddef>
#include <string_view>

#include "wide_text.h"

enum class TextEncoding { CodePage936, Utf8, Utf16LE, Utf16BE };

struct DetectedEncoding {
    TextEncoding encoding;
    std::size_t markLength;  // bytes of byte-order mark to drop before decoding
};

// Decides a file's encoding from its bytes: a byte-order mark if there is one; else UTF-8 when the
// whole file is valid UTF-8 with at least one multi-byte sequence; else code page 936.
DetectedEncoding DetectEncoding(std::string_view bytes);

// The encoding a byte-order mark at the start names; code page 936 with no mark when there is none.
DetectedEncoding DetectMark(std::string_view start);

struct Utf8Check {
    std::size_t valid;  // bytes of whole, well-formed sequences from the start
    bool broken;        // a sequence that is not UTF-8 follows them
    bool multiByte;     // the valid bytes hold a sequence of more than one byte
};
// Without atEnd, a sequence cut off by the end of bytes is not broken: its bytes are simply not valid yet.
Utf8Check CheckUtf8(std::string_view bytes, bool atEnd);

// How many bytes at the end of a piece to keep for the next one, since the following bytes decide
// what they are: a cut-off sequence, or a carriage return that may start a CR LF.
std::size_t HeldBack(std::string_view piece, TextEncoding encoding);

// Where text mode ends a code page 936 file: at its first Ctrl+Z, or at a zero, which ends the
// string the runtime converts; bytes.size() where neither occurs.
std::size_t FindZeroOrCtrlZ(std::string_view bytes);

// Whether code page 936 bytes hold only whole sequences: single bytes below 0xFF, and lead bytes
// each with a byte that may follow a lead.
bool IsWellFormed936(std::string_view bytes);

// Decode to UTF-16, writing at most one unit per byte to out, and return the units written. Each
// sequence that is no character becomes one U+FFFD: in UTF-8 the longest well-formed prefix of a
// broken sequence, in UTF-16 a lone surrogate or an odd last byte, in code page 936 a lone 0xFF, a
// lead byte at the end or before a byte that cannot follow it (that byte is then read again), or a
// well-formed pair the platform's table lacks (its second byte read again when it is ASCII).
std::size_t DecodeUtf8(std::string_view bytes, WideChar* out);
std::size_t DecodeUtf16(std::string_view bytes, bool bigEndian, WideChar* out);
std::size_t DecodeCodePage936(std::string_view bytes, WideChar* out);
