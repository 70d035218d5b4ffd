#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "wide_text.h"

enum class TextEncoding { CodePage936, Big5, Utf8, Utf16LE, Utf16BE };

// What reading a file needs of its encoding; one row each in the table of text_encoding.cpp.
struct EncodingInfo {
    const char* name;
    std::string_view mark;  // the byte-order mark that names the encoding; empty where none does
    bool textMode;          // a code page read as text mode reads it: Ctrl+Z or a zero ends the text
    // How many bytes at the end of a piece wait for the next one, since what follows decides what
    // they are: a cut-off sequence, or a carriage return that may start a CR LF.
    std::size_t (*heldBack)(std::string_view piece);
    // Decodes to UTF-16, writing at most one unit per byte to out, and returns the units written.
    // Each sequence that is no character becomes one U+FFFD: in UTF-8 the longest well-formed prefix
    // of a broken sequence; in UTF-16 a lone surrogate or an odd last byte; in the code pages a lone
    // byte that may only lead (0xFF, or a lead byte at the end or before a byte that cannot follow
    // it: the bytes after it are read again), and a well-formed pair the table lacks (its second byte
    // read again when it is ASCII). Code page 936 also reads GB 18030's four-byte sequences.
    std::size_t (*decode)(std::string_view bytes, WideChar* out);
};
const EncodingInfo& Info(TextEncoding encoding);

struct DetectedEncoding {
    TextEncoding encoding;
    std::size_t markLength;  // bytes of byte-order mark to drop before decoding
};

// A file's encoding, decided from its bytes: a byte-order mark names it; else the file is UTF-8 when
// all of it is valid UTF-8 with a multi-byte sequence; else ChooseCodePage decides from its start.
struct EncodingDetector {
    std::string start;       // the file's first bytes, up to kChoiceSpan
    bool utf8 = true;        // no sequence so far breaks UTF-8
    bool multiByte = false;  // and one of them is longer than a byte
    bool decided = false;
    DetectedEncoding result{TextEncoding::CodePage936, 0};
};
constexpr std::size_t kChoiceSpan = 64 * 1024;  // bounded, so a large file costs no more to decide

// Takes the file's next piece (the first one at least as long as a mark, or all of the file) and
// returns the bytes it used: a cut UTF-8 sequence at the end comes again in front of the next piece.
// Sets decided once the encoding is known, at the latest when atEnd.
std::size_t Feed(EncodingDetector& detector, std::string_view piece, bool atEnd);
DetectedEncoding DetectEncoding(std::string_view bytes);  // all of a file at once

// Big5 or code page 936 for a file that starts with these bytes. One sequence that is no Big5
// character rules Big5 out; else the reading that yields more common Chinese characters wins, and
// code page 936 unless Big5 wins clearly: thin evidence keeps the default.
TextEncoding ChooseCodePage(std::string_view start);

// Whether a character is common in Chinese text, Simplified or Traditional: the first level (its
// symbols and common characters) of GB 2312 or of Big5, as the platform's tables read them.
bool IsCommonChinese(char32_t c);

// Where text mode ends a code page file: at its first Ctrl+Z, or at a zero, which ends the string
// the runtime converts; bytes.size() where neither occurs.
std::size_t FindZeroOrCtrlZ(std::string_view bytes);

// Whether code page 936 bytes hold only single bytes below 0xFF and whole two-byte pairs.
bool IsWellFormed936(std::string_view bytes);
