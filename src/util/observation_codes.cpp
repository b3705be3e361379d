#include "util/observation_codes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "util/cp1252.h"
#include "util/text_file.h"

namespace wellvue {
namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader =
    "# Codes d'observation, un par ligne (les lignes commen\xC3\xA7"
    "ant par # sont ignor\xC3\xA9"
    "es)";

std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// A file saved by a Windows editor in its own code page still reads right.
bool valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int more = 0;
    if (c < 0x80) more = 0;
    else if ((c & 0xE0) == 0xC0 && c >= 0xC2) more = 1;
    else if ((c & 0xF0) == 0xE0) more = 2;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4) more = 3;
    else return false;
    for (int k = 1; k <= more; ++k)
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

std::string reason_of(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return "acc\xE8s refus\xE9";
    case EISDIR:
      return "c'est un dossier";
    case ENOENT:
      return "fichier absent";
    default:
      return "erreur de lecture";
  }
}

// The whole file, or the errno that stopped the read.
bool read_whole(const fs::path& path, std::string& text, int& err) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    err = errno;
    return false;
  }
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      err = errno;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    text.append(buf, static_cast<std::size_t>(n));
    // A code list is a few lines: anything this large is not one.
    if (text.size() > (1u << 20)) {
      err = EFBIG;
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  return true;
}

std::string list_text(const fs::path& path) { return "La liste des observations " + utf8_to_cp1252(path.string()); }

}  // namespace

const std::vector<std::string>& default_observation_codes() {
  static const std::vector<std::string> codes = {"Tubage : joint", "Cr\xC3\xA9pine haut", "Cr\xC3\xA9pine bas",
                                                 "Corrosion",      "Perforation",         "D\xC3\xA9p\xC3\xB4t",
                                                 "Racines",        "Obstruction",         "Objet tomb\xC3\xA9",
                                                 "Fond du forage", "Niveau d'eau",        "Venue d'eau",
                                                 "Fracture"};
  return codes;
}

fs::path observation_codes_path(const fs::path& settings_file) {
  return settings_file.parent_path() / "observations.txt";
}

std::vector<std::string> observation_codes_of_lines(const std::vector<std::string>& lines) {
  std::vector<std::string> codes;
  for (const std::string& raw : lines) {
    std::string line = trimmed(raw);
    // A byte-order mark left by an editor is not part of the first code.
    if (codes.empty() && line.rfind("\xEF\xBB\xBF", 0) == 0) line = trimmed(line.substr(3));
    if (line.empty() || line[0] == '#') continue;
    if (!valid_utf8(line)) line = cp1252_to_utf8(line);
    if (std::find(codes.begin(), codes.end(), line) == codes.end()) codes.push_back(line);
  }
  return codes;
}

ObservationCodes load_observation_codes(const fs::path& path) {
  ObservationCodes out;
  std::string text;
  int err = 0;
  if (!read_whole(path, text, err)) {
    out.codes = default_observation_codes();
    if (err == ENOENT) {
      // A first start: the operator finds the list to edit beside the settings.
      const std::string m = save_observation_codes(path, out.codes);
      if (!m.empty()) out.message = m;
      return out;
    }
    out.message = list_text(path) +
                  " n'a pas pu \xEA"
                  "tre lue (" +
                  reason_of(err) +
                  ") : la liste par d\xE9"
                  "faut est utilis\xE9"
                  "e.";
    return out;
  }
  out.codes = observation_codes_of_lines(split_text_lines(text));
  if (out.codes.empty()) {
    out.codes = default_observation_codes();
    out.message = list_text(path) +
                  " ne contient aucun code : la liste par d\xE9"
                  "faut est utilis\xE9"
                  "e.";
  }
  return out;
}

std::string save_observation_codes(const fs::path& path, const std::vector<std::string>& codes) {
  std::vector<std::string> lines = {kHeader};
  for (const std::string& c : observation_codes_of_lines(codes)) lines.push_back(c);
  if (write_text_lines(path, lines, true)) return {};
  return list_text(path) +
         " n'a pas pu \xEA"
         "tre enregistr\xE9"
         "e.";
}

}  // namespace wellvue
