// The review window of one recording: the video with its depth in large type, a depth axis and a
// depth field to go to the first moment at a depth (descent) or the last (ascent), the descent
// profile, the observations and photos with their thumbnails, frame steps and a photo of any frame.
#pragma once
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "capture/player.h"
#include "review/review_recording.h"
#include "util/prompter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace wellvue {

class DepthRuler;
class ProfilePlot;
class ReviewPicture;

class ReviewWindow : public QWidget {
  Q_OBJECT
 public:
  // Reads the recording's depths and marks; open() starts its playback.
  ReviewWindow(const std::string& video_path, Prompter& prompter, QWidget* parent = nullptr);
  ~ReviewWindow() override;

  // Opens the video on its first frame; false, with the French reason (CP1252), when it cannot.
  bool open(std::string& error);

  // Goes to the first frame at that depth (descent) or the last (ascent, as chosen in the window).
  bool go_to_depth(double depth_m);
  bool go_to_ms(std::int64_t ms);
  bool step(int frames);
  void toggle_play();
  // Saves the frame shown at the video's size with a band of its depth under it, beside the
  // recording; the file's path (UTF-8), or empty after telling the operator why not.
  std::string save_photo();
  // "Exporter…" and "Rapport PDF…": the choices and the file asked in a dialog (the last run's
  // choices offered again), then written off the GUI thread under a progress dialog; the operator
  // is told where it went or why not.
  void export_video();
  void write_report();
  // The same into a given file (UTF-8; ".mp4" gives MP4, anything else Matroska); false with the
  // French reason (UTF-8).
  bool export_to(const std::string& output, std::string& error, bool burn = false);
  bool report_to(const std::string& pdf, std::string& error, const std::string& site = {},
                 const std::string& operator_name = {});
  // Where the last export's and report's choices are kept (beside the settings file by default).
  void set_choices_file(const std::string& path) { choices_file_ = path; }

  const ReviewRecording& recording() const { return recording_; }
  Player& player() { return *player_; }
  // The window's parts, for its tests.
  QLineEdit* depth_field() const { return depth_field_; }
  QComboBox* direction() const { return direction_; }
  ProfilePlot* profile() const { return profile_; }
  DepthRuler* ruler() const { return ruler_; }
  QListWidget* marks() const { return marks_; }
  ReviewPicture* picture() const { return picture_; }
  QLabel* depth_label() const { return depth_label_; }
  QLabel* note_label() const { return note_; }

 private:
  void build();
  bool may_write(const std::string& path);
  void fill_marks();
  void on_depth_entered();
  void show_position();
  void tick();

  ReviewRecording recording_;
  std::string video_path_;  // UTF-8
  std::string choices_file_;
  Prompter& prompter_;
  std::unique_ptr<Player> player_;
  double frame_ms_ = 40.0;

  ReviewPicture* picture_ = nullptr;
  DepthRuler* ruler_ = nullptr;
  ProfilePlot* profile_ = nullptr;
  QLabel* depth_label_ = nullptr;
  QLabel* time_label_ = nullptr;
  QLabel* note_ = nullptr;
  QLineEdit* depth_field_ = nullptr;
  QComboBox* direction_ = nullptr;
  QListWidget* marks_ = nullptr;
  QPushButton* play_ = nullptr;
  QTimer* timer_ = nullptr;
};

// Opens a review window on the recording `video_path` (UTF-8) and shows it; it deletes itself when
// closed. Null, after telling the operator why, when the recording cannot be played.
ReviewWindow* open_review_window(const std::string& video_path, QWidget* parent = nullptr);

}  // namespace wellvue
