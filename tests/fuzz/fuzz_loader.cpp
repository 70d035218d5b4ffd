// Any bytes as a file: LoadTextFile, then one round of reading through the text with Advance.
#include <unistd.h>

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "fuzz_support.h"
#include "text_loader.h"

namespace {

const std::filesystem::path& FilePath() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("sundrovale_fuzz_loader_" + std::to_string(getpid()) + ".txt");
    return path;
}

void Write(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(FilePath().c_str(), "wb");
    fuzz::Check(f != nullptr, "cannot write the temporary file");
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// Printable ASCII and line feeds have one reading under every decoding: the text is the bytes,
// with a line feed after an unterminated last line.
bool PlainAscii(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] != '\n' && (data[i] < 0x20 || data[i] > 0x7E)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Write(data, size);
    ReadingCursor cursor;
    cursor.offset = size > 0 ? data[0] : 0;  // loading keeps the old offset, which may be past the end
    LoadTextFile(cursor, FilePath().wstring());

    fuzz::Check(std::strcmp(std::setlocale(LC_ALL, nullptr), "C") == 0, "locale not restored to C");
    // No decoding makes more units than bytes; one line feed may be added after the last line.
    fuzz::Check(cursor.text.size() <= size + 1, "text longer than the file allows: " +
                                                    std::to_string(cursor.text.size()) + " units from " +
                                                    std::to_string(size) + " bytes");
    if (PlainAscii(data, size)) {
        WideString expected(data, data + size);
        if (!expected.empty() && expected.back() != u'\n') expected += u'\n';
        fuzz::Check(cursor.text == expected, "plain ASCII file not loaded as it stands");
    }

    const std::int32_t segmentLength = fuzz::kSegmentLengths[size % 4];
    // Reads until the offset wraps to 0; each shown piece has 3 units or more, so this is bounded.
    for (std::size_t calls = 0; calls <= cursor.text.size(); ++calls) {
        fuzz::CheckedAdvance(cursor, segmentLength);
        if (cursor.offset == 0) break;
    }
    return 0;
}
