// Peak memory of one load of the 30 MB novel, as a multiple of the file size: the heap bytes live
// at once (counted by replacing operator new), and the growth of the resident set as a cross-check.
#include <sys/resource.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "novel_text.h"
#include "table.h"
#include "text_loader.h"

namespace {
std::size_t gLive = 0;
std::size_t gPeak = 0;
constexpr std::size_t kHeader = alignof(std::max_align_t);  // keeps the size in front of each block

long MaxResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
}  // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    gLive += size;
    if (gLive > gPeak) gPeak = gLive;
    return block + kHeader;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    gLive -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

int main() {
    const double fileBytes = static_cast<double>(novel::WriteNovel("novel_936.txt"));  // its buffer is gone
    ReadingCursor cursor;
    cursor.text.clear();
    cursor.text.shrink_to_fit();
    const long rssBefore = MaxResidentKb();
    const std::size_t liveBefore = gLive;
    gPeak = gLive;
    LoadTextFile(cursor, L"novel_936.txt");
    const double peak = (gPeak - liveBefore) / fileBytes;
    const double kept = (gLive - liveBefore) / fileBytes;
    const double rss = (MaxResidentKb() - rssBefore) * 1024.0 / fileBytes;
    table::Row("Load peak heap / file size", table::Format("%.2fx", peak), "<= 3.5x", peak <= 3.5);
    table::Row("  resident set growth / file size", table::Format("%.2fx", rss), "", true);
    table::Row("  heap kept as the text / file size", table::Format("%.2fx", kept), "", true);
    return 0;
}
