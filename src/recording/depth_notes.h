// The operator's photos and observations at depth: the camera's picture saved beside the
// recording (or in the video folder outside one) under the recording's name and the depth, with a
// band carrying the bore, the date-time and the depths, and logged in the depth record; an
// observation is a photo with its code, also shown on the video through the observation track.
// A press is taken at once (the picture, the names, the texts, the time and the depth); the picture
// can then be written on another thread, and its end handed back.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/video_capture.h"
#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "recording/recording_host.h"
#include "recording/recording_workflow.h"
#include "util/prompter.h"

namespace wellvue {

// A press of "Photo" or "Observation" as it was taken: the picture, where it goes and under which
// name (UTF-8), its band, and the depth record's snapshot row at the press (while recording).
struct PhotoPress {
  std::shared_ptr<SnapshotPicture> picture;
  std::string folder;
  std::string name;
  std::string depth;
  std::string code;
  std::vector<std::string> band;
  std::optional<DepthRow> snapshot_row;
};

// A press of "Observation": the depth and the video time of the press, which the observation
// keeps however long the operator takes to pick its code and type its note, and its photo.
struct ObservationPress {
  double depth_m = 0.0;
  std::optional<std::int64_t> video_ms;  // while recording
  std::optional<DepthRow> row;           // the depth record's row at the press (while recording)
  std::optional<PhotoPress> photo;       // none when the camera gave no picture (the operator was told)
  // What the dialog shows of the press: "Observation à 13,26 m, 00:04:12" (UTF-8).
  std::string heading;
};

// What the write of a press gave: the path of the photo (UTF-8), or the operator's text (CP1252).
struct PhotoWritten {
  bool saved = false;
  std::string path;
  std::string message;
};

// Writes the press's picture as "<name> <depth>[ <code>].jpg", numbered when the name is taken.
// Any thread: it touches only the picture and the file system.
PhotoWritten write_photo(const PhotoPress& press);

class DepthNotes {
 public:
  // `workflow` may be null (no recording possible); `clock` gives the band's date-time.
  DepthNotes(TVideoCapture& engine, EncoderLink& link, RecordingHost& host, RecordingWorkflow* workflow,
             Prompter& prompter, Clock& clock);

  // "Photo": true when the picture was saved (its path in last_photo()); otherwise the operator
  // was told why.
  bool take_photo();
  // "Observation" with its code and the operator's note (UTF-8): a photo named with the code, the
  // observation into the depth record and the observation track while recording. True when the
  // observation was kept (a photo that failed is said, the observation still counts).
  bool observe(const std::string& code, const std::string& note);

  // The same in steps, for a write off this thread. press_photo takes the picture and the texts
  // now; nullopt when there is no picture (the operator was told). press_observation notes the
  // observation now and gives its photo's press (nullopt: no picture, told). photo_written tells
  // the end of a write (the notice, or the failure's box) and puts the snapshot row in the record
  // at the press's time; true when saved.
  std::optional<PhotoPress> press_photo(const std::string& code = {}, const std::string& note = {});
  // "Observation" pressed: the depth, the time and the picture of now. Then, once the code is picked
  // and the note typed, the observation goes in at the press's depth and time and gives its photo's
  // press, named and banded with the code.
  ObservationPress press_observation();
  std::optional<PhotoPress> save_observation(ObservationPress press, const std::string& code, const std::string& note);
  bool photo_written(const PhotoPress& press, const PhotoWritten& written);

  // UTF-8 path of the last photo saved; empty: none yet.
  const std::string& last_photo() const { return last_photo_; }

 private:
  std::optional<PhotoPress> photo_at(const DepthPress& at);

  TVideoCapture& engine_;
  EncoderLink& link_;
  RecordingHost& host_;
  RecordingWorkflow* workflow_;
  Prompter& prompter_;
  Clock& clock_;
  std::string last_photo_;
};

// The file name of a photo (UTF-8, no folder): the name, the depth text, the code when given, a
// number from 2 on when the plain name is taken. Characters a file name cannot hold are replaced.
std::string photo_file_name(const std::string& name, const std::string& depth, const std::string& code, int number);

}  // namespace wellvue
