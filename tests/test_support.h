#pragma once
// Helpers the engine's tests and its fuzz target share.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "reading_cursor.h"

inline WideString W(std::u16string_view units) { return ToWide(units); }

// A file named by a Chinese name in the temporary folder, so every load also opens a non-ASCII path.
struct TempFile {
    std::filesystem::path path;
    std::wstring wide;  // the same path as LoadTextFile takes it
    TempFile(const std::string& bytes, const std::string& name) {
        const auto folder = std::filesystem::temp_directory_path();
        path = folder / std::filesystem::u8path(u8"sundrovale-文件-" + name);
        wide = folder.wstring() + L"/sundrovale-文件-" + std::wstring(name.begin(), name.end());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ~TempFile() { std::filesystem::remove(path); }
    std::wstring Path() const { return wide; }
};

// Calls Advance and returns the rule it broke, or nullptr: the offset stays in range; a piece is
// empty or 3 units and more, no longer than the segment length, holds no line break before its last
// unit, ends on a high surrogate only at the text's end, and is the text just before the new offset.
inline const char* CheckedAdvance(ReadingCursor& c, int segmentLength) {
    Advance(c, segmentLength);
    const WideString& piece = c.display;
    const std::size_t end = c.offset == 0 ? c.text.size() : c.offset;
    if (c.offset != 0 && c.offset >= c.text.size()) return "offset outside the text";
    if (piece.empty()) return nullptr;
    if (piece.size() < 3 || piece.size() > static_cast<std::size_t>(segmentLength)) return "piece length";
    if (std::any_of(piece.begin(), piece.end() - 1, IsLineBreak)) return "line break inside the piece";
    if (IsHighSurrogate(piece.back()) && end != c.text.size()) return "surrogate pair split";
    if (end < piece.size() || c.text.compare(end - piece.size(), piece.size(), piece) != 0)
        return "piece is not the text before the offset";
    return nullptr;
}
