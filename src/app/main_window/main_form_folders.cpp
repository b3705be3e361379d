// The video folder choice, "Voir la dernière vidéo" and the manual: folders and documents are
// opened with the desktop's own programs.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/main_window/folder_chooser.h"
#include "app/main_window/main_form.h"
#include "app/services/text_bridge.h"

namespace wellvue {

void TFormMain::open_with_desktop(const QString& path) {
  // The desktop's answer is not examined: a failure to open gives no message.
  if (options_.open_with_desktop) {
    options_.open_with_desktop(path);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  }
}

bool TFormMain::Panel_repClick() {
  const QString current = to_qt(video_folder_);
  const QString start = QFileInfo(current).isDir() ? current : QString();
  const std::optional<QString> chosen = choose_folder(start, prompter_, this);
  if (!chosen) return false;
  set_video_folder(from_qt(*chosen));
  prompter_.inform("r\xE9pertoire choisi : \n\n" + video_folder_);
  return true;
}

void TFormMain::Panel_visionnerClick() {
  // Like every image button, a disabled one only moves when pressed.
  if (!Panel_visionner->is_enabled_button()) return;
  const QString folder = to_qt(video_folder_);
  if (QFileInfo(folder).isDir()) {
    open_with_desktop(folder);
    return;
  }
  prompter_.inform(" R\xE9pertoire " + video_folder_ + " introuvable\n\n" +
                   " Choisir un r\xE9pertoire vid\xE9o valide ...");
  Panel_repClick();
}

void TFormMain::Panel_helpClick() {
  if (!Panel_help->is_enabled_button()) return;
  const QString path = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + "/Manuel Wellvue.pdf";
  if (QFileInfo::exists(path)) {
    open_with_desktop(path);
  } else {
    prompter_.inform("Fichier " + from_qt(path) + " introuvable");
  }
}

}  // namespace wellvue
