// The SRT re-timing tool: loads a subtitle file, multiplies every time by the video duration over
// the subtitle duration, or moves the first entry to zero and renumbers, and saves the result
// beside the source with "_" in front of its name. A window or a command line forwards to it and
// shows what its prompter is told; the source list is passed in (the link's subtitle track).
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "util/prompter.h"

namespace wellvue {

using SubtitleLines = std::vector<std::string>;

// The start time code of the last entry: the text before " --> " on the last line holding it;
// empty when no line does.
std::string last_start_time(const SubtitleLines& lines);

// Where Save writes: the chosen file's folder, then "_" and the chosen file's name.
std::filesystem::path retimed_path(const std::filesystem::path& chosen);

class RetimingTool {
 public:
  explicit RetimingTool(Prompter& prompter) : prompter_(prompter) {}

  // Typed fields, CP1252 as the operator typed them.
  std::string avi_duration;  // Edit_temps_avi, "mm:ss" and shorter forms
  std::string srt_duration;  // Edit_temps_srt, filled by a load
  std::string offset;        // Edit_decalage, seconds, empty means 0

  // Load, first step: refused with a message while an acquisition writes the track.
  bool may_load(bool acquisition_running);
  // Load, the file the operator chose: stored for Save; whether a file of that name exists.
  bool choose_file(const std::filesystem::path& chosen);
  // Load, reading the chosen file (after the window closed the link): its lines for the source
  // list. The output list is emptied and shown and srt_duration filled. Raises ConversionError
  // when the file cannot be read.
  SubtitleLines load_chosen_file();

  // "calcul xf": appends the source scaled by video duration / subtitle duration to the output.
  void scale(const SubtitleLines& source);
  // "t0 => 00:00:00.000": output = the source moved so its first entry starts at zero, shifted
  // by the offset and renumbered.
  void reset_t0(const SubtitleLines& source);
  // "Enregistrer": writes the output list beside the chosen file. With no file chosen it only
  // says so. Raises ConversionError when the file cannot be created. Returns the path written.
  std::filesystem::path save();

  const std::filesystem::path& chosen_file() const { return chosen_; }
  bool has_chosen_file() const { return !chosen_.empty(); }
  // The output list, which the operator may edit before saving.
  SubtitleLines& output() { return output_; }
  const SubtitleLines& output() const { return output_; }
  bool output_visible() const { return output_visible_; }
  void set_output_visible(bool visible) { output_visible_ = visible; }

 private:
  Prompter& prompter_;
  std::filesystem::path chosen_;
  SubtitleLines output_;
  bool output_visible_ = false;
};

// Message texts of the tool (CP1252).
inline constexpr const char* kStopAcquisitionFirstText = " Stopper d'abord l'acquistition...";
inline constexpr const char* kNoFileChosenText =
    "Aucun fichier SRT choisi : choisissez d'abord un fichier, rien n'a \xe9t\xe9 enregistr\xe9.";

}  // namespace wellvue
