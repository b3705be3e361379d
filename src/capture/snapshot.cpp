#include "capture/snapshot.h"

#include <algorithm>
#include <cerrno>

#include "capture/errno_text.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"

namespace wellvue {

SnapshotBand snapshot_band(int width, int height, std::size_t lines) {
  SnapshotBand band;
  if (lines == 0 || width <= 0 || height <= 0) return band;
  // About 24 lines of text would fill the picture's height, and some 50 characters fit across;
  // never smaller than a 10 px text, which stays readable on the small camera modes.
  band.font_px = std::max(10, std::min(height / 24, width / 28));
  // Room for the font's ascent and descent (about 1.17 of its size) with a little air.
  band.line_px = (band.font_px * 4 + 2) / 3;
  band.margin_px = std::max(4, band.font_px / 2);
  const int rows = static_cast<int>(std::min<std::size_t>(lines, 64));
  band.height = rows * band.line_px + 2 * band.margin_px;
  band.height += band.height % 2;
  return band;
}

namespace {

SnapshotResult failure(SnapshotStatus status, std::string message, int error = 0) {
  SnapshotResult r;
  r.status = status;
  r.error = error;
  r.message = std::move(message);
  return r;
}

}  // namespace

SnapshotResult snapshot_no_picture() {
  return failure(SnapshotStatus::NoPicture,
                 "Photo impossible : aucune image de la cam\xE9ra pour l'instant (aper\xE7u arr\xEAt\xE9 ou cam\xE9ra "
                 "muette).");
}

SnapshotResult snapshot_not_supported() {
  return failure(SnapshotStatus::NotSupported,
                 "Photo impossible : cette capture ne sait pas enregistrer une image de la cam\xE9ra.");
}

SnapshotResult snapshot_name_taken(const std::string& utf8_path) {
  return failure(SnapshotStatus::NameTaken,
                 cannot_create_file_text(utf8_to_cp1252(utf8_path)) + " : " + errno_text_fr(EEXIST) +
                     " (fichier ou lien d\xE9j\xE0 pr\xE9sent)",
                 EEXIST);
}

SnapshotResult snapshot_write_failed(const std::string& utf8_path, int error) {
  return failure(SnapshotStatus::WriteFailed,
                 cannot_create_file_text(utf8_to_cp1252(utf8_path)) + " : " + errno_text_fr(error), error);
}

SnapshotResult snapshot_encode_failed(const std::string& platform_words) {
  std::string text = "Photo impossible : l'image n'a pas pu \xEAtre convertie en JPEG";
  if (!platform_words.empty()) text += " (" + platform_words + ")";
  return failure(SnapshotStatus::EncodeFailed, text);
}

}  // namespace wellvue
