#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "reading_cursor.h"

// Files are read and converted a piece at a time, so the whole file is never held at once: a 64th of
// the file, so that the buffers stay a few percent of its text, from kSmallestPiece (fewer, larger
// reads on small files) to kLoadPieceSize bytes. The fuzz build makes every piece tiny, so that every
// input meets many of their edges.
#ifndef SUNDROVALE_LOAD_PIECE_SIZE
#define SUNDROVALE_LOAD_PIECE_SIZE (std::size_t{1} << 20)
#endif
constexpr std::size_t kLoadPieceSize = SUNDROVALE_LOAD_PIECE_SIZE;
constexpr std::size_t kSmallestPiece = kLoadPieceSize < (64 << 10) ? kLoadPieceSize : 64 << 10;
std::size_t PieceSize(std::uint64_t fileSize);

// Replaces cursor.text with the file's lines, one line feed after each; offset and display stay.
// UTF-8, UTF-16, GB18030 or Big5, as the file's bytes decide (EncodingDetector). A file that cannot
// be opened or read leaves the text as it was, and gives false; memory running out leaves it empty.
bool LoadTextFile(ReadingCursor& cursor, const std::wstring& path);
