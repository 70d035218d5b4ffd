#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

struct AdvanceCase {
    const char* name;
    std::u16string text;
    std::vector<std::pair<std::u16string, std::uint32_t>> steps;  // each display, and the offset after it
    std::uint32_t startOffset = 0;  // as a load leaves it from the text before
};

const AdvanceCase kCases[] = {
    {"WelcomeCyclesThroughThreeLines", WELCOME_TEXT,
     {{u"欢迎使用蕨汀浮卷机\n", 10}, {u"双击窗口暂停或者继续阅读\n", 23}, {u"右击窗口打开功能菜单", 0}, {u"欢迎使用蕨汀浮卷机\n", 10}}},
    {"CarriageReturnEndsPieceToo", u"abc\r\ndef\n", {{u"abc\r", 4}, {u"def\n", 0}}},
    {"ThreeShownTwoSkipped", u"hello\nab\nb\n", {{u"hello\n", 6}, {u"ab\n", 9}, {u"hello\n", 6}}},
    {"ShortTailsSkipped", u"abcdefghijklmnopq\nabcdefghijklmno", {{u"abcdefghijklm", 13}, {u"nopq\n", 18}, {u"abcdefghijklm", 31}, {u"abcdefghijklm", 13}}},
    {"NothingShowable", u"\na\n\nb\r\n", {{u"", 0}, {u"", 0}}},
    // A cut never falls between the two units of an emoji; the piece ends one unit earlier.
    {"EmojiAtCutMovesToNextPiece", u"abcdefghijkl😀xyz\n", {{u"abcdefghijkl", 12}, {u"😀xyz\n", 0}}},
    {"EmojiEndingAtCutStays", u"abcdefghijk😀xyz\n", {{u"abcdefghijk😀", 13}, {u"xyz\n", 0}}},
    {"OffsetInsideNewTextContinuesThere", u"0123456789abcdefghijklmnopqrstuvwxyz", {{u"nopqrstuvwxyz", 0}}, 23},
    {"ShortTailAtOffsetWrapsToWholeLine", u"abcdefgh\nx\n", {{u"abcdefgh\n", 9}}, 7},
    // Crossed in one call, without recursion: the one showable line is at the very end.
    {"MillionsOfEmptyLines", std::u16string(6'000'000, u'\n') + u"found\n", {{u"found\n", 0}}, 7},
};

TEST(Advance, ShowsPiecesInOrder) {
    for (const AdvanceCase& c : kCases) {
        SCOPED_TRACE(c.name);
        ReadingCursor cursor;
        cursor.text = ToWide(c.text);
        cursor.offset = c.startOffset;
        for (const auto& [display, offset] : c.steps) {
            Advance(cursor, 13);  // the narrowest strip's pieces
            EXPECT_EQ(cursor.display, ToWide(display));
            EXPECT_EQ(cursor.offset, offset);
        }
    }
}

}  // namespace
