// wellvue-review [REC]: the review window of a recording by depth; without REC, a file dialog in
// the video folder chooses it.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>

#include "app/review/review_window.h"
#include "app/services/french_translations.h"
#include "util/version.h"

namespace {

QString video_folder() {
  const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  if (QDir(movies + QStringLiteral("/Wellvue")).exists()) return movies + QStringLiteral("/Wellvue");
  if (QDir(movies).exists()) return movies;
  return QDir::homePath();
}

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-review")) return 0;
  if (argc > 2 || (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))) {
    std::fprintf(stderr, "usage: wellvue-review [ENREGISTREMENT.avi]\n");
    return argc > 2 ? 2 : 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Wellvue"));
  wellvue::install_french_translations();
  QString path = argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (path.isEmpty()) {
    path = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Revoir un enregistrement"), video_folder(),
                                        QStringLiteral("Enregistrements (*.avi *.AVI)"));
    if (path.isEmpty()) return 0;
  }
  wellvue::ReviewWindow* window = wellvue::open_review_window(QDir::cleanPath(path).toStdString());
  if (!window) return 1;
  return app.exec();
}
