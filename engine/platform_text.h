#pragma once
// The engine's only doors to the operating system; one implementation per platform, chosen by CMake.
// Files are read through the system's own calls, and the code pages decoded by the engine's own code,
// the same on every platform.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "wide_text.h"

// An open file: a descriptor natively, a HANDLE on Windows; kNoFile where none could be opened.
using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;
constexpr std::size_t kReadFailed = static_cast<std::size_t>(-1);

// Opens a file by its UTF-16 path for reading, letting other processes read, write, rename and
// delete it meanwhile, so that a downloader still writing it is never blocked.
FileHandle OpenForReading(const std::wstring& path);
// Reads size bytes from offset into buffer and returns how many, fewer only at the file's end; or
// kReadFailed (a folder, a region another process locked).
std::size_t ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t size);
// The file's size in bytes, or 0 when the system cannot tell.
std::uint64_t FileSize(FileHandle file);
void CloseFile(FileHandle file);

constexpr std::size_t kNotMapped = static_cast<std::size_t>(-1);

// Converts UTF-8 through the platform's own converter, or gives kNotMapped when some sequence is not
// well-formed; callers pass bytes already known to be well-formed, for the platform's speed.
std::size_t ConvertUtf8(std::string_view bytes, WideChar* out);
