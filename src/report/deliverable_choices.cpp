#include "report/deliverable_choices.h"

#include <vector>

#include "util/file_error.h"
#include "util/text_file.h"

namespace wellvue {
namespace {

std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// A typed text kept on one line.
std::string one_line(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return trimmed(s);
}

}  // namespace

std::filesystem::path deliverable_choices_path(const std::filesystem::path& settings_file) {
  return settings_file.parent_path() / "livrables.txt";
}

DeliverableChoices load_deliverable_choices(const std::filesystem::path& path) {
  DeliverableChoices c;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return c;
  std::vector<std::string> lines;
  try {
    lines = read_text_lines(path);
  } catch (const FileError&) {
    return c;
  }
  for (const std::string& line : lines) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = trimmed(line.substr(0, eq)), value = trimmed(line.substr(eq + 1));
    if (key == "format") c.mp4 = value == "mp4";
    else if (key == "incrustation") c.burn = value == "oui";
    else if (key == "site") c.site = value;
    else if (key == "operateur") c.operator_name = value;
  }
  return c;
}

bool save_deliverable_choices(const std::filesystem::path& path, const DeliverableChoices& c) {
  return write_text_lines_lf(path, {"# Choix du dernier export et du dernier rapport",
                                    std::string("format = ") + (c.mp4 ? "mp4" : "mkv"),
                                    std::string("incrustation = ") + (c.burn ? "oui" : "non"),
                                    "site = " + one_line(c.site), "operateur = " + one_line(c.operator_name)});
}

}  // namespace wellvue
