// Whole text files as lines: reading with CR LF, LF or CR as line ends, and writing every line
// ended by CR LF through a temporary file renamed over the target, so a failure never leaves a
// half-written file behind.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wellvue {

// Lines of a text; a line end at the very end does not open one more line.
std::vector<std::string> split_text_lines(std::string_view text);

// The file's lines. Raises FileError "Impossible d'ouvrir le fichier <path>" when it is
// missing or cannot be read.
std::vector<std::string> read_text_lines(const std::filesystem::path& path);

// Writes the lines, each followed by CR LF, replacing the file; false (and the old file untouched,
// no temporary left) on any failure. Missing parent folders are created when create_parents is set.
bool write_text_lines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                      bool create_parents = false);
// The same with LF line ends (files read by other tools than a subtitle player).
bool write_text_lines_lf(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace wellvue
