#include <gtest/gtest.h>

#include <vector>

#include "reading_cursor.h"
#include "test_text.h"

namespace {

struct Step {
    std::u16string display;
    std::uint32_t offsetAfter;
};

struct AdvanceCase {
    const char* name;
    std::u16string text;
    std::int32_t segmentLength;
    std::vector<Step> steps;
    std::uint32_t startOffset = 0;  // as a load leaves it from the text before
};

void PrintTo(const AdvanceCase& c, std::ostream* os) { *os << c.name; }

class AdvanceSequence : public testing::TestWithParam<AdvanceCase> {};

TEST_P(AdvanceSequence, ShowsPiecesInOrder) {
    const AdvanceCase& c = GetParam();
    ReadingCursor cursor;
    cursor.text = W(c.text);
    cursor.offset = c.startOffset;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        Advance(cursor, c.segmentLength);
        EXPECT_EQ(cursor.display, W(c.steps[i].display)) << "call " << i + 1;
        EXPECT_EQ(cursor.offset, c.steps[i].offsetAfter) << "call " << i + 1;
    }
}

const std::u16string kWelcome = WELCOME_TEXT;

INSTANTIATE_TEST_SUITE_P(
    Advance, AdvanceSequence,
    testing::Values(
        AdvanceCase{"WelcomeCyclesThroughThreeLines", kWelcome, 13,
                    {{u"欢迎使用蕨汀浮卷机\n", 10},
                     {u"双击窗口暂停或者继续阅读\n", 23},
                     {u"右击窗口打开功能菜单", 0},
                     {u"欢迎使用蕨汀浮卷机\n", 10}}},
        AdvanceCase{"WiderSegmentNeverJoinsLines", kWelcome, 26, {{u"欢迎使用蕨汀浮卷机\n", 10}}},
        AdvanceCase{"LongLineInFullPiecesThenLoneLfSkipped", u"abcdefghijklmnopqrstuvwxyz\n", 13,
                    {{u"abcdefghijklm", 13}, {u"nopqrstuvwxyz", 26}, {u"abcdefghijklm", 13}}},
        AdvanceCase{"EmptyLineSkipped", u"abc\n\nxyz\n", 13, {{u"abc\n", 4}, {u"xyz\n", 0}}},
        AdvanceCase{"CarriageReturnEndsPieceToo", u"abc\r\ndef\n", 13, {{u"abc\r", 4}, {u"def\n", 0}}},
        AdvanceCase{"ThreeCharactersAreShown", u"hello\nab\n", 13, {{u"hello\n", 6}, {u"ab\n", 0}}},
        AdvanceCase{"TwoCharactersAreSkippedAndWrap", u"hello\nb\n", 13,
                    {{u"hello\n", 6}, {u"hello\n", 6}}},
        AdvanceCase{"ShortTailWithoutBreakSkipped", u"abcdefghijklmnopq", 13,
                    {{u"abcdefghijklm", 13}, {u"nopq", 0}}},
        AdvanceCase{"TailOfTwoSkipped", u"abcdefghijklmno", 13,
                    {{u"abcdefghijklm", 13}, {u"abcdefghijklm", 13}}},
        AdvanceCase{"LastPieceOfLongLineCarriesBreak", u"abcdefghijklmnop\nxyz", 13,
                    {{u"abcdefghijklm", 13}, {u"nop\n", 17}, {u"xyz", 0}}},
        AdvanceCase{"NothingShowable", u"\na\n\nb\r\n", 13, {{u"", 0}, {u"", 0}}},
        AdvanceCase{"EmptyText", u"", 52, {{u"", 0}}},
        AdvanceCase{"NonPositiveLengthShowsNothing", u"abcdef", 0, {{u"", 0}}},
        // An emoji is two code units: a cut that would fall between them comes one unit earlier.
        AdvanceCase{"EmojiAtCutMovesToNextPiece", u"abcdefghijkl😀xyz\n", 13,
                    {{u"abcdefghijkl", 12}, {u"😀xyz\n", 0}}},
        AdvanceCase{"EmojiEndingAtCutStays", u"abcdefghijk😀xyz\n", 13, {{u"abcdefghijk😀", 13}, {u"xyz\n", 0}}},
        AdvanceCase{"RunOfEmoji", u"😀😀😀😀😀😀😀😀\n", 13, {{u"😀😀😀😀😀😀", 12}, {u"😀😀\n", 0}}},
        AdvanceCase{"CutEmojiLeavesShortPieceSkipped", u"ab😀cd\n", 3, {{u"😀c", 5}, {u"😀c", 5}}},
        AdvanceCase{"OffsetBeyondNewTextRestartsAtZero", u"0123456789abcdefghij", 13, {{u"0123456789abc", 13}}, 30},
        AdvanceCase{"OffsetInsideNewTextContinuesThere", u"0123456789abcdefghijklmnopqrstuvwxyz", 13,
                    {{u"nopqrstuvwxyz", 0}}, 23},
        AdvanceCase{"OffsetAtEndOfNewTextWrapsInTheSameCall", u"abcde", 13, {{u"abcde", 0}}, 5},
        // From offset 7 only a short tail is left; read from the start, the same line is long enough.
        AdvanceCase{"ShortTailAtOffsetWrapsToWholeLine", u"abcdefgh\nx\n", 13, {{u"abcdefgh\n", 9}}, 7}),
    [](const testing::TestParamInfo<AdvanceCase>& info) { return std::string(info.param.name); });

TEST(Advance, DisplayIsEmptyBeforeFirstCall) {
    ReadingCursor cursor;
    EXPECT_TRUE(cursor.display.empty());
    EXPECT_EQ(cursor.offset, 0u);
    EXPECT_EQ(cursor.text.size(), 33u);
}

TEST(Advance, ManyShortLinesNeitherOverflowNorHang) {
    ReadingCursor cursor;
    WideString text;
    for (int i = 0; i < 5'000'000; ++i) text += W(u"x\n");
    cursor.text = text;
    cursor.offset = 7;
    Advance(cursor, 13);
    EXPECT_TRUE(cursor.display.empty());
    EXPECT_EQ(cursor.offset, 0u);

    cursor.text += W(u"found\n");  // one showable line at the very end is still reached
    cursor.offset = 0;
    Advance(cursor, 13);
    EXPECT_EQ(cursor.display, W(u"found\n"));
    EXPECT_EQ(cursor.offset, 0u);
}

}  // namespace
