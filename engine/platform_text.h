#pragma once
// The engine's only doors to the operating system; one implementation per platform, chosen by CMake.
#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>

#include "wide_text.h"

// Opens a file by its UTF-16 path, in binary, letting other processes read and write it meanwhile.
void OpenForReading(std::ifstream& file, const std::wstring& path);

constexpr std::size_t kNotMapped = static_cast<std::size_t>(-1);

// Converts code page 936 bytes through the platform's own table, writing at most one unit per byte.
// Returns the units written, or kNotMapped when some sequence is no character in that table, a lead
// byte at the end or before a byte that cannot follow it included.
std::size_t ConvertMapped936(std::string_view bytes, WideChar* out);

// Converts Big5 (code page 950) bytes the same way; the user-defined rows map to the private use area.
std::size_t ConvertBig5(std::string_view bytes, WideChar* out);

// Converts UTF-8 through the platform's own converter, or gives kNotMapped when some sequence is not
// well-formed; callers pass bytes already known to be well-formed, for the platform's speed.
std::size_t ConvertUtf8(std::string_view bytes, WideChar* out);
