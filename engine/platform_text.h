#pragma once
// The engine's only doors to the operating system; one implementation per platform, chosen by CMake.
// The code pages are decoded by the engine's own code, the same on every platform.
#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>

#include "wide_text.h"

// Opens a file by its UTF-16 path, in binary, letting other processes read and write it meanwhile.
void OpenForReading(std::ifstream& file, const std::wstring& path);

constexpr std::size_t kNotMapped = static_cast<std::size_t>(-1);

// Converts UTF-8 through the platform's own converter, or gives kNotMapped when some sequence is not
// well-formed; callers pass bytes already known to be well-formed, for the platform's speed.
std::size_t ConvertUtf8(std::string_view bytes, WideChar* out);
