#pragma once
// What one Advance call may do, checked from the outside: shared by the fuzz targets (which abort on
// a breach) and the hostile-input tests (which report it).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "reading_cursor.h"

namespace contract {

inline bool IsLineBreak(WideChar c) { return c == u'\r' || c == u'\n'; }
inline bool IsHighSurrogate(WideChar c) { return c >= 0xD800 && c <= 0xDBFF; }

// Either rule is allowed (a piece cut at the segment length may or may not step back off a high
// surrogate), but an engine must keep to one, so it is probed once and then held to it.
inline bool KeepsSurrogatePairs() {
    static const bool keeps = [] {
        ReadingCursor probe;
        probe.text = WideString(12, u'a') + ToWide(u"\U0001F600");  // 14 units; unit 13 is high
        probe.offset = 0;
        Advance(probe, 13);
        return probe.display.size() == 12;
    }();
    return keeps;
}

struct Cut {
    std::size_t end;       // one past the piece's last unit
    std::size_t otherEnd;  // another end the rule allows, or end itself
};

// The piece cut at start: at most limit units, ending after its first line break; stepped back off
// a high surrogate when the limit cut it there. At the very end of the text a cut that is both the
// limit and the text's end may go either way.
inline Cut CutAt(const WideString& text, std::size_t start, std::size_t limit) {
    const std::size_t stop = start + std::min(limit, text.size() - start);
    for (std::size_t i = start; i < stop; ++i)
        if (IsLineBreak(text[i])) return {i + 1, i + 1};
    if (limit == 0 || stop - start != limit || !IsHighSurrogate(text[stop - 1]) || !KeepsSurrogatePairs())
        return {stop, stop};
    if (stop == text.size()) return {stop, stop - 1};
    return {stop - 1, stop - 1};
}

inline std::string Describe(const ReadingCursor& c, std::uint32_t offsetBefore, std::int32_t segmentLength) {
    return " (text of " + std::to_string(c.text.size()) + " units, offset " + std::to_string(offsetBefore) +
           " -> " + std::to_string(c.offset) + ", segment length " + std::to_string(segmentLength) +
           ", display of " + std::to_string(c.display.size()) + " units)";
}

// Calls Advance once and returns what it broke, or an empty string. The expected piece comes from
// walking the cuts from the offset (or 0 past the end): pieces of 2 units or fewer are passed over,
// the first longer one is shown; when a whole round of the text holds none, nothing is shown.
inline std::string CheckedAdvance(ReadingCursor& cursor, std::int32_t segmentLength) {
    const WideString& text = cursor.text;
    const std::size_t length = text.size();
    const std::size_t limit = segmentLength > 0 ? static_cast<std::size_t>(segmentLength) : 0;
    const std::uint32_t offsetBefore = cursor.offset;
    Advance(cursor, segmentLength);
    const WideString& shown = cursor.display;
    const auto fail = [&](const std::string& what) { return what + Describe(cursor, offsetBefore, segmentLength); };

    if (cursor.offset != 0 && cursor.offset >= length) return fail("offset left outside the text");
    if (shown.size() > limit) return fail("piece longer than the segment length");
    if (!shown.empty() && shown.size() < 3) return fail("piece of 1 or 2 units shown");
    if (!shown.empty() && std::find_if(shown.begin(), shown.end() - 1, IsLineBreak) != shown.end() - 1)
        return fail("piece runs past its first line break");

    std::size_t pos = offsetBefore > length ? 0 : offsetBefore;
    for (int wraps = 0; wraps < 2;) {
        const Cut cut = CutAt(text, pos, limit);
        if (cut.end - pos >= 3) {
            for (const std::size_t end : {cut.end, cut.otherEnd}) {
                const std::size_t offsetAfter = end >= length ? 0 : end;
                if (shown.size() == end - pos && text.compare(pos, end - pos, shown) == 0 &&
                    cursor.offset == offsetAfter)
                    return {};
            }
            return fail("expected the piece at " + std::to_string(pos) + " of " + std::to_string(cut.end - pos) +
                        " units, offset " + std::to_string(cut.end >= length ? 0 : cut.end) + " after");
        }
        if (cut.end == pos && pos < length) break;  // no progress possible (no positive length)
        pos = cut.end >= length ? 0 : cut.end;
        if (pos == 0) ++wraps;
    }
    if (!shown.empty()) return fail("a piece shown though the text holds none of 3 units or more");
    return {};
}

}  // namespace contract
