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

// Decode to UTF-16 code units. Every invalid sequence (cut off, overlong, a surrogate, an unpaired
// surrogate half, an odd last byte) becomes U+FFFD; nothing is read past the end.
WideString DecodeUtf8(std::string_view bytes);
WideString DecodeUtf16(std::string_view bytes, bool bigEndian);
