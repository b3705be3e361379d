#include "recording/recording_files.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "util/cp1252.h"

namespace wellvue {

namespace fs = std::filesystem;

namespace {

bool system_folder(const std::string& folder) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(fs::path(folder), ec), ec);
  if (ec) p = fs::path(folder).lexically_normal();
  if (p == p.root_path()) return true;
  // The system's own trees: the operator can write there only as root, and must not.
  static const char* const kTrees[] = {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                                       "/etc", "/boot", "/proc", "/sys", "/dev", "/opt", "/var/lib", "/srv"};
  const std::string text = p.string();
  for (const char* tree : kTrees) {
    const std::string t = tree;
    if (text == t || text.rfind(t + "/", 0) == 0) return true;
  }
  return false;
}

}  // namespace

std::string video_folder_problem(const std::string& folder) {
  const std::string name = utf8_to_cp1252(folder);
  if (folder.empty()) return " Aucun r\xE9pertoire vid\xE9o n'est choisi.";
  if (system_folder(folder))
    return " Le r\xE9pertoire " + name +
           " appartient au syst\xE8me : choisir un r\xE9pertoire \xE0 soi (par exemple Vid\xE9os/Wellvue dans le "
           "dossier personnel).";
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return " R\xE9pertoire vid\xE9o " + name + " introuvable.";
  if (!S_ISDIR(st.st_mode)) return " " + name + " n'est pas un r\xE9pertoire.";
  // A real write, not access(): the owner's rights, a read-only medium and a full table of
  // names all show here, also for root.
  const std::string probe = (fs::path(folder) / (".wellvue-essai-" + std::to_string(::getpid()))).string();
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0)
    return " Impossible d'\xE9"
           "crire dans le r\xE9pertoire vid\xE9o " +
           name + ".";
  ::close(fd);
  ::unlink(probe.c_str());
  return {};
}

std::string final_name_problem(const std::string& path) {
  const std::string name = utf8_to_cp1252(path);
  const std::string file = fs::path(path).filename().string();
  if (file.empty() || file.size() > NAME_MAX) return " Nom de fichier refus\xE9 (trop long) : " + name;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return {};
    if (errno == ENAMETOOLONG) return " Nom de fichier refus\xE9 (trop long) : " + name;
    return " Nom de fichier inutilisable : " + name;
  }
  if (S_ISLNK(st.st_mode)) return " " + name + " est un lien : il n'est pas remplac\xE9.";
  if (!S_ISREG(st.st_mode)) return " " + name + " n'est pas un fichier ordinaire : il n'est pas remplac\xE9.";
  return {};
}

std::optional<std::uint64_t> free_bytes(const std::string& folder) {
  struct statvfs vfs {};
  if (::statvfs(folder.c_str(), &vfs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

bool rename_no_replace(const std::string& from, const std::string& to, std::error_code& ec) {
  ec.clear();
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  // A file system without the flag: a hard link fails on an existing name just the same.
  if (::link(from.c_str(), to.c_str()) != 0) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

bool is_own_plain_file(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

}  // namespace wellvue
