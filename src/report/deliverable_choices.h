// What the operator chose for the last export and report (container, burn-in, site, operator),
// kept for the next run in a small UTF-8 file beside the settings file ("livrables.txt", one
// "key = value" a line), apart from the settings file the station writes whole.
#pragma once
#include <filesystem>
#include <string>

namespace wellvue {

struct DeliverableChoices {
  bool mp4 = false;  // else Matroska
  bool burn = false;
  std::string site;           // UTF-8
  std::string operator_name;  // UTF-8
};

// "livrables.txt" in the settings file's folder.
std::filesystem::path deliverable_choices_path(const std::filesystem::path& settings_file);

// The choices of the file; the defaults for what it lacks, or when it is missing or unreadable.
DeliverableChoices load_deliverable_choices(const std::filesystem::path& path);

// Replaces the file whole; false when it could not be written (the choices are then simply not
// remembered).
bool save_deliverable_choices(const std::filesystem::path& path, const DeliverableChoices& choices);

}  // namespace wellvue
