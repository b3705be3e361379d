// Keeps a recording that holds nothing playable out of the way without deleting it: the file is
// renamed beside itself with ".irrecuperable" added, never over an existing file.
#pragma once
#include <string>
#include <system_error>

namespace wellvue::avi {

// Renames `path` to "<path>.irrecuperable" (or "<path>.irrecuperable.N" when that is taken) in
// the same folder and returns the new name; on failure returns "" with `ec` set and leaves the
// file where it is.
std::string set_aside(const std::string& path, std::error_code& ec);

}  // namespace wellvue::avi
