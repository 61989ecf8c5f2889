// Whole-file reads and writes, and the program's own directory.
// Paths are GBK texts; they reach the file system through the W functions.
#pragma once

#include <string>
#include <string_view>

namespace sorvane {

// The whole file, or empty bytes when it is missing or unreadable.
std::string ReadWholeFile(std::string_view path);

// Creates or truncates the file (exclusive while writing) and writes the
// bytes. False when the file cannot be opened or fully written.
bool WriteWholeFile(std::string_view path, std::string_view bytes);

// Writes a temporary file beside `path`, then renames it over `path`, so a
// crash never leaves a truncated file. False when either step fails.
bool ReplaceFileAtomically(std::string_view path, std::string_view bytes);

// The directory that holds the running program, without a trailing backslash.
std::string ProgramDirectory();

}  // namespace sorvane
