// What the settings file reads and writes on the main window beyond its named controls: the
// capture configuration's temporary file name, the dialog's remembered choices, the video folder
// and caption, and the colour scheme.
#pragma once
#include <QPointer>
#include <QWidget>
#include <string>

#include "app/graph_config/graph_config_memory.h"
#include "util/settings_values.h"

namespace wellvue {

class TFormMain;

class MainSettingsHost {
 public:
  virtual ~MainSettingsHost() = default;
  // The colour scheme of the contrast choice shown now.
  virtual void apply_colour_scheme() = 0;
  virtual std::string temp_capture_file_name() const = 0;
  virtual void set_temp_capture_file_name(const std::string& name) = 0;
  virtual GraphConfigMemory& graph_memory() = 0;
  virtual std::string video_folder() const = 0;
  // Sets the folder without touching the caption.
  virtual void set_video_folder(const std::string& folder) = 0;
  virtual void update_caption() = 0;
  virtual int contrast_index() const = 0;
  // Stores the index read from the file, then selects it in "contraste"; a changed selection
  // applies the scheme again.
  virtual void set_contrast_index(int index) = 0;
  virtual void select_contrast(int index) = 0;
};

// The station's main window.
class MainFormSettingsHost : public MainSettingsHost {
 public:
  explicit MainFormSettingsHost(TFormMain& form);
  void apply_colour_scheme() override;
  std::string temp_capture_file_name() const override;
  void set_temp_capture_file_name(const std::string& name) override;
  GraphConfigMemory& graph_memory() override;
  std::string video_folder() const override;
  void set_video_folder(const std::string& folder) override;
  void update_caption() override;
  int contrast_index() const override;
  void set_contrast_index(int index) override;
  void select_contrast(int index) override;

 private:
  TFormMain* form() const;
  QPointer<QWidget> guard_;  // null once the form is gone
  TFormMain* form_;
  GraphConfigMemory spare_memory_;  // only used once the form is gone
  int read_contrast_ = 0;
};

// Plain values over any window (tests, tools): the caption goes to the window title.
class PlainSettingsHost : public MainSettingsHost {
 public:
  explicit PlainSettingsHost(QWidget* window) : window_(window) {}
  void apply_colour_scheme() override { ++schemes_applied; }
  std::string temp_capture_file_name() const override { return temp_name; }
  void set_temp_capture_file_name(const std::string& name) override { temp_name = name; }
  GraphConfigMemory& graph_memory() override { return memory; }
  std::string video_folder() const override { return folder; }
  void set_video_folder(const std::string& f) override { folder = f; }
  void update_caption() override;
  int contrast_index() const override { return contrast; }
  void set_contrast_index(int index) override { contrast = index; }
  void select_contrast(int index) override { selected_contrast = index; }

  std::string temp_name = SettingsValues{}.temp_capture_file;
  GraphConfigMemory memory;
  std::string folder;
  int contrast = 0;
  int selected_contrast = 0;
  int schemes_applied = 0;

 private:
  QPointer<QWidget> window_;
};

// "W e l l v u e  v1.4   Arduino         répertoire vidéo : " (UTF-8).
inline constexpr const char* kMainCaptionPrefix = "W e l l v u e  v1.4   Arduino         répertoire vidéo : ";

}  // namespace wellvue
