// The operator's photos and observations at depth: the camera's picture saved beside the
// recording (or in the video folder outside one) under the recording's name and the depth, with a
// band carrying the bore, the date-time and the depths, and logged in the depth record; an
// observation is a photo with its code, also shown on the video through the observation track.
#pragma once
#include <string>

#include "capture/video_capture.h"
#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "recording/recording_host.h"
#include "recording/recording_workflow.h"
#include "util/prompter.h"

namespace wellvue {

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

  // UTF-8 path of the last photo saved; empty: none yet.
  const std::string& last_photo() const { return last_photo_; }

 private:
  // Saves the picture as "<name> <depth>[ <code>].jpg", numbered when the name is taken.
  bool save_picture(const std::string& code, const std::string& note);

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
