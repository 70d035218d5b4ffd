#pragma once
#include <cstddef>
#include <string_view>

#include "wide_text.h"

enum class TextEncoding { Gb18030, Big5, Utf8, Utf16LE, Utf16BE };

// What reading a file needs of its encoding; one row each in the table of text_encoding.cpp, the one
// place where an encoding is described.
struct EncodingInfo {
    const char* name;
    std::string_view mark;  // the byte-order mark that names the encoding; empty where none does
    bool textMode;          // a code page read as text mode reads it: Ctrl+Z or a zero ends the text
    // How many bytes at the end of a piece wait for the next one, since what follows decides what
    // they are: a cut-off sequence, or a carriage return that may start a CR LF.
    std::size_t (*heldBack)(std::string_view piece);
    // Decodes to UTF-16, writing at most one unit per byte to out, and returns the units written.
    // Each sequence that is no character becomes one U+FFFD, and the bytes after it are read again
    // as the Encoding Standard's decoder for it reads them.
    std::size_t (*decode)(std::string_view bytes, WideChar* out);
};
const EncodingInfo& Info(TextEncoding encoding);

constexpr TextEncoding kEncodings[] = {TextEncoding::Gb18030, TextEncoding::Big5, TextEncoding::Utf8,
                                       TextEncoding::Utf16LE, TextEncoding::Utf16BE};

// Where text mode ends a code page file: at its first Ctrl+Z, or at a zero, which ends the string
// the runtime converts; bytes.size() where neither occurs.
std::size_t FindZeroOrCtrlZ(std::string_view bytes);
