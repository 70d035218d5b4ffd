#include "reading_cursor.h"

#include <algorithm>

const char16_t WELCOME_TEXT[] =
    u"欢迎使用蕨汀浮卷机\n双击窗口暂停或者继续阅读\n右击窗口打开功能菜单";

ReadingCursor gCursor;

namespace {

bool IsLineBreak(WideChar c) { return c == u'\r' || c == u'\n'; }

bool IsHighSurrogate(WideChar c) { return c >= 0xD800 && c <= 0xDBFF; }

// Pieces this short (an empty line, one character and its break) are passed over, never shown.
constexpr std::size_t kShortestShown = 3;

}  // namespace

void Advance(ReadingCursor& cursor, std::int32_t segmentLength) {
    const ReadingText& text = cursor.text;
    const std::size_t length = text.size();
    const std::size_t limit = segmentLength > 0 ? static_cast<std::size_t>(segmentLength) : 0;
    // Every try but the last consumes at least one character, so one pass over the text (and two
    // spare tries for the wrap) finds a showable piece if there is one; a loop, so no text can
    // exhaust the stack.
    for (std::size_t tries = 0; tries < length + 2; ++tries) {
        if (cursor.offset > length) cursor.offset = 0;
        const std::size_t start = cursor.offset;
        const std::size_t stop = start + std::min(limit, length - start);
        const auto lineEnd = std::find_if(text.begin() + start, text.begin() + stop, IsLineBreak);
        std::size_t end = lineEnd == text.begin() + stop ? stop : (lineEnd - text.begin()) + 1;
        // A piece cut short of the text's end never splits a surrogate pair; one unit is always kept,
        // so every try still moves on.
        if (end < length && end - start > 1 && IsHighSurrogate(text[end - 1])) --end;
        cursor.offset = static_cast<std::uint32_t>(end >= length ? 0 : end);
        if (end - start >= kShortestShown) {
            cursor.display.assign(text, start, end - start);
            return;
        }
    }
    // No piece of three characters or more anywhere: show nothing and read from the start.
    cursor.display.clear();
    cursor.offset = 0;
}
