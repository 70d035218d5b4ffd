// Its own executable, since it replaces the global operator new so that large allocations fail.
#include <gtest/gtest.h>

#include <cstdint>

#include "test_support.h"
#include "text_loader.h"

extern std::size_t gLargestAllocation;  // failing_new.cpp: operator new fails above it

TEST(LoadTextFile, OutOfMemoryLeavesTextEmpty) {
    TempFile file(std::string(4 << 20, 'x'), "large.txt");
    // Fails for the reading buffer, then for the text; with no limit, the file is read whole.
    for (const std::size_t limit : {std::size_t{32} << 10, std::size_t{4} << 20, SIZE_MAX}) {
        ReadingCursor cursor;
        gLargestAllocation = limit;
        EXPECT_NO_THROW(LoadTextFile(cursor, file.wide));
        gLargestAllocation = SIZE_MAX;
        EXPECT_EQ(cursor.text.size(), limit == SIZE_MAX ? std::size_t{4 << 20} + 1 : 0) << limit;
    }
}
