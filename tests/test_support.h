#pragma once
#include <filesystem>
#include <fstream>
#include <string>

#include "reading_cursor.h"

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
};
