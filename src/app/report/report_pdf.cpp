#include "app/report/report_pdf.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "app/report/report_plots.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"

namespace wellvue {

namespace {

constexpr int kDpi = 300;
constexpr double kMarginMm = 15;
constexpr int kObservationsPerPage = 7;
constexpr int kPhotoColumns = 2;
constexpr int kPhotoRows = 3;

QString qs(const std::string& s) { return QString::fromStdString(s); }

QFont font(double points, bool bold = false, bool mono = false) {
  QFont f(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  f.setPointSizeF(points);
  f.setBold(bold);
  // Ligatures would turn "fi" into one glyph that a text search of the PDF does not find.
  f.setStyleStrategy(QFont::PreferNoShaping);
  return f;
}

QString size_text(std::uintmax_t bytes) {
  if (bytes < 1024) return QString::number(bytes) + QStringLiteral(" o");
  const char* units[] = {"Kio", "Mio", "Gio", "Tio"};
  double v = bytes / 1024.0;
  int u = 0;
  while (v >= 1024 && u < 3) v /= 1024, ++u;
  return QString::number(v, 'f', 1).replace('.', ',') + ' ' + QString::fromLatin1(units[u]);
}

// A photo at a given pixel width, decoded at that size (a JPEG decodes far faster scaled).
QImage load_scaled(const std::string& path, int width) {
  QImageReader reader(qs(path));
  const QSize full = reader.size();
  if (full.isValid() && full.width() > width)
    reader.setScaledSize(QSize(width, std::max(1, full.height() * width / full.width())));
  return reader.read();
}

class ReportPainter {
 public:
  ReportPainter(QPdfWriter& writer, const ReportContent& c) : writer_(writer), c_(c) {
    unit_ = kDpi / 25.4;
    page_ = QRectF(0, 0, writer.width(), writer.height());
    body_ = page_.adjusted(0, 8 * unit_, 0, -10 * unit_);
    const int obs_pages =
        std::max<int>(1, (static_cast<int>(c.observations.size()) + kObservationsPerPage - 1) / kObservationsPerPage);
    const int per_page = kPhotoColumns * kPhotoRows;
    const int photo_pages = (static_cast<int>(c.photos.size()) + per_page - 1) / per_page;
    total_pages_ = 2 + obs_pages + photo_pages;
  }

  bool draw() {
    if (!p_.begin(&writer_)) return false;
    first_page();
    new_page();
    strip_log_page();
    new_page();
    observation_pages();
    photo_pages();
    frame();
    return p_.end();
  }

 private:
  double mm(double v) const { return v * unit_; }

  // The running title and the page number of the page being drawn.
  void frame() {
    p_.save();
    p_.setPen(QColor(90, 90, 90));
    p_.setFont(font(7.5));
    p_.drawText(QRectF(page_.left(), page_.top(), page_.width(), mm(5)), Qt::AlignLeft | Qt::AlignTop,
                QStringLiteral("Rapport d'inspection — ") + qs(c_.bore));
    p_.drawText(QRectF(page_.left(), page_.top(), page_.width(), mm(5)), Qt::AlignRight | Qt::AlignTop,
                qs(c_.recording));
    p_.drawText(QRectF(page_.left(), page_.bottom() - mm(5), page_.width(), mm(5)), Qt::AlignHCenter | Qt::AlignBottom,
                QStringLiteral("Page %1 / %2").arg(page_number_).arg(total_pages_));
    p_.setPen(QPen(QColor(160, 160, 160), mm(0.2)));
    p_.drawLine(QPointF(page_.left(), page_.top() + mm(5.5)), QPointF(page_.right(), page_.top() + mm(5.5)));
    p_.restore();
  }

  void new_page() {
    frame();
    writer_.newPage();
    ++page_number_;
  }

  double heading(const QString& text, double y) {
    p_.setFont(font(13, true));
    p_.setPen(Qt::black);
    const QFontMetricsF fm(p_.font(), p_.device());
    p_.drawText(QPointF(body_.left(), y + fm.ascent()), text);
    return y + fm.height() + mm(2);
  }

  // Label and value lines; the value wraps within its column.
  double facts(const std::vector<std::pair<QString, QString>>& rows, double y) {
    const double label_w = mm(55);
    for (const auto& [label, value] : rows) {
      p_.setFont(font(9, true));
      const QRectF lr(body_.left(), y, label_w, mm(40));
      p_.drawText(lr, Qt::AlignLeft | Qt::AlignTop, label);
      p_.setFont(font(9));
      const QRectF vr(body_.left() + label_w, y, body_.width() - label_w, mm(40));
      const QRectF used = p_.boundingRect(vr, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, value);
      p_.drawText(vr, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, value);
      y += std::max(used.height(), mm(4.2)) + mm(0.6);
    }
    return y;
  }

  void first_page() {
    double y = body_.top();
    p_.setFont(font(18, true));
    const QFontMetricsF fm(p_.font(), p_.device());
    p_.drawText(QPointF(body_.left(), y + fm.ascent()), QStringLiteral("Rapport d'inspection"));
    y += fm.height();
    p_.setFont(font(14));
    p_.drawText(QPointF(body_.left(), y + fm.ascent() * 0.8), qs(c_.bore.empty() ? c_.recording : c_.bore));
    y += fm.height() + mm(3);

    std::vector<std::pair<QString, QString>> rows;
    rows.push_back({QStringLiteral("Forage"), qs(c_.bore)});
    if (!c_.site.empty()) rows.push_back({QStringLiteral("Site"), qs(c_.site)});
    if (!c_.operator_name.empty()) rows.push_back({QStringLiteral("Opérateur"), qs(c_.operator_name)});
    rows.push_back({QStringLiteral("Date"), qs(c_.date.empty() ? "inconnue" : c_.date)});
    rows.push_back({QStringLiteral("Durée"), qs(report_duration(c_.duration_s))});
    if (c_.has_depths) {
      rows.push_back({QStringLiteral("Profondeurs atteintes"),
                      qs(report_metres(c_.min_depth_m)) + QStringLiteral(" à ") + qs(report_metres(c_.max_depth_m))});
      rows.push_back({QStringLiteral("Profondeur maximale"), qs(report_metres(c_.max_depth_m))});
    } else {
      rows.push_back({QStringLiteral("Profondeurs atteintes"), QStringLiteral("aucune profondeur enregistrée")});
    }
    if (c_.has_depth_record) {
      QString wheel = QString::number(c_.circumference_mm, 'f', 1).replace('.', ',') +
                      QStringLiteral(" mm par tour, %1 tics par tour").arg(c_.tics_per_turn);
      rows.push_back({QStringLiteral("Circonférence de la roue"), wheel});
      QString cal = QStringLiteral("aucun pendant l'enregistrement");
      if (!c_.calibrations.empty()) {
        QStringList parts;
        for (const auto& k : c_.calibrations)
          parts << qs(report_clock(k.video_ms)) + QStringLiteral(" : ") +
                       QString::number(k.circumference_mm, 'f', 1).replace('.', ',') + QStringLiteral(" mm");
        cal = parts.join(QStringLiteral(" ; "));
      }
      rows.push_back({QStringLiteral("Étalonnage"), cal});
      rows.push_back({QStringLiteral("Zéro margelle"), QStringLiteral("%1 tics").arg(c_.curb_zero_tics.value_or(0))});
      rows.push_back({QStringLiteral("Zéro niveau d'eau"),
                      c_.water_zero_tics ? QStringLiteral("%1 tics (niveau d'eau à %2)")
                                               .arg(*c_.water_zero_tics)
                                               .arg(qs(report_metres(c_.water_level_m.value_or(0))))
                                         : QStringLiteral("aucun")});
      rows.push_back({QStringLiteral("Profondeur de départ"), qs(report_metres(c_.start_depth_m.value_or(0)))});
      rows.push_back({QStringLiteral("Version de la station"), qs(c_.station.empty() ? "inconnue" : c_.station)});
      rows.push_back({QStringLiteral("Source des profondeurs"),
                      c_.depths_from_subtitles ? QStringLiteral("sous-titres")
                                               : QStringLiteral("enregistrement des profondeurs")});
    } else {
      rows.push_back({QStringLiteral("Source des profondeurs"),
                      QStringLiteral("sous-titres (pas d'enregistrement des profondeurs : roue, zéros et étalonnage "
                                     "inconnus)")});
    }
    rows.push_back({QStringLiteral("Observations"), QString::number(c_.observations.size())});
    rows.push_back({QStringLiteral("Photos"), QString::number(c_.photos.size())});
    for (const std::string& w : c_.warnings) rows.push_back({QStringLiteral("Attention"), qs(w)});
    y = facts(rows, y);

    // The files and their SHA-256, so the report names exactly what it was made from.
    y += mm(3);
    y = heading(QStringLiteral("Fichiers"), y);
    for (const ReportFile& f : c_.files) {
      p_.setFont(font(8.5, true));
      p_.drawText(QRectF(body_.left(), y, body_.width(), mm(5)), Qt::AlignLeft | Qt::AlignTop,
                  qs(f.role) + QStringLiteral(" : ") + qs(f.name) + QStringLiteral(" (") + size_text(f.size) +
                      QStringLiteral(")"));
      y += mm(4);
      p_.setFont(font(7.5, false, true));
      p_.drawText(QRectF(body_.left() + mm(4), y, body_.width(), mm(5)), Qt::AlignLeft | Qt::AlignTop,
                  QStringLiteral("SHA-256 ") + qs(f.sha256.empty() ? "illisible" : f.sha256));
      y += mm(4.5);
    }

    y += mm(3);
    y = heading(QStringLiteral("Profil de descente"), y);
    const double height = std::max(mm(60), body_.bottom() - y);
    draw_profile_plot(p_, QRectF(body_.left(), y, body_.width(), height), c_, unit_);
  }

  void strip_log_page() {
    double y = heading(QStringLiteral("Coupe du forage"), body_.top());
    draw_strip_log(p_, QRectF(body_.left(), y, body_.width(), body_.bottom() - y), c_, unit_);
  }

  void observation_pages() {
    double y = heading(QStringLiteral("Observations"), body_.top());
    if (c_.observations.empty()) {
      p_.setFont(font(10));
      p_.drawText(QPointF(body_.left(), y + mm(4)), QStringLiteral("Aucune observation dans cet enregistrement."));
      return;
    }
    const double row_h = (body_.bottom() - y - mm(8)) / kObservationsPerPage;
    const double thumb_w = mm(46), thumb_h = std::min(row_h - mm(3), thumb_w * 3 / 4);
    const double x_photo = body_.left() + mm(9);
    const double x_depth = x_photo + thumb_w + mm(4), x_time = x_depth + mm(22), x_code = x_time + mm(22),
                 x_note = x_code + mm(36);
    auto column_heads = [&](double top) {
      p_.setFont(font(8.5, true));
      p_.drawText(QPointF(body_.left(), top + mm(4)), QStringLiteral("N°"));
      p_.drawText(QPointF(x_photo, top + mm(4)), QStringLiteral("Photo"));
      p_.drawText(QPointF(x_depth, top + mm(4)), QStringLiteral("Profondeur"));
      p_.drawText(QPointF(x_time, top + mm(4)), QStringLiteral("Temps"));
      p_.drawText(QPointF(x_code, top + mm(4)), QStringLiteral("Code"));
      p_.drawText(QPointF(x_note, top + mm(4)), QStringLiteral("Note"));
      p_.setPen(QPen(Qt::black, mm(0.25)));
      p_.drawLine(QPointF(body_.left(), top + mm(6)), QPointF(body_.right(), top + mm(6)));
      return top + mm(8);
    };
    y = column_heads(y);
    for (std::size_t i = 0; i < c_.observations.size(); ++i) {
      if (i > 0 && i % kObservationsPerPage == 0) {
        new_page();
        y = column_heads(heading(QStringLiteral("Observations (suite)"), body_.top()));
      }
      const ReportObservation& o = c_.observations[i];
      p_.setPen(Qt::black);
      p_.setFont(font(9.5, true));
      p_.drawText(QPointF(body_.left(), y + mm(5)), QString::number(i + 1));
      const QRectF thumb(x_photo, y + mm(1), thumb_w, thumb_h);
      QImage image;
      if (o.photo && !o.photo->path.empty()) image = load_scaled(o.photo->path, 480);
      if (!image.isNull()) {
        const QSizeF fitted = QSizeF(image.size()).scaled(thumb.size(), Qt::KeepAspectRatio);
        p_.drawImage(QRectF(thumb.topLeft(), fitted), image);
      } else {
        p_.setPen(QPen(QColor(170, 170, 170), mm(0.2)));
        p_.drawRect(thumb);
        p_.setFont(font(7.5));
        p_.drawText(thumb, Qt::AlignCenter, QStringLiteral("pas de photo"));
      }
      p_.setPen(Qt::black);
      p_.setFont(font(9.5, true));
      p_.drawText(QPointF(x_depth, y + mm(5)), qs(report_metres(o.depth_m)));
      p_.setFont(font(9.5));
      p_.drawText(QPointF(x_time, y + mm(5)), qs(report_clock(o.video_ms)));
      p_.setFont(font(9.5, true));
      p_.drawText(QRectF(x_code, y + mm(1.2), x_note - x_code - mm(2), thumb_h),
                  Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, qs(o.code));
      p_.setFont(font(9.5));
      p_.drawText(QRectF(x_note, y + mm(1.2), body_.right() - x_note, thumb_h),
                  Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, qs(o.note));
      if (o.photo) {
        p_.setFont(font(7));
        p_.setPen(QColor(90, 90, 90));
        p_.drawText(QRectF(x_depth, y + thumb_h - mm(3), body_.right() - x_depth, mm(4)),
                    Qt::AlignLeft | Qt::AlignBottom, qs(o.photo->file_name));
      }
      y += row_h;
      p_.setPen(QPen(QColor(200, 200, 200), mm(0.15)));
      p_.drawLine(QPointF(body_.left(), y - mm(1)), QPointF(body_.right(), y - mm(1)));
    }
  }

  void photo_pages() {
    const int per_page = kPhotoColumns * kPhotoRows;
    double top = 0;
    for (std::size_t i = 0; i < c_.photos.size(); ++i) {
      if (i % per_page == 0) {
        new_page();
        top = heading(i == 0 ? QStringLiteral("Photos") : QStringLiteral("Photos (suite)"), body_.top());
      }
      const int k = static_cast<int>(i % per_page);
      const double cell_w = body_.width() / kPhotoColumns, cell_h = (body_.bottom() - top) / kPhotoRows;
      const QRectF cell(body_.left() + (k % kPhotoColumns) * cell_w, top + (k / kPhotoColumns) * cell_h, cell_w,
                        cell_h);
      const QRectF box = cell.adjusted(mm(2), mm(1), -mm(2), -mm(12));
      const ReportPhoto& ph = c_.photos[i];
      const QImage image = ph.path.empty() ? QImage() : load_scaled(ph.path, 900);
      if (!image.isNull()) {
        const QSizeF fitted = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
        p_.drawImage(QRectF(QPointF(box.center().x() - fitted.width() / 2, box.top()), fitted), image);
      } else {
        p_.setPen(QPen(QColor(170, 170, 170), mm(0.2)));
        p_.drawRect(box);
        p_.drawText(box, Qt::AlignCenter, QStringLiteral("photo introuvable"));
      }
      p_.setPen(Qt::black);
      p_.setFont(font(8.5, true));
      QStringList parts;
      if (ph.depth_known) parts << qs(report_metres(ph.depth_m));
      if (ph.video_ms >= 0) parts << qs(report_clock(ph.video_ms));
      QString caption = parts.join(QStringLiteral(" — "));
      if (!ph.code.empty()) caption += QStringLiteral(" — ") + qs(ph.code);
      p_.drawText(QRectF(cell.left() + mm(2), cell.bottom() - mm(11), cell.width() - mm(4), mm(5)),
                  Qt::AlignHCenter | Qt::AlignTop, caption);
      p_.setFont(font(7));
      p_.drawText(QRectF(cell.left() + mm(2), cell.bottom() - mm(6.5), cell.width() - mm(4), mm(5)),
                  Qt::AlignHCenter | Qt::AlignTop, qs(ph.file_name));
    }
  }

  QPdfWriter& writer_;
  const ReportContent& c_;
  QPainter p_;
  double unit_ = 1;
  QRectF page_, body_;
  int page_number_ = 1;
  int total_pages_ = 1;
};

}  // namespace

bool write_report_pdf(const ReportContent& content, const std::string& pdf, std::string& error) {
  QSaveFile out(qs(pdf));
  if (!out.open(QIODevice::WriteOnly)) {
    error = "Impossible de créer le fichier " + pdf + " : " + out.errorString().toStdString();
    return false;
  }
  bool drawn = false;
  {
    QPdfWriter writer(&out);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Rapport d'inspection — ") + qs(content.bore));
    writer.setCreator(QStringLiteral("Wellvue"));
    ReportPainter painter(writer, content);
    drawn = painter.draw();
  }
  if (!drawn || !out.commit()) {
    out.cancelWriting();
    error = "Impossible d'écrire le fichier " + pdf +
            (out.errorString().isEmpty() ? "" : " : " + out.errorString().toStdString());
    return false;
  }
  return true;
}

bool write_recording_report(const std::string& rec, const std::string& pdf, const ReportOptions& options,
                             std::string& error) {
  ReportContent content;
  try {
    content = gather_report(rec, options);
  } catch (const ConversionError& e) {
    error = cp1252_to_utf8(e.what());
    return false;
  }
  return write_report_pdf(content, pdf, error);
}

}  // namespace wellvue
