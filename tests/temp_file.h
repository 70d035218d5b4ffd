#pragma once
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

// A file in the temporary folder, named after the running test, removed again afterwards.
class TempFile {
public:
    explicit TempFile(const std::string& bytes, const std::string& suffix = ".txt") {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("sundrovale_") + info->test_suite_name() + "_" + info->name() + suffix;
        for (char& c : name)
            if (c == '/') c = '_';
        path_ = std::filesystem::temp_directory_path() / name;
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    std::wstring Path() const { return path_.wstring(); }

private:
    std::filesystem::path path_;
};
