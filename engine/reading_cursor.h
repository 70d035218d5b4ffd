#pragma once
#include <cstdint>

#include "wide_text.h"

using ReadingText = WideString;
using DisplaySegment = WideString;

extern const char16_t WELCOME_TEXT[];

struct ReadingCursor {
    std::uint32_t offset = 0;  // where the next segment starts, in UTF-16 code units
    ReadingText text = ToWide(WELCOME_TEXT);
    DisplaySegment display;
};

// The one cursor the program reads with, from start to exit.
extern ReadingCursor gCursor;

// Puts the next segment of at most segmentLength characters on show and moves the offset past it.
void Advance(ReadingCursor& cursor, std::int32_t segmentLength);
