// Writing a whole new file under a name nothing has yet: the bytes go to a hidden temporary file
// in the same folder, reach the disk, then take the name in one step that never replaces what is
// there (a file, a link planted meanwhile). A failure leaves nothing behind.
#pragma once
#include <string_view>

namespace wellvue {

// 0 when `path` now holds `bytes`; otherwise the errno of the step that failed (EEXIST: the name
// is taken, by anything, a dangling link too).
int write_new_file(const std::string& path, std::string_view bytes);

}  // namespace wellvue
