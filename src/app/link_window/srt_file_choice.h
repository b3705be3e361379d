// The re-timing panel's file dialog: it opens in the video folder, where the recordings and
// their subtitle files are.
#pragma once
#include <QString>
#include <QWidget>

namespace wellvue {

// The folder the dialog starts in: the video folder when it exists, else the working folder.
QString srt_dialog_start_folder(const QString& video_folder);

// The chosen file, empty when cancelled.
QString choose_srt_file(QWidget* parent, const QString& start_folder);

}  // namespace wellvue
