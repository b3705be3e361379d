// Names the text tracks of a finished MP4 file: mp4mux writes no track names, so the handler
// name of each text track (what players and ffprobe list as the track's name) and its user-data
// "name" are set afterwards. Only the movie box is rewritten, in place: mp4mux puts it last, after
// the media data, so no sample offset moves.
#pragma once
#include <string>
#include <vector>

namespace wellvue::exporting {

// Gives the file's text tracks, in order, the titles (UTF-8). Returns the empty text on success,
// else what went wrong (French); a file with media data after its movie box is left untouched.
std::string name_mp4_text_tracks(int fd, const std::vector<std::string>& titles);

}  // namespace wellvue::exporting
