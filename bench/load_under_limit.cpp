// Loads files too large for a real address-space limit (RLIMIT_AS, which the sanitizers cannot run
// under) and shows that the program goes on: the text is empty, the locale is back to "C", Advance
// shows nothing, and once the limit is lifted a small file loads again.
#include <sys/resource.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "novel_text.h"
#include "table.h"
#include "text_loader.h"

namespace {

std::size_t AddressSpaceBytes() {
    std::size_t pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%zu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return pages * 4096;
}

void Write(const char* path, const std::string& bytes) {
    std::FILE* f = std::fopen(path, "wb");
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// Loads path with the address space limited to what is in use now plus budget bytes.
bool LoadsEmptyUnderLimit(const wchar_t* path, std::size_t budget, std::size_t& units) {
    rlimit saved{};
    getrlimit(RLIMIT_AS, &saved);
    rlimit limited = saved;
    limited.rlim_cur = AddressSpaceBytes() + budget;
    setrlimit(RLIMIT_AS, &limited);

    ReadingCursor cursor;
    LoadTextFile(cursor, path);
    units = cursor.text.size();
    const bool cLocale = std::strcmp(std::setlocale(LC_ALL, nullptr), "C") == 0;
    Advance(cursor, 13);
    const bool nothingShown = cursor.display.empty() && cursor.offset == 0;
    setrlimit(RLIMIT_AS, &saved);

    ReadingCursor after;
    LoadTextFile(after, L"small.txt");
    Advance(after, 13);
    const bool recovers = after.display == ToWide(u"一切如常\n");
    return units == 0 && cLocale && nothingShown && recovers;
}

}  // namespace

int main() {
    Write("small.txt", "\xD2\xBB\xC7\xD0\xC8\xE7\xB3\xA3\r\n");  // 一切如常
    bool allHeld = true;
    std::size_t units = 0;

    // Many ordinary lines: the gathered bytes outgrow the limit.
    Write("large_lines.txt", novel::Generate(256u << 20));
    bool held = LoadsEmptyUnderLimit(L"large_lines.txt", 384u << 20, units);
    table::Row("Load 256 MB of lines under +384 MB limit", table::Format("%zu units", units), "empty", held);
    allHeld = allHeld && held;

    // A few lines, then one line too long for the limit: the failure comes inside the line read.
    Write("long_last_line.txt", novel::Generate(4u << 20) + std::string(300u << 20, 'x'));
    held = LoadsEmptyUnderLimit(L"long_last_line.txt", 384u << 20, units);
    table::Row("Load 4 MB + 300 MB line, +384 MB limit", table::Format("%zu units", units), "empty", held);
    allHeld = allHeld && held;

    std::remove("large_lines.txt");
    std::remove("long_last_line.txt");
    return allHeld ? 0 : 1;
}
