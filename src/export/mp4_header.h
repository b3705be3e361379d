// The last touches of a finished MP4 file that mp4mux cannot give: each text track's name where
// players look for it (handler name, user-data "name" and "©nam") and which text track a player
// shows by itself (the others are marked not enabled, all in one alternate group). Only the movie
// box is rewritten, in place: it grows into the free space reserved after it (index first) or at
// the end of the file (index last), so no sample offset moves.
#pragma once
#include <string>
#include <vector>

#include "export/export_plan.h"

namespace wellvue::exporting {

// Gives the file's text tracks, in order, the names and default choice of `tracks`. Returns the
// empty text on success, else what went wrong (French); the file is then left untouched.
std::string finish_mp4_text_tracks(int fd, const std::vector<SubtitleTrack>& tracks);

}  // namespace wellvue::exporting
