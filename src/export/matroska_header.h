// The last touches of a finished Matroska file that matroskamux cannot give: the file's title in
// its segment information, each subtitle track's name and which subtitle track a player shows by
// itself. The head of the segment (seek head, information, tracks) is written again, compactly,
// into the bytes it had: the clusters, cues and tags after it do not move.
#pragma once
#include <string>
#include <vector>

#include "export/export_plan.h"

namespace wellvue::exporting {

// Gives the file the title (UTF-8, cut to what the head has room for) and its subtitle tracks, in
// order, the names and default choice of `tracks`. Returns the empty text on success, else what
// went wrong (French); the file is then left untouched.
std::string finish_matroska_head(int fd, const std::string& title, const std::vector<SubtitleTrack>& tracks);

}  // namespace wellvue::exporting
