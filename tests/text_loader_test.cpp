#include <gtest/gtest.h>

#include <filesystem>

#include "temp_file.h"
#include "test_text.h"
#include "text_encoding.h"
#include "text_loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace std::string_literals;

struct LoadCase {
    const char* name;
    std::string bytes;
    std::u16string text;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadTextFileCase : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTextFileCase, BuildsTextFromLines) {
    TempFile file(GetParam().bytes);
    ReadingCursor cursor;
    LoadTextFile(cursor, file.Path());
    EXPECT_EQ(cursor.text, W(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    LoadTextFile, LoadTextFileCase,
    testing::Values(
        LoadCase{"CrLfBecomesLf", "a\r\nb\r\n", u"a\nb\n"},
        LoadCase{"LastLineGetsLineFeed", "a\nb", u"a\nb\n"},
        LoadCase{"EmptyLineKept", "a\n\n", u"a\n\n"},
        LoadCase{"EmptyFile", "", u""},
        LoadCase{"OnlyLineFeeds", "\n\n\n", u"\n\n\n"},
        LoadCase{"CodePage936", "\xD6\xD0\xCE\xC4\n", u"中文\n"},
        LoadCase{"MixedAsciiAndChinese", "\xC4\xE3\xBA\xC3 world\r\nok", u"你好 world\nok\n"},
        LoadCase{"ZeroByteEndsText", "ab\ncd\0ef\ngh\n"s, u"ab\ncd"},
        LoadCase{"LoneCarriageReturnKept", "a\rb\n", u"a\rb\n"},
        LoadCase{"CtrlZEndsInputMidLine", "ab\ncd\x1A" "ef\ngh\n", u"ab\ncd\n"},
        LoadCase{"CtrlZAtLineStartAddsNoLine", "ab\n\x1A" "cd\n", u"ab\n"}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

// A text as a UTF-16 file with its byte-order mark.
std::string Utf16File(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

const std::string kMark8 = "\xEF\xBB\xBF";
const std::u16string kSame = u"读书 ok\n第二行\nend\n";
const std::u16string kSameWithEmoji = u"读书 ok\n第二行 😀\nend\n";

// One text in every encoding a file may come in (code page 936 has no emoji), then the line and
// control-character rules of the Unicode files.
INSTANTIATE_TEST_SUITE_P(
    Encodings, LoadTextFileCase,
    testing::Values(
        LoadCase{"Cp936", "\xB6\xC1\xCA\xE9 ok\r\n\xB5\xDA\xB6\xFE\xD0\xD0\nend", kSame},
        LoadCase{"Utf8", u8"读书 ok\r\n第二行\nend", kSame},
        LoadCase{"Utf8Mark", kMark8 + u8"读书 ok\r\n第二行\nend", kSame},
        LoadCase{"Utf16Le", Utf16File(u"读书 ok\r\n第二行\nend", false), kSame},
        LoadCase{"Utf16Be", Utf16File(u"读书 ok\r\n第二行\nend", true), kSame},
        LoadCase{"Utf8Emoji", u8"读书 ok\r\n第二行 😀\nend", kSameWithEmoji},
        LoadCase{"Utf8MarkEmoji", kMark8 + u8"读书 ok\r\n第二行 😀\nend", kSameWithEmoji},
        LoadCase{"Utf16LeEmoji", Utf16File(u"读书 ok\r\n第二行 😀\nend", false), kSameWithEmoji},
        LoadCase{"Utf16BeEmoji", Utf16File(u"读书 ok\r\n第二行 😀\nend", true), kSameWithEmoji},
        LoadCase{"CrCrLf", "a\r\r\nb", u"a\r\nb\n"},
        LoadCase{"LoneCrBeforeCrLf", "a\rb\r\nc\r", u"a\rb\nc\r\n"},
        LoadCase{"Utf16LeCrCrLf", Utf16File(u"中\r\r\n\r", false), u"中\r\n\r\n"},
        LoadCase{"Utf8MarkOnly", kMark8, u""},
        LoadCase{"Utf16MarkOnly", "\xFE\xFF", u""},
        LoadCase{"Utf16LoneCrCtrlZAndZeroKept", Utf16File(u"a\r\nb\rc\x1A\0d"s, false), u"a\nb\rc\x1A\0d\n"s},
        LoadCase{"Utf8CtrlZAndZeroKept", u8"中\x1A文\0!"s, u"中\x1A文\0!\n"s},
        LoadCase{"Utf8MarkInvalidBytes", kMark8 + "a\xC0\r\n\xE4\xB8", u"a\uFFFD\n\uFFFD\n"},
        // a, a high half before LF, a lone low half, an odd last byte
        LoadCase{"Utf16InvalidUnits", "\xFF\xFE" "a\0\x3D\xD8\n\0\x00\xDC" "b"s, u"a\uFFFD\n\uFFFD\uFFFD\n"}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(LoadTextFile, BrokenUtf8WithoutMarkIsReadAsCp936) {
    for (const std::string& tail : {"\xE6\x96"s, "\xE6\x96" "a"s, "\xC0\xAF"s, "\xE0\x80\xAF"s,
                                    "\xED\xA0\x80"s, "\xF4\x90\x80\x80"s, "\x80"s}) {
        const std::string bytes = "\xE4\xB8\xAD ok\n" + tail;  // valid UTF-8 until the tail
        TempFile file(bytes);
        ReadingCursor cursor;
        LoadTextFile(cursor, file.Path());
        EXPECT_EQ(cursor.text, ConvertToWide(bytes + "\n")) << testing::PrintToString(tail);
        EXPECT_NE(cursor.text, DecodeUtf8(bytes + "\n"));
    }
}

TEST(LoadTextFile, KeepsOffsetAndDisplay) {
    TempFile file("0123456789abcdefghijklmnopqrstuvwxyz\n");
    ReadingCursor cursor;
    Advance(cursor, 13);
    Advance(cursor, 13);
    ASSERT_EQ(cursor.offset, 23u);
    const DisplaySegment shown = cursor.display;
    LoadTextFile(cursor, file.Path());
    EXPECT_EQ(cursor.offset, 23u);
    EXPECT_EQ(cursor.display, shown);
    Advance(cursor, 13);
    EXPECT_EQ(cursor.display, W(u"nopqrstuvwxyz"));
}

TEST(LoadTextFile, UnopenablePathsEmptyTheText) {
    const auto folder = std::filesystem::temp_directory_path();
    for (const std::wstring& path : {std::wstring(), (folder / "sundrovale-no-such-file.txt").wstring(),
                                     folder.wstring()}) {
        ReadingCursor cursor;
        LoadTextFile(cursor, path);
        EXPECT_TRUE(cursor.text.empty());
        Advance(cursor, 13);
        EXPECT_TRUE(cursor.display.empty());
    }
}

TEST(LoadTextFile, OpensNonAsciiPath) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto path = folder / std::filesystem::u8path("sundrovale-中文.txt");
    std::ofstream(path, std::ios::binary) << "hello\n";
    ReadingCursor cursor;
    LoadTextFile(cursor, folder.wstring() + L"/sundrovale-中文.txt");
    std::filesystem::remove(path);
    EXPECT_EQ(cursor.text, W(u"hello\n"));
}

TEST(ConvertToWide, InvalidBytesNeitherCrashNorOverrun) {
    for (const std::string& bytes : {"\xFF"s, "\x81"s, "ab\xD6"s, "\xD6\xD0\xFF\xFF\xCE\xC4"s}) {
        const ReadingText text = ConvertToWide(bytes);
        EXPECT_LE(text.size(), bytes.size());
    }
}

#ifdef _WIN32
TEST(LoadTextFile, ReadsFileOpenForWritingElsewhere) {
    TempFile file("shared\n");
    HANDLE writer = CreateFileW(file.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ReadingCursor cursor;
    LoadTextFile(cursor, file.Path());
    CloseHandle(writer);
    EXPECT_EQ(cursor.text, W(u"shared\n"));
}

TEST(LoadTextFile, FileLockedAgainstReadingLeavesTextEmpty) {
    TempFile file("locked\n");
    HANDLE locker = CreateFileW(file.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    ReadingCursor cursor;
    LoadTextFile(cursor, file.Path());
    CloseHandle(locker);
    EXPECT_TRUE(cursor.text.empty());
}
#endif

}  // namespace
