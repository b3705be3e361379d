// The review window's photo: the frame shown at the video's size with a band of its depth under
// it, the way the station's photos look, saved beside the recording without replacing a file.
#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QPainter>
#include <cerrno>
#include <string_view>
#include <vector>

#include "app/review/review_picture.h"
#include "app/review/review_window.h"
#include "app/services/text_bridge.h"
#include "capture/new_file.h"
#include "capture/snapshot.h"
#include "report/review_photo_names.h"
#include "util/depth_text.h"
#include "util/time_code.h"

namespace wellvue {

namespace {

QImage with_band(const QImage& frame, const std::vector<QString>& lines) {
  const SnapshotBand band = snapshot_band(frame.width(), frame.height(), lines.size());
  QImage out(frame.width(), frame.height() + band.height, QImage::Format_RGB32);
  out.fill(Qt::black);
  QPainter p(&out);
  p.drawImage(0, 0, frame);
  QFont font = p.font();
  font.setPixelSize(std::max(1, band.font_px));
  p.setFont(font);
  p.setPen(Qt::white);
  int y = frame.height() + band.margin_px;
  for (const QString& line : lines) {
    p.drawText(QRect(band.margin_px, y, frame.width() - 2 * band.margin_px, band.line_px),
               Qt::AlignLeft | Qt::AlignVCenter, line);
    y += band.line_px;
  }
  return out;
}

}  // namespace

std::string ReviewWindow::save_photo() {
  const QImage frame = picture_->picture();
  if (frame.isNull()) {
    prompter_.inform(
        "Aucune image \xE0 photographier : la vid\xE9o n'est pas encore affich\xE9"
        "e.");
    return {};
  }
  const std::int64_t ms = std::max<std::int64_t>(0, player_->frame_ms());
  const auto depth = recording_.track.depth_at(ms);
  const QFileInfo video(QString::fromStdString(recording_.video_path));
  const QString depth_part = depth ? to_qt(depth_text(*depth)) : QStringLiteral("%1ms").arg(ms);
  const QString time = QString::fromStdString(time_code_of_ms(static_cast<std::uint64_t>(ms)));
  std::vector<QString> lines{video.completeBaseName(),
                             QStringLiteral("Profondeur %1   Temps %2").arg(depth_part, time)};
  const QImage out = with_band(frame, lines);
  // Named so that the report lists it with the station's photos.
  const std::string base = (video.absolutePath() + QLatin1Char('/') + video.completeBaseName()).toStdString();
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  if (!buffer.open(QIODevice::WriteOnly) || !out.save(&buffer, "JPG", 92)) {
    prompter_.inform(
        "La photo n'a pas pu \xEAtre encod\xE9"
        "e.");
    return {};
  }
  // Never over an existing file: the second photo at a depth gets a number. Written as the
  // station's photos are, whole or not at all.
  for (int n = 1; n < 1000; ++n) {
    const std::string path = review_photo_path(base, depth, ms, n);
    const int error = write_new_file(path, std::string_view(jpeg.constData(), jpeg.size()));
    if (error == 0) return path;
    if (error == EEXIST) continue;
    prompter_.inform("La photo " + from_qt(QString::fromStdString(path)) +
                     " n'a pas pu \xEAtre \xE9"
                     "crite (disque plein ?).");
    return {};
  }
  prompter_.inform("Impossible de nommer la photo \xE0 c\xF4t\xE9 de l'enregistrement.");
  return {};
}

}  // namespace wellvue
