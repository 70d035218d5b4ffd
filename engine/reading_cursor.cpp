#include "reading_cursor.h"

#include <algorithm>

const char16_t WELCOME_TEXT[] =
    u"欢迎使用蕨汀浮卷机\n双击窗口暂停或者继续阅读\n右击窗口打开功能菜单";

ReadingCursor gCursor;

namespace {

// Pieces this short (an empty line, one character and its break) are passed over, never shown.
constexpr std::size_t kShortestShown = 3;

// Steps over a run of pieces that would be skipped for ending at a line break before they reach
// kShortestShown units, in one tight loop: a text of empty lines then costs little more than a scan.
std::size_t SkipShortLines(const ReadingText& text, std::size_t at) {
    const std::size_t length = text.size();
    for (;;) {
        std::size_t units = 1;  // the piece at `at` up to and with its line break, if that comes soon
        while (units < kShortestShown && at + units <= length && !IsLineBreak(text[at + units - 1])) ++units;
        if (units >= kShortestShown || at + units > length) return at;
        at += units;
    }
}

}  // namespace

void Advance(ReadingCursor& cursor, std::int32_t segmentLength) {
    const ReadingText& text = cursor.text;
    const std::size_t length = text.size();
    const std::size_t limit = segmentLength > 0 ? static_cast<std::size_t>(segmentLength) : 0;
    // A loop, never recursion, so no text can exhaust the stack. Two rounds are enough: the rest of
    // the text from the offset, then all of it from 0; pieces from 0 are always cut alike, so a
    // third round would find nothing new. Shorter limits than a showable piece find nothing at all.
    for (int wraps = 0; wraps < 2 && limit >= kShortestShown;) {
        if (cursor.offset > length) cursor.offset = 0;
        const std::size_t start = SkipShortLines(text, cursor.offset);
        const std::size_t stop = start + std::min(limit, length - start);
        const auto lineEnd = std::find_if(text.begin() + start, text.begin() + stop, IsLineBreak);
        std::size_t end = lineEnd == text.begin() + stop ? stop : (lineEnd - text.begin()) + 1;
        // A piece cut short of the text's end never splits a surrogate pair.
        if (end < length && end - start > 1 && IsHighSurrogate(text[end - 1])) --end;
        if (end >= length) {
            cursor.offset = 0;
            ++wraps;
        } else {
            cursor.offset = static_cast<std::uint32_t>(end);
        }
        if (end - start >= kShortestShown) {
            cursor.display.assign(text, start, end - start);
            return;
        }
    }
    // No piece of three characters or more anywhere: show nothing and read from the start.
    cursor.display.clear();
    cursor.offset = 0;
}
