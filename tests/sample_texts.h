#pragma once
// Three texts written for the tests (tests/data, kept as UTF-8), in each encoding that can hold them:
// the code pages by reading the Encoding Standard's indexes backwards, not by the engine's decoders.
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "gb18030_ranges.h"
#include "index_big5.h"
#include "index_gb18030.h"
#include "text_encoding.h"

struct SampleText {
    std::string name;  // the text and its encoding
    TextEncoding encoding;
    std::string bytes;
    std::vector<std::size_t> starts;  // the byte where each character starts
};

// Each code point's pointer; where it has two, the first from preferredFrom on (for Big5, its own
// pair before the one HKSCS added below 5024).
template <typename Index>
std::map<char32_t, unsigned> Pointers(const Index& index, unsigned preferredFrom) {
    std::map<char32_t, unsigned> pointers;  // written from the last to the first pointer, the preferred ones after
    for (unsigned p = preferredFrom; p-- > 0;) pointers[index[p]] = p;
    for (auto p = static_cast<unsigned>(std::size(index)); p-- > preferredFrom;) pointers[index[p]] = p;
    return pointers;
}

// The bytes of c in a code page: ASCII as itself; else its pair, the index's rows of 190 (GB18030)
// or 157 (Big5) second bytes from lead 0x81 on; else GB18030's four bytes from its ranges.
inline std::string CodePageCharacter(bool big5, char32_t c) {
    static const std::map<char32_t, unsigned> gb18030Pairs = Pointers(kIndexGb18030, 0), big5Pairs = Pointers(kIndexBig5, 5024);
    const std::map<char32_t, unsigned>& pairs = big5 ? big5Pairs : gb18030Pairs;
    const unsigned row = big5 ? 157 : 190;
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    if (const auto pair = pairs.find(c); pair != pairs.end()) {
        const unsigned trail = pair->second % row;
        return {static_cast<char>(0x81 + pair->second / row), static_cast<char>(trail + (trail < 0x3F ? 0x40 : big5 ? 0x62 : 0x41))};
    }
    if (big5) throw std::invalid_argument("a sample text holds a character Big5 lacks");
    const Gb18030Range* range = kGb18030Ranges;  // the last one that starts at or below c
    for (const Gb18030Range& r : kGb18030Ranges) range = r.codePoint <= c ? &r : range;
    const unsigned p = range->pointer + (c - range->codePoint);
    return {static_cast<char>(0x81 + p / 12600), static_cast<char>(0x30 + p / 1260 % 10),
            static_cast<char>(0x81 + p / 10 % 126), static_cast<char>(0x30 + p % 10)};
}

// The texts in UTF-8 and GB18030, and the Traditional and the Cantonese one in Big5 too.
inline std::vector<SampleText> SampleTexts() {
    std::vector<SampleText> texts;
    for (const std::string name : {"simplified", "traditional", "cantonese"}) {
        std::ifstream file(SUNDROVALE_TEST_DATA "/" + name + ".txt", std::ios::binary);
        const std::string utf8{std::istreambuf_iterator<char>(file), {}};
        if (utf8.empty()) throw std::runtime_error("no sample text " + name);
        for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Gb18030, TextEncoding::Big5}) {
            if (encoding == TextEncoding::Big5 && name == "simplified") continue;
            SampleText& text = texts.emplace_back(SampleText{name + " in " + Info(encoding).name, encoding, {}, {}});
            for (std::size_t i = 0, length; i < utf8.size(); i += length) {
                const auto lead = static_cast<unsigned char>(utf8[i]);
                length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
                char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
                for (std::size_t k = 1; k < length; ++k) c = c << 6 | (utf8[i + k] & 0x3F);
                text.starts.push_back(text.bytes.size());
                text.bytes += encoding == TextEncoding::Utf8 ? utf8.substr(i, length) : CodePageCharacter(encoding == TextEncoding::Big5, c);
            }
        }
    }
    return texts;
}
