#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding_detection.h"
#include "index_big5.h"
#include "index_gb18030.h"

namespace {

using namespace std::string_literals;

WideString Decode(TextEncoding encoding, const std::string& bytes) {
    WideString units(bytes.size(), WideChar{});
    units.resize(Info(encoding).decode(bytes, &units[0]));
    return units;
}

WideString Units(char32_t c) {
    if (c <= 0xFFFF) return WideString(1, WideChar(c));
    return {WideChar(0xD800 + ((c - 0x10000) >> 10)), WideChar(0xDC00 + ((c - 0x10000) & 0x3FF))};
}

// What a pair that is no character becomes: one U+FFFD, and its second byte read again when ASCII.
WideString Broken(int trail) { return trail < 0x80 ? WideString{0xFFFD, WideChar(trail)} : WideString{0xFFFD}; }

// Every pair a lead byte can start, against the index itself: the same text on every build.
TEST(ChineseDecoders, EveryPairReadsAsItsIndexSays) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            SCOPED_TRACE(std::to_string(lead) + " " + std::to_string(trail));
            const std::string pair{char(lead), char(trail)};
            const bool gbTrail = trail >= 0x40 && trail != 0x7F && trail != 0xFF;
            const unsigned gbPointer = (lead - 0x81) * 190 + trail - (trail < 0x7F ? 0x40 : 0x41);
            // A digit starts a four-byte sequence, which the end cuts off.
            const WideString gb18030 = trail >= 0x30 && trail <= 0x39 ? WideString{0xFFFD}
                                       : gbTrail                      ? Units(kIndexGb18030[gbPointer])
                                                                      : Broken(trail);
            EXPECT_EQ(Decode(TextEncoding::Gb18030, pair), gb18030);

            const bool big5Trail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE);
            const unsigned pointer = (lead - 0x81) * 157 + trail - (trail < 0x7F ? 0x40 : 0x62);
            WideString big5 = big5Trail && kIndexBig5[pointer] ? Units(kIndexBig5[pointer]) : Broken(trail);
            if (big5Trail && (pointer == 1133 || pointer == 1135 || pointer == 1164 || pointer == 1166))
                big5 = {WideChar(pointer < 1164 ? 0xCA : 0xEA), WideChar(pointer == 1133 || pointer == 1164 ? 0x0304 : 0x030C)};
            EXPECT_EQ(Decode(TextEncoding::Big5, pair), big5);
        }
    }
    for (int b = 0x80; b <= 0xFF; ++b) {  // a byte alone: only GB18030's 0x80 is a character
        EXPECT_EQ(Decode(TextEncoding::Gb18030, std::string(1, char(b))), WideString(1, WideChar(b == 0x80 ? 0x20AC : 0xFFFD)));
        EXPECT_EQ(Decode(TextEncoding::Big5, std::string(1, char(b))), WideString{0xFFFD});
    }
}

struct DetectionCase {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
};

const std::string kBig5Poem = "\xAC" "K\xAF" "v\xA4\xA3\xC4\xB1\xBE\xE5\xA1" "A\xB3" "B\xB3" "B\xBB" "D\xB3\xDA\xB3\xBE\xA1" "C";  // 春眠不覺曉，處處聞啼鳥。
const std::string kUtf8Text = u8"统一码文本的第一行，之后还有更多的文字。";

TEST(DetectEncoding, WeighsTheEvidence) {
    const DetectionCase cases[] = {
        {"Big5AfterALongAsciiTitle", std::string(76, 'T') + "\r\n" + kBig5Poem, TextEncoding::Big5},
        {"CommonBig5InGbSymbolRows", "\xA4\xA4\xA4\xE5\xA6r\xA4\xA3\xA8\xA3", TextEncoding::Big5},  // 中文字不見
        {"ShortGb18030", "\xD7\xAA\xBB\xBB\xB4\xED\xCE\xF3", TextEncoding::Gb18030},                // 转换错误
        {"OverlongUtf8IsGb18030", "\xE0\x9F\xA1\xE0\x9F\xA1", TextEncoding::Gb18030},
        // Damaged pairs: 80 3C, as a converter left in a real word list, and 8F FE in place of 起.
        {"DamagedBig5", kBig5Poem + "\x80<" + kBig5Poem + "\x8F\xFE" + kBig5Poem, TextEncoding::Big5},
        {"Utf8CutInItsLastCharacter", kUtf8Text.substr(0, kUtf8Text.size() - 1), TextEncoding::Utf8},
        {"Utf8WithAStrayByte", kUtf8Text.substr(0, 9) + "\xB0" + kUtf8Text.substr(9), TextEncoding::Utf8},
        {"Utf8BrokenAtEveryCharacter", "\xE4\xB8 \xE4\xB8 \xE4\xB8 \xE4\xB8 \xE4\xB8\xAD", TextEncoding::Gb18030},
    };
    for (const DetectionCase& c : cases) {
        EXPECT_EQ(DetectEncoding(c.bytes).encoding, c.encoding) << c.name;
    }
}

}  // namespace
