#include "export/export_output.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "export/export_error.h"

namespace wellvue::exporting {
namespace {

namespace fs = std::filesystem;

std::string reason(int err) {
  if (err == ENOSPC) return "disque plein";
  if (err == EACCES || err == EPERM || err == EROFS) return "écriture non autorisée";
  return std::strerror(err);
}

}  // namespace

std::string_view extension_of(ExportFormat format) { return format == ExportFormat::Mp4 ? ".mp4" : ".mkv"; }

fs::path default_output(const fs::path& avi, ExportFormat format) {
  fs::path out = avi;
  out.replace_extension(std::string(extension_of(format)));
  return out;
}

PendingOutput::PendingOutput(const fs::path& output, bool replace) : output_(output), replace_(replace) {
  std::error_code ec;
  if (!replace && fs::symlink_status(output, ec).type() != fs::file_type::not_found)
    throw ExportError("le fichier " + output.string() + " existe déjà (--replace pour le remplacer)");
  const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
  temp_ = folder / ("." + output.filename().string() + "." + std::to_string(::getpid()) + ".part");
  fd_ = ::open(temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    const int err = errno;
    temp_.clear();
    throw ExportError("impossible de créer le fichier dans " + folder.string() + " : " + reason(err));
  }
}

PendingOutput::~PendingOutput() {
  if (fd_ >= 0) ::close(fd_);
  if (!published_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void PendingOutput::publish() {
  if (::fsync(fd_) != 0) throw ExportError("écriture du fichier exporté impossible : " + reason(errno));
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) throw ExportError("écriture du fichier exporté impossible : " + reason(errno));
  // Without replace, never over a file that appeared during the export.
  const int moved = replace_ ? ::rename(temp_.c_str(), output_.c_str())
                             : ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, output_.c_str(), RENAME_NOREPLACE);
  if (moved != 0) {
    const int err = errno;
    if (err == EEXIST)
      throw ExportError("le fichier " + output_.string() + " existe déjà (--replace pour le remplacer)");
    throw ExportError("impossible de nommer le fichier " + output_.string() + " : " + reason(err));
  }
  published_ = true;
  // The new name itself survives a power cut.
  const fs::path folder = output_.has_parent_path() ? output_.parent_path() : fs::path(".");
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace wellvue::exporting
