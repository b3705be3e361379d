// Whole reads and writes at a position of an open file, for the finishing of exported files.
#pragma once
#include <sys/types.h>

#include <cstddef>

namespace wellvue::exporting {

// All `n` bytes or false (end of file, error).
bool read_at(int fd, char* to, std::size_t n, off_t at);
bool write_at(int fd, const char* from, std::size_t n, off_t at);

}  // namespace wellvue::exporting
