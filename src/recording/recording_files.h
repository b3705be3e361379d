// Checks of the places a recording writes to, made before anything is written: the video folder,
// the final names, the free space; and a rename that never replaces a file already there.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace wellvue {

// Why a recording cannot go to `folder` (UTF-8 name): missing, not a folder, one of the system's
// own (the root, /usr, /etc... which root could write to), not writable. Empty
// when it can. The text is the operator's (CP1252).
std::string video_folder_problem(const std::string& folder);
// Why `path` (UTF-8) cannot be a final name of a recording: a name the file system refuses, or a
// link or something else than a plain file already there. Empty when it can.
std::string final_name_problem(const std::string& path);
// Bytes the user may still write in `folder`; nullopt when the file system cannot tell.
std::optional<std::uint64_t> free_bytes(const std::string& folder);
// Renames `from` to `to` unless `to` exists (the error is then file_exists); nothing is replaced.
bool rename_no_replace(const std::string& from, const std::string& to, std::error_code& ec);
// True when `path` is a plain file (not a link) owned by the user running the station.
bool is_own_plain_file(const std::string& path);

}  // namespace wellvue
