#include "app/link_window/srt_file_choice.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "app/link_window/retiming_panel_design.h"

namespace wellvue {

QString srt_dialog_start_folder(const QString& video_folder) {
  if (!video_folder.isEmpty() && QFileInfo(video_folder).isDir()) return QFileInfo(video_folder).absoluteFilePath();
  return QDir::currentPath();
}

QString choose_srt_file(QWidget* parent, const QString& start_folder) {
  QFileDialog dialog(parent, QString::fromUtf8(kChooseSrtTitle), start_folder, QString::fromUtf8(kChooseSrtFilter));
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.front();
}

}  // namespace wellvue
