#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_file.h"
#include "test_text.h"
#include "text_encoding.h"
#include "text_loader.h"

namespace {

using namespace std::string_literals;

// Ordinary prose, and the same prose as code page 936 bytes: two-byte characters in it are often
// valid UTF-8 pairs, so only rules over the whole file tell the encodings apart.
const std::u16string kProse =
    u"清晨的小镇总是很安静。河边的柳树刚刚发出新芽，石桥下的流水慢慢地向东流去。老人们在茶馆里坐着，一边喝茶，一边谈论今年的收成和天气。孩子们背着书包走过长长的街道，有的在路边买早点，有的追着一只黄色的小狗跑来跑去。\n"
    u"我每天早上都会在窗前读几页书。读书并不需要很多时间，只要心里安定，哪怕只有十分钟，也能让人感到满足。有时候我读历史，了解古人怎样生活，怎样面对战争和灾难；有时候我读诗歌，跟着诗人去看远方的山水和月光。书里的世界很大，比我们每天走过的路要宽得多。\n"
    u"下午的时候，阳光照进屋子，桌上的茶已经凉了。我放下手中的工作，走到院子里看看花草。去年种下的菊花开得正好，黄的白的都有，邻居家的猫常常跑来，在花丛中睡觉。这样平常的日子，看起来没有什么特别，却让人觉得踏实。\n"
    u"晚上，一家人围坐在桌边吃饭，说说一天里遇到的事情。父亲讲他年轻时在北方工作的经历，母亲总是笑着提醒他少喝一点酒。饭后我们一起散步，沿着河岸走到学校门口，再慢慢走回家。天上的星星一颗一颗亮起来，远处传来火车的声音，明天又会是新的一天。\n";
const std::string kProseCp936 =
    "\xC7\xE5\xB3\xBF\xB5\xC4\xD0\xA1\xD5\xF2\xD7\xDC\xCA\xC7\xBA\xDC\xB0\xB2\xBE\xB2\xA1\xA3\xBA\xD3"
    "\xB1\xDF\xB5\xC4\xC1\xF8\xCA\xF7\xB8\xD5\xB8\xD5\xB7\xA2\xB3\xF6\xD0\xC2\xD1\xBF\xA3\xAC\xCA\xAF"
    "\xC7\xC5\xCF\xC2\xB5\xC4\xC1\xF7\xCB\xAE\xC2\xFD\xC2\xFD\xB5\xD8\xCF\xF2\xB6\xAB\xC1\xF7\xC8\xA5"
    "\xA1\xA3\xC0\xCF\xC8\xCB\xC3\xC7\xD4\xDA\xB2\xE8\xB9\xDD\xC0\xEF\xD7\xF8\xD7\xC5\xA3\xAC\xD2\xBB"
    "\xB1\xDF\xBA\xC8\xB2\xE8\xA3\xAC\xD2\xBB\xB1\xDF\xCC\xB8\xC2\xDB\xBD\xF1\xC4\xEA\xB5\xC4\xCA\xD5"
    "\xB3\xC9\xBA\xCD\xCC\xEC\xC6\xF8\xA1\xA3\xBA\xA2\xD7\xD3\xC3\xC7\xB1\xB3\xD7\xC5\xCA\xE9\xB0\xFC"
    "\xD7\xDF\xB9\xFD\xB3\xA4\xB3\xA4\xB5\xC4\xBD\xD6\xB5\xC0\xA3\xAC\xD3\xD0\xB5\xC4\xD4\xDA\xC2\xB7"
    "\xB1\xDF\xC2\xF2\xD4\xE7\xB5\xE3\xA3\xAC\xD3\xD0\xB5\xC4\xD7\xB7\xD7\xC5\xD2\xBB\xD6\xBB\xBB\xC6"
    "\xC9\xAB\xB5\xC4\xD0\xA1\xB9\xB7\xC5\xDC\xC0\xB4\xC5\xDC\xC8\xA5\xA1\xA3\x0A\xCE\xD2\xC3\xBF\xCC"
    "\xEC\xD4\xE7\xC9\xCF\xB6\xBC\xBB\xE1\xD4\xDA\xB4\xB0\xC7\xB0\xB6\xC1\xBC\xB8\xD2\xB3\xCA\xE9\xA1"
    "\xA3\xB6\xC1\xCA\xE9\xB2\xA2\xB2\xBB\xD0\xE8\xD2\xAA\xBA\xDC\xB6\xE0\xCA\xB1\xBC\xE4\xA3\xAC\xD6"
    "\xBB\xD2\xAA\xD0\xC4\xC0\xEF\xB0\xB2\xB6\xA8\xA3\xAC\xC4\xC4\xC5\xC2\xD6\xBB\xD3\xD0\xCA\xAE\xB7"
    "\xD6\xD6\xD3\xA3\xAC\xD2\xB2\xC4\xDC\xC8\xC3\xC8\xCB\xB8\xD0\xB5\xBD\xC2\xFA\xD7\xE3\xA1\xA3\xD3"
    "\xD0\xCA\xB1\xBA\xF2\xCE\xD2\xB6\xC1\xC0\xFA\xCA\xB7\xA3\xAC\xC1\xCB\xBD\xE2\xB9\xC5\xC8\xCB\xD4"
    "\xF5\xD1\xF9\xC9\xFA\xBB\xEE\xA3\xAC\xD4\xF5\xD1\xF9\xC3\xE6\xB6\xD4\xD5\xBD\xD5\xF9\xBA\xCD\xD4"
    "\xD6\xC4\xD1\xA3\xBB\xD3\xD0\xCA\xB1\xBA\xF2\xCE\xD2\xB6\xC1\xCA\xAB\xB8\xE8\xA3\xAC\xB8\xFA\xD7"
    "\xC5\xCA\xAB\xC8\xCB\xC8\xA5\xBF\xB4\xD4\xB6\xB7\xBD\xB5\xC4\xC9\xBD\xCB\xAE\xBA\xCD\xD4\xC2\xB9"
    "\xE2\xA1\xA3\xCA\xE9\xC0\xEF\xB5\xC4\xCA\xC0\xBD\xE7\xBA\xDC\xB4\xF3\xA3\xAC\xB1\xC8\xCE\xD2\xC3"
    "\xC7\xC3\xBF\xCC\xEC\xD7\xDF\xB9\xFD\xB5\xC4\xC2\xB7\xD2\xAA\xBF\xED\xB5\xC3\xB6\xE0\xA1\xA3\x0A"
    "\xCF\xC2\xCE\xE7\xB5\xC4\xCA\xB1\xBA\xF2\xA3\xAC\xD1\xF4\xB9\xE2\xD5\xD5\xBD\xF8\xCE\xDD\xD7\xD3"
    "\xA3\xAC\xD7\xC0\xC9\xCF\xB5\xC4\xB2\xE8\xD2\xD1\xBE\xAD\xC1\xB9\xC1\xCB\xA1\xA3\xCE\xD2\xB7\xC5"
    "\xCF\xC2\xCA\xD6\xD6\xD0\xB5\xC4\xB9\xA4\xD7\xF7\xA3\xAC\xD7\xDF\xB5\xBD\xD4\xBA\xD7\xD3\xC0\xEF"
    "\xBF\xB4\xBF\xB4\xBB\xA8\xB2\xDD\xA1\xA3\xC8\xA5\xC4\xEA\xD6\xD6\xCF\xC2\xB5\xC4\xBE\xD5\xBB\xA8"
    "\xBF\xAA\xB5\xC3\xD5\xFD\xBA\xC3\xA3\xAC\xBB\xC6\xB5\xC4\xB0\xD7\xB5\xC4\xB6\xBC\xD3\xD0\xA3\xAC"
    "\xC1\xDA\xBE\xD3\xBC\xD2\xB5\xC4\xC3\xA8\xB3\xA3\xB3\xA3\xC5\xDC\xC0\xB4\xA3\xAC\xD4\xDA\xBB\xA8"
    "\xB4\xD4\xD6\xD0\xCB\xAF\xBE\xF5\xA1\xA3\xD5\xE2\xD1\xF9\xC6\xBD\xB3\xA3\xB5\xC4\xC8\xD5\xD7\xD3"
    "\xA3\xAC\xBF\xB4\xC6\xF0\xC0\xB4\xC3\xBB\xD3\xD0\xCA\xB2\xC3\xB4\xCC\xD8\xB1\xF0\xA3\xAC\xC8\xB4"
    "\xC8\xC3\xC8\xCB\xBE\xF5\xB5\xC3\xCC\xA4\xCA\xB5\xA1\xA3\x0A\xCD\xED\xC9\xCF\xA3\xAC\xD2\xBB\xBC"
    "\xD2\xC8\xCB\xCE\xA7\xD7\xF8\xD4\xDA\xD7\xC0\xB1\xDF\xB3\xD4\xB7\xB9\xA3\xAC\xCB\xB5\xCB\xB5\xD2"
    "\xBB\xCC\xEC\xC0\xEF\xD3\xF6\xB5\xBD\xB5\xC4\xCA\xC2\xC7\xE9\xA1\xA3\xB8\xB8\xC7\xD7\xBD\xB2\xCB"
    "\xFB\xC4\xEA\xC7\xE1\xCA\xB1\xD4\xDA\xB1\xB1\xB7\xBD\xB9\xA4\xD7\xF7\xB5\xC4\xBE\xAD\xC0\xFA\xA3"
    "\xAC\xC4\xB8\xC7\xD7\xD7\xDC\xCA\xC7\xD0\xA6\xD7\xC5\xCC\xE1\xD0\xD1\xCB\xFB\xC9\xD9\xBA\xC8\xD2"
    "\xBB\xB5\xE3\xBE\xC6\xA1\xA3\xB7\xB9\xBA\xF3\xCE\xD2\xC3\xC7\xD2\xBB\xC6\xF0\xC9\xA2\xB2\xBD\xA3"
    "\xAC\xD1\xD8\xD7\xC5\xBA\xD3\xB0\xB6\xD7\xDF\xB5\xBD\xD1\xA7\xD0\xA3\xC3\xC5\xBF\xDA\xA3\xAC\xD4"
    "\xD9\xC2\xFD\xC2\xFD\xD7\xDF\xBB\xD8\xBC\xD2\xA1\xA3\xCC\xEC\xC9\xCF\xB5\xC4\xD0\xC7\xD0\xC7\xD2"
    "\xBB\xBF\xC5\xD2\xBB\xBF\xC5\xC1\xC1\xC6\xF0\xC0\xB4\xA3\xAC\xD4\xB6\xB4\xA6\xB4\xAB\xC0\xB4\xBB"
    "\xF0\xB3\xB5\xB5\xC4\xC9\xF9\xD2\xF4\xA3\xAC\xC3\xF7\xCC\xEC\xD3\xD6\xBB\xE1\xCA\xC7\xD0\xC2\xB5"
    "\xC4\xD2\xBB\xCC\xEC\xA1\xA3\x0A";

struct DetectCase {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    std::size_t markLength;
};

void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class DetectEncodingCase : public testing::TestWithParam<DetectCase> {};

TEST_P(DetectEncodingCase, DecidesFromBytes) {
    const DetectedEncoding detected = DetectEncoding(GetParam().bytes);
    EXPECT_EQ(detected.encoding, GetParam().encoding);
    EXPECT_EQ(detected.markLength, GetParam().markLength);
}

constexpr auto kCp936 = TextEncoding::CodePage936;
constexpr auto kUtf8 = TextEncoding::Utf8;

INSTANTIATE_TEST_SUITE_P(
    DetectEncoding, DetectEncodingCase,
    testing::Values(
        DetectCase{"Empty", "", kCp936, 0},
        DetectCase{"AsciiOnlyStaysCodePage", "plain text\r\n", kCp936, 0},
        DetectCase{"Utf8Mark", "\xEF\xBB\xBF" "abc", kUtf8, 3},
        DetectCase{"Utf8MarkOnly", "\xEF\xBB\xBF", kUtf8, 3},
        DetectCase{"Utf8MarkBeforeInvalidBytes", "\xEF\xBB\xBF\xC0\xFF", kUtf8, 3},
        DetectCase{"Utf16LeMark", "\xFF\xFE" "a\0"s, TextEncoding::Utf16LE, 2},
        DetectCase{"Utf16BeMark", "\xFE\xFF\0a"s, TextEncoding::Utf16BE, 2},
        DetectCase{"CutUtf8Mark", "\xEF\xBB", kCp936, 0},
        DetectCase{"Utf8Chinese", "\xE4\xB8\xAD\xE6\x96\x87", kUtf8, 0},
        DetectCase{"Utf8Emoji", "a\xF0\x9F\x98\x80", kUtf8, 0},
        DetectCase{"Utf8Extremes", "\xC2\x80\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", kUtf8, 0},
        DetectCase{"Utf8WithZeroByte", "\xE4\xB8\xAD\0"s, kUtf8, 0},
        DetectCase{"OverlongTwoBytes", "\xE4\xB8\xAD\xC0\xAF", kCp936, 0},
        DetectCase{"OverlongThreeBytes", "\xE0\x80\xAF", kCp936, 0},
        DetectCase{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", kCp936, 0},
        DetectCase{"Surrogate", "\xED\xA0\x80", kCp936, 0},
        DetectCase{"AboveLastCodePoint", "\xF4\x90\x80\x80", kCp936, 0},
        DetectCase{"LeadNeverUsed", "\xF5\x80\x80\x80", kCp936, 0},
        DetectCase{"CutAtEnd", "\xE4\xB8\xAD\xE6\x96", kCp936, 0},
        DetectCase{"CutBeforeAscii", "\xE4\xB8" "a", kCp936, 0},
        DetectCase{"LoneContinuation", "\xE4\xB8\xAD\x80", kCp936, 0},
        // Plain ASCII is skipped eight bytes at a time: sequences after and across those runs.
        DetectCase{"LongAsciiOnly", "0123456789abcdefghij\r\n", kCp936, 0},
        DetectCase{"Utf8AfterAsciiRun", "0123456789abcdef\xE4\xB8\xAD", kUtf8, 0},
        DetectCase{"Utf8AcrossAsciiRunEdge", "0123456\xE4\xB8\xAD" "0123456789", kUtf8, 0},
        DetectCase{"OverlongAfterAsciiRun", "01234567\xC0\xAF" "01234567", kCp936, 0},
        DetectCase{"Cp936AfterUtf8AndAsciiRun", "\xE4\xB8\xAD" "0123456789abcdef\xD6\xD0", kCp936, 0},
        DetectCase{"Cp936PairThatLooksLikeOverlongUtf8", "\xC1\xAA\xCD\xA8", kCp936, 0}),
    [](const testing::TestParamInfo<DetectCase>& info) { return std::string(info.param.name); });

TEST(DetectEncoding, Cp936ProseIsNeverUtf8) {
    ASSERT_EQ(ConvertToWide(kProseCp936), W(kProse));  // the bytes are what they claim to be
    EXPECT_EQ(DetectEncoding(kProseCp936).encoding, kCp936);
    // Each sentence alone too (walking whole characters: a lead byte is 0x81 or above).
    std::size_t from = 0;
    int sentences = 0;
    for (std::size_t at = 0; at < kProseCp936.size();) {
        const std::size_t width = static_cast<unsigned char>(kProseCp936[at]) >= 0x81 ? 2 : 1;
        at += width;
        if (kProseCp936.compare(at - width, width, "\xA1\xA3") != 0) continue;  // full stop
        EXPECT_EQ(DetectEncoding(kProseCp936.substr(from, at - from)).encoding, kCp936) << from;
        from = at;
        ++sentences;
    }
    EXPECT_EQ(sentences, 16);
    TempFile file(kProseCp936);
    ReadingCursor cursor;
    LoadTextFile(cursor, file.Path());
    EXPECT_EQ(cursor.text, W(kProse));
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string text;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class DecodeUtf8Case : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeUtf8Case, ReplacesEachBrokenPart) {
    EXPECT_EQ(DecodeUtf8(GetParam().bytes), W(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    DecodeUtf8, DecodeUtf8Case,
    testing::Values(DecodeCase{"Empty", "", u""},
                    DecodeCase{"ChineseAndEmoji", "\xE4\xB8\xAD\xF0\x9F\x98\x80!", u"中😀!"},
                    DecodeCase{"ZeroKept", "a\0b"s, u"a\0b"s},
                    DecodeCase{"LoneContinuation", "a\x80" "b", u"a\uFFFDb"},
                    DecodeCase{"CutAtEnd", "a\xF0\x9F\x98", u"a\uFFFD"},
                    DecodeCase{"CutBeforeAscii", "\xE4\xB8" "a", u"\uFFFDa"},
                    DecodeCase{"Overlong", "\xC0\xAF\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
                    DecodeCase{"Surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                    DecodeCase{"AboveLastCodePoint", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

// Rows are little-endian; each is also run byte-swapped as big-endian.
class DecodeUtf16Case : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeUtf16Case, ReplacesInvalidUnits) {
    const std::string& little = GetParam().bytes;
    std::string big = little;
    for (std::size_t i = 0; i + 1 < big.size(); i += 2) std::swap(big[i], big[i + 1]);
    EXPECT_EQ(DecodeUtf16(little, false), W(GetParam().text));
    EXPECT_EQ(DecodeUtf16(big, true), W(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    DecodeUtf16, DecodeUtf16Case,
    testing::Values(DecodeCase{"Empty", "", u""},
                    DecodeCase{"AsciiChineseEmoji", "a\0\x2D\x4E\x3D\xD8\x00\xDE"s, u"a中😀"},
                    DecodeCase{"ZeroKept", "\0\0"s, u"\0"s},
                    DecodeCase{"HighAtEnd", "a\0\x3D\xD8"s, u"a\uFFFD"},
                    DecodeCase{"HighBeforeOtherUnit", "\x3D\xD8" "a\0"s, u"\uFFFDa"},
                    DecodeCase{"TwoHighsThenLow", "\x3D\xD8\x3D\xD8\x00\xDE"s, u"\uFFFD😀"},
                    DecodeCase{"LoneLow", "\x00\xDE" "a\0"s, u"\uFFFDa"},
                    DecodeCase{"OddLastByte", "a\0b"s, u"a\uFFFD"},
                    DecodeCase{"SingleByte", "a", u"\uFFFD"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

}  // namespace
