#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_text.h"
#include "text_encoding.h"
#include "text_loader.h"

namespace {

using namespace std::string_literals;

// Ordinary prose, and the same prose saved as code page 936 in tests/data/prose-cp936.txt: two-byte
// characters in it are often valid UTF-8 pairs, so only rules over the whole file tell them apart.
const std::u16string kProse =
    u"清晨的小镇总是很安静。河边的柳树刚刚发出新芽，石桥下的流水慢慢地向东流去。老人们在茶馆里坐着，一边喝茶，一边谈论今年的收成和天气。孩子们背着书包走过长长的街道，有的在路边买早点，有的追着一只黄色的小狗跑来跑去。\n"
    u"我每天早上都会在窗前读几页书。读书并不需要很多时间，只要心里安定，哪怕只有十分钟，也能让人感到满足。有时候我读历史，了解古人怎样生活，怎样面对战争和灾难；有时候我读诗歌，跟着诗人去看远方的山水和月光。书里的世界很大，比我们每天走过的路要宽得多。\n"
    u"下午的时候，阳光照进屋子，桌上的茶已经凉了。我放下手中的工作，走到院子里看看花草。去年种下的菊花开得正好，黄的白的都有，邻居家的猫常常跑来，在花丛中睡觉。这样平常的日子，看起来没有什么特别，却让人觉得踏实。\n"
    u"晚上，一家人围坐在桌边吃饭，说说一天里遇到的事情。父亲讲他年轻时在北方工作的经历，母亲总是笑着提醒他少喝一点酒。饭后我们一起散步，沿着河岸走到学校门口，再慢慢走回家。天上的星星一颗一颗亮起来，远处传来火车的声音，明天又会是新的一天。\n";

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
    std::ifstream file(SUNDROVALE_TEST_DATA "/prose-cp936.txt", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_EQ(ConvertToWide(bytes), W(kProse));  // the bytes are what they claim to be
    EXPECT_EQ(DetectEncoding(bytes).encoding, kCp936);
    ReadingCursor cursor;
    LoadTextFile(cursor, std::filesystem::path(SUNDROVALE_TEST_DATA "/prose-cp936.txt").wstring());
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
