#pragma once
#include <cstddef>
#include <string_view>

#include "wide_text.h"

enum class TextEncoding { Gb18030, Big5, Utf8, Utf16LE, Utf16BE };

// The bytes of a sequence that a piece's end cut off, kept for the next piece to finish: the Encoding
// Standard's gb18030 first, second and third, big5 lead, the UTF-8 bytes seen of those needed, and
// UTF-16's lead surrogate and lead byte. No sequence is longer than four bytes.
constexpr std::size_t kMostPending = 3;
struct DecoderState {
    unsigned char pending[kMostPending];
    std::size_t count = 0;
};

// What reading a file needs of its encoding; one row each in the table of text_encoding.cpp, the one
// place where an encoding is described.
struct EncodingInfo {
    TextEncoding encoding;
    const char* name;
    std::string_view mark;  // the byte-order mark that names the encoding; empty where none does
    bool textMode;          // a code page read as text mode reads it: Ctrl+Z or a zero ends the text
    // Decodes a piece to UTF-16 from where state left the last one, writing to out at most one unit
    // a byte, the state's bytes counted, and returns the units written. Each sequence that is no
    // character becomes one U+FFFD, and the bytes after it are read again as the Encoding Standard's
    // decoder for it reads them. A sequence the piece's end cuts off waits in state, unless last.
    std::size_t (*decode)(DecoderState& state, std::string_view piece, bool last, WideChar* out);
};
const EncodingInfo& Info(TextEncoding encoding);

constexpr TextEncoding kEncodings[] = {TextEncoding::Gb18030, TextEncoding::Big5, TextEncoding::Utf8,
                                       TextEncoding::Utf16LE, TextEncoding::Utf16BE};

// All of a text at once; out has room for a unit a byte.
inline std::size_t DecodeWhole(TextEncoding encoding, std::string_view bytes, WideChar* out) {
    DecoderState state;
    return Info(encoding).decode(state, bytes, true, out);
}

// Where text mode ends a code page file: at its first Ctrl+Z, or at a zero, which ends the string
// the runtime converts; bytes.size() where neither occurs.
std::size_t FindZeroOrCtrlZ(std::string_view bytes);
