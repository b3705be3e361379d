// The list of observation codes the operator picks from at a depth: one code per line in a
// UTF-8 text file beside the settings file, which the operator may edit; a well's usual codes
// when there is none.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace wellvue {

// The codes a new station offers (UTF-8).
const std::vector<std::string>& default_observation_codes();

// "observations.txt" in the settings file's folder.
std::filesystem::path observation_codes_path(const std::filesystem::path& settings_file);

struct ObservationCodes {
  std::vector<std::string> codes;  // UTF-8, never empty
  std::string message;             // CP1252 text for the operator when something went wrong, else empty
};

// The file's codes: one per line, spaces around it dropped, blank lines and lines starting with
// '#' ignored, a code met again dropped. A missing file is written with the defaults; a file that
// cannot be read, or holds no code, gives the defaults and a message saying why (the file is then
// left as it is, for the operator to mend).
ObservationCodes load_observation_codes(const std::filesystem::path& path);

// Writes the codes (cleaned as a read would) with a comment line at the top, replacing the file
// whole; the CP1252 message is empty on success.
std::string save_observation_codes(const std::filesystem::path& path, const std::vector<std::string>& codes);

// The codes of a text as the file holds it (also what the list editor gives).
std::vector<std::string> observation_codes_of_lines(const std::vector<std::string>& lines);

}  // namespace wellvue
