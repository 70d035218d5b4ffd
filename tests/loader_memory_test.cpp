// Runs in its own executable: it replaces the global operator new so that large allocations fail.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "temp_file.h"
#include "test_text.h"
#include "text_loader.h"

namespace {
std::size_t gLargestAllocation = SIZE_MAX;
}

void* operator new(std::size_t size) {
    if (size > gLargestAllocation) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(LoadTextFile, OutOfMemoryLeavesTextEmptyAndCLocale) {
    const std::string line(999, 'x');
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += line + "\n";  // 1 MB
    TempFile file(bytes);

    // Fails while gathering the lines, then while converting them.
    for (const std::size_t limit : {std::size_t{64} << 10, 2 * bytes.size() + 1}) {
        ReadingCursor cursor;
        gLargestAllocation = limit;
        EXPECT_NO_THROW(LoadTextFile(cursor, file.Path()));
        gLargestAllocation = SIZE_MAX;
        EXPECT_TRUE(cursor.text.empty()) << limit;
        EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    }

    ReadingCursor cursor;
    LoadTextFile(cursor, file.Path());
    EXPECT_EQ(cursor.text.size(), bytes.size());
}

}  // namespace
