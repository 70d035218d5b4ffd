// Files nobody meant as text, and very large ones: each loads without crashing or hanging, and the
// reading that follows keeps to the contract of Advance.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "advance_contract.h"
#include "temp_file.h"
#include "test_text.h"
#include "text_loader.h"

namespace {

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

std::string ExecutableLike() {
    std::string blob = "MZ" + std::string(58, '\0') + std::string("\x80\0\0\0", 4) + std::string(64, '\0');
    blob += std::string("PE\0\0\x64\x86", 6) + std::string(1000, '\0');
    return blob + RandomBytes(16 << 10, 7) + std::string(4096, '\0');
}

struct HostileFile {
    const char* name;
    std::function<std::string()> bytes;
    std::size_t textLength;  // the text's exact length where every decoding agrees on it, else 0
};

void PrintTo(const HostileFile& c, std::ostream* os) { *os << c.name; }

class HostileFileCase : public testing::TestWithParam<HostileFile> {};

TEST_P(HostileFileCase, LoadsAndReadsWithinTheContract) {
    const std::string bytes = GetParam().bytes();
    TempFile file(bytes);
    ReadingCursor cursor;
    cursor.offset = 1000;  // left from an earlier text, as a load leaves it
    LoadTextFile(cursor, file.Path());

    EXPECT_LE(cursor.text.size(), bytes.size() + 1);
    if (GetParam().textLength) {
        EXPECT_EQ(cursor.text.size(), GetParam().textLength);
    }
    for (const std::int32_t segmentLength : {13, 26, 39, 52}) {
        for (int call = 0; call < 200; ++call) {
            const std::string broken = contract::CheckedAdvance(cursor, segmentLength);
            ASSERT_EQ(broken, "") << "call " << call;
            if (cursor.offset == 0) break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    LoadTextFile, HostileFileCase,
    testing::Values(
        HostileFile{"RandomBytesWithZeros", [] { return RandomBytes(64 << 10, 1); }, 0},
        HostileFile{"ExecutableLike", ExecutableLike, 0},
        HostileFile{"Utf16WithoutMark",
                    [] { return std::string("\x2D\x4E\x87\x65h\0e\0l\0l\0o\0\n\0", 16); }, 0},
        HostileFile{"FiveMillionEmptyLines", [] { return std::string(5'000'000, '\n'); }, 5'000'000},
        HostileFile{"OneLineOf50MB", [] { return std::string(50'000'000, 'x'); }, 50'000'001},
        HostileFile{"OneChineseLineOf50MB",
                    [] {
                        std::string line;
                        line.reserve(50'000'000);
                        while (line.size() < 50'000'000) line += "\xD6\xD0\xCE\xC4";  // 中文
                        return line;
                    },
                    25'000'001}),
    [](const testing::TestParamInfo<HostileFile>& info) { return std::string(info.param.name); });

}  // namespace
