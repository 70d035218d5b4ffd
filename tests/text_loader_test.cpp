#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"
#include "text_loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace std::string_literals;

struct LoadCase {
    std::string name;
    std::string bytes;
    WideString text;
};

std::string Utf16File(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : text)
        bytes += {char(bigEndian ? u >> 8 : u & 0xFF), char(bigEndian ? u & 0xFF : u >> 8)};
    return bytes;
}

const std::string kMark8 = "\xEF\xBB\xBF";

std::vector<LoadCase> Cases() {
    std::vector<LoadCase> cases = {
        // Text mode on code page files: CR LF is LF, a lone CR stays, Ctrl+Z ends the input, and a
        // zero ends the text; every line ends in one LF.
        {"CrLf", "a\r\nb\r\n", ToWide(u"a\nb\n")},
        {"LastLineGetsLf", "a\nb", ToWide(u"a\nb\n")},
        {"EmptyLineKept", "a\n\n", ToWide(u"a\n\n")},
        {"Empty", "", ToWide(u"")},
        {"LoneCrKept", "a\rb\r\r\nc\r", ToWide(u"a\rb\r\nc\r\n")},
        {"ZeroEndsText", "ab\ncd\0ef\n"s, ToWide(u"ab\ncd")},
        {"CtrlZEndsInput", "ab\ncd\x1A" "ef\ngh\n", ToWide(u"ab\ncd\n")},
        {"CtrlZAtLineStart", "ab\n\x1A" "cd\n", ToWide(u"ab\n")},
        // One text in every encoding: a byte-order mark decides, else strict UTF-8 beyond ASCII.
        {"Cp936", "\xB6\xC1\xCA\xE9 ok\r\n\xB5\xDA\xB6\xFE\xD0\xD0\nend", ToWide(u"读书 ok\n第二行\nend\n")},
        {"Utf8", u8"读书 ok\r\n第二行\nend", ToWide(u"读书 ok\n第二行\nend\n")},
        {"Utf8Mark", kMark8 + u8"读书 😀\r\nend", ToWide(u"读书 😀\nend\n")},
        {"Utf16Le", Utf16File(u"读书 😀\r\n\r\r\nend", false), ToWide(u"读书 😀\n\r\nend\n")},
        {"Utf16Be", Utf16File(u"读书 😀\r\nend", true), ToWide(u"读书 😀\nend\n")},
        {"OverlongIsCp936", "\xC0\xAF", ToWide(u"蜡\n")},
        {"SurrogateIsCp936", "\xED\xA0\x80", ToWide(u"頎€\n")},
        {"CutUtf8StaysUtf8", "\xC3\xA9\xE4\xB8", ToWide(u"é\uFFFD\n")},
        {"AsciiIsCp936", "a\x1A" "b", ToWide(u"a\n")},
        // Unicode files keep Ctrl+Z and zero; broken sequences become U+FFFD.
        {"Utf8KeepsCtrlZAndZero", u8"中\x1A文\0!"s, ToWide(u"中\x1A文\0!\n"s)},
        {"Utf8MarkBrokenBytes", kMark8 + "a\xC0\r\n\xE4\xB8", ToWide(u"a\uFFFD\n\uFFFD\n")},
        {"Utf16BrokenUnits", "\xFF\xFE" "a\0\x3D\xD8\n\0\x00\xDC" "b"s, ToWide(u"a\uFFFD\n\uFFFD\uFFFD\n")},
        // Code page 936: each sequence that is no character becomes one U+FFFD, and reading goes on.
        {"StrayFF", "\xD6\xD0\xFF\xCE\xC4", ToWide(u"中\uFFFD文\n")},
        {"LeadBeforeLineEnd", "\xD6\r\n\xD6", ToWide(u"\uFFFD\n\uFFFD\n")},
        {"LeadBeforeBytesThatCannotFollow", "\xD6" "1\xD6\x7F\xD6\xFF\xD6\x1A", ToWide(u"\uFFFD1\uFFFD\x7F\uFFFD\uFFFD\n")},
        {"LeadBeforeZero", "ab\xD6\0c"s, ToWide(u"ab\uFFFD")},
        {"AsciiSecondByte", "\x81" "a\xA1\x40", ToWide(u"乤\uE4C6\n")},
        // GB 18030's four-byte sequences: the ends of the BMP part, a range's start, the one special
        // case, the ends of the supplementary part; past an end, one U+FFFD for the four bytes; broken
        // off, the lead byte is one U+FFFD and the bytes after it are read again; cut off by the end
        // of the text, one U+FFFD.
        {"FourBytesBmpEnds", "\x81\x30\x81\x30|\x81\x30\x84\x38|\x84\x31\xA4\x39", ToWide(u"\u0080|©|\uFFFF\n")},
        {"FourBytesSpecialCase", "\x81\x35\xF4\x37", ToWide(u"\uE7C7\n")},
        {"FourBytesSupplementary", "\x90\x30\x81\x30 \x95\x32\x82\x36 \xE3\x32\x9A\x35", ToWide(u"\U00010000 𠀀 \U0010FFFF\n")},
        {"FourBytesPastEnds", "\x84\x31\xA5\x30|\xE3\x32\x9A\x36", ToWide(u"\uFFFD|\uFFFD\n")},
        {"FourBytesCut", "\x81\x30\x81 \x81\x30\r\n\x81\x30\x81", ToWide(u"\uFFFD0\uFFFD \uFFFD0\n\uFFFD\n")},
        // Big5 is read when the text is clearly Big5; a short Traditional text in code page 936 stays so.
        {"Big5", "\xB3\x6F\xAC\x4F\xA4\x40\xAD\xD3\xB4\xFA\xB8\xD5\xA1\x43\r\n\xA4", ToWide(u"這是一個測試。\n\uFFFD\n")},
        {"TraditionalCp936", "\xDF\x40\xCA\xC7\xD2\xBB\x82\x80\x9C\x79\xD4\x87\xA1\xA3", ToWide(u"這是一個測試。\n")},
    };
    // Every byte from 0x80 up alone, and ending a file.
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string one(1, static_cast<char>(b));
        const WideString alone = ToWide(b == 0x80 ? u"€" : u"\uFFFD");
        cases.push_back({"Byte" + std::to_string(b), one, alone + ToWide(u"\n")});
        cases.push_back({"EndingByte" + std::to_string(b), "\xD6\xD0\n" + one, ToWide(u"中\n") + alone + ToWide(u"\n")});
    }
    return cases;
}

TEST(LoadTextFile, BuildsTextFromBytes) {
    for (const LoadCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        TempFile file(c.bytes, c.name + ".txt");
        ReadingCursor cursor;
        cursor.offset = 23;
        LoadTextFile(cursor, file.wide);
        EXPECT_EQ(cursor.text, c.text);
        EXPECT_EQ(cursor.offset, 23u);  // reading goes on where it was
        EXPECT_TRUE(cursor.display.empty());
    }
}

TEST(LoadTextFile, UnopenablePathsLeaveTextEmpty) {
    const auto folder = std::filesystem::temp_directory_path();
    for (const std::wstring& path : {std::wstring(), (folder / "sundrovale-missing.txt").wstring(), folder.wstring()}) {
        ReadingCursor cursor;
        LoadTextFile(cursor, path);
        EXPECT_TRUE(cursor.text.empty());
    }
}

#ifdef _WIN32
// The runtime opens files for reading with read and write sharing, and fails where others deny it.
TEST(LoadTextFile, SharingWithOtherHandles) {
    TempFile file("shared\n", "shared.txt");
    for (const DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}, DWORD{0}}) {
        HANDLE other = CreateFileW(file.wide.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        ReadingCursor cursor;
        LoadTextFile(cursor, file.wide);
        CloseHandle(other);
        EXPECT_EQ(cursor.text, ToWide(share ? u"shared\n" : u""));
    }
}
#endif

}  // namespace
