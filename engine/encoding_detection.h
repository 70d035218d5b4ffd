#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "decoders.h"
#include "text_encoding.h"

struct DetectedEncoding {
    TextEncoding encoding;
    std::size_t markLength;  // bytes of byte-order mark to drop before decoding
};

constexpr std::size_t kChoiceSpan = 64 * 1024;  // bounded, so a large file costs no more to decide

// A file's encoding, decided from its bytes: a byte-order mark names it; else UTF-8 when the whole
// file reads as UTF-8 with few broken sequences; else the evidence of its first kChoiceSpan bytes
// chooses between GB18030 and Big5, and thin evidence keeps GB18030.
struct EncodingDetector {
    std::string start;  // the file's first bytes, up to kChoiceSpan
    Utf8Tally utf8;
    bool notUtf8 = false;   // too many broken sequences for UTF-8, whatever follows
    bool pastSpan = false;  // the file goes on beyond the span
    bool decided = false;
    DetectedEncoding result{TextEncoding::Gb18030, 0};
};

// Takes the file's next piece (the first one at least as long as a mark, or all of the file), and
// sets decided once the encoding is known, at the latest when atEnd.
void Feed(EncodingDetector& detector, std::string_view piece, bool atEnd);
DetectedEncoding DetectEncoding(std::string_view bytes);  // all of a file at once
