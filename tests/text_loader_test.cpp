#include <gtest/gtest.h>

#include <vector>

#include "sample_texts.h"
#include "test_support.h"
#include "text_loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace std::string_literals;

struct LoadCase { std::string name, bytes; WideString text; };

std::string Utf16File(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : text)
        bytes += {char(bigEndian ? u >> 8 : u & 0xFF), char(bigEndian ? u & 0xFF : u >> 8)};
    return bytes;
}

const LoadCase kCases[] = {
    // Text mode on code page files: CR LF is LF, a lone CR stays, Ctrl+Z ends the input, and a
    // zero ends the text, a sequence it cuts off as one U+FFFD; every line ends in one LF.
    {"LineEnds", "a\r\nb\rc\r\r\n\n\nd\r", ToWide(u"a\nb\rc\r\n\n\nd\r\n")},
    {"CtrlZAtLineStart", "ab\n\x1A" "cd\nefgh", ToWide(u"ab\n")},  // a whole eight-byte word past it
    {"LeadBeforeZero", "ab\xD6\0c"s, ToWide(u"ab\uFFFD")},
    // A byte-order mark decides, else strict UTF-8 beyond ASCII.
    {"Utf8Mark", "\xEF\xBB\xBF" u8"读书 😀\r\nend", ToWide(u"读书 😀\nend\n")},
    {"Utf16Le", Utf16File(u"读书 😀\r\n\r\r\nend", false), ToWide(u"读书 😀\n\r\nend\n")},
    {"Utf16Be", Utf16File(u"读书 😀\r\nend", true), ToWide(u"读书 😀\nend\n")},
    // Unicode files keep Ctrl+Z and zero.
    {"Utf8KeepsCtrlZAndZero", u8"中\x1A文\0!"s, ToWide(u"中\x1A文\0!\n"s)},
};

const WideString kBefore = ToWide(u"the text before\n");

// The text a load leaves; the offset and the piece on show stay as they were, so reading goes on
// where it was.
WideString Loaded(const std::wstring& path) {
    ReadingCursor cursor{23, kBefore, ToWide(u"on show")};
    const bool read = LoadTextFile(cursor, path);
    EXPECT_EQ(read, cursor.text != kBefore) << "whether it says it read the file";
    EXPECT_EQ(cursor.offset, 23u);
    EXPECT_EQ(cursor.display, ToWide(u"on show"));
    return cursor.text;
}

TEST(LoadTextFile, BuildsTextFromBytes) {
    for (const LoadCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Loaded(TempFile(c.bytes, c.name + ".txt").wide), c.text);
    }
}

// GB 18030's 81 30 81 broken by a lone CR and a CR LF, at each place across the first pieces' edge:
// the text as read whole, and, where the three bytes wait for the next piece, no unit past the room
// for one.
TEST(LoadTextFile, ReadsAcrossThePieceEdge) {
    const std::size_t size = 200'000, piece = PieceSize(size);
    for (std::size_t at = piece - 4; at <= piece; ++at) {
        const TempFile file(std::string(at, 'a') + "\x81\x30\x81\r\r\n" + std::string(size - at - 6, 'a'), "edge.txt");
        const WideString text = WideString(at, 'a') + ToWide(u"\uFFFD0\uFFFD\r\n") + WideString(size - at - 6, 'a') + WideChar('\n');
        EXPECT_TRUE(Loaded(file.wide) == text) << "at " << at;
    }
}

// The text takes the room it needs and a little over, in any encoding, however its density changes
// along the file: its room is set once, from samples of all of it, with a margin, so that a text a
// little denser than they show is not moved, which would double the peak.
TEST(LoadTextFile, TakesRoomForItsTextAlone) {
    const auto filled = [](const std::string& unit, std::size_t size) {
        std::string bytes;  // a marked UTF-16 file: its later marks are U+FEFF
        while (bytes.size() < size) bytes += unit;
        return bytes;
    };
    const std::size_t size = 5 * kLoadPieceSize / 2;
    const std::string ascii = "A plain line of text, and a shorter one.\r\nAnd so on.\n";
    std::vector<std::pair<std::string, std::string>> files = {{"ASCII", filled(ascii, size)},
                                                              {"UTF-16", filled(Utf16File(u"读书 😀\r\n第二行\n", false), size)}};
    for (const SampleText& text : SampleTexts()) {
        if (text.encoding == TextEncoding::Big5) files.emplace_back(text.name, filled(text.bytes, size));
        if (text.name.rfind("simplified", 0) != 0) continue;
        files.emplace_back(text.name, filled(text.bytes, size));
        files.emplace_back(text.name + ", then ASCII", filled(text.bytes, size / 2) + filled(ascii, size / 2));
        files.emplace_back("ASCII, then " + text.name, filled(ascii, size / 2) + filled(text.bytes, size / 2));
    }
    for (const auto& [name, bytes] : files) {
        TempFile file(bytes, "room.txt");
        ReadingCursor cursor;
        LoadTextFile(cursor, file.wide);
        const double text = static_cast<double>(cursor.text.size()), room = static_cast<double>(cursor.text.capacity());
        EXPECT_GT(text, bytes.size() / 4) << name;
        EXPECT_GE(room, text * (1 + 1.0 / 128)) << name;
        EXPECT_LE(room, text * 1.1 + 16) << name;
    }
}

// A file that cannot be opened or read when the load starts leaves the text as it was too.
TEST(LoadTextFile, UnreadableFilesLeaveTheCursorAsItWas) {
    const auto folder = std::filesystem::temp_directory_path();
    for (const std::wstring& path : {std::wstring(), (folder / "sundrovale-missing.txt").wstring(), folder.wstring()})
        EXPECT_EQ(Loaded(path), kBefore);
}

#ifdef _WIN32
// Files open with read, write and delete sharing: a writer that lets others rename the file does not
// stop the load. (One that shuts others out does: the Open command's test.)
TEST(LoadTextFile, ReadsBesideAWriterThatShares) {
    TempFile file("shared\n", "shared.txt");
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE other = CreateFileW(file.wide.c_str(), GENERIC_WRITE | DELETE, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Loaded(file.wide), ToWide(u"shared\n"));
    CloseHandle(other);
}
#endif

}  // namespace
