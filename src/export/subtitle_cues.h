// Subtitle cues as a muxer takes them: start and end on the video's clock and UTF-8 text, read
// from the station's SRT files and fitted to the video they are put into.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wellvue::exporting {

struct Cue {
  std::int64_t start_ms = 0;
  std::int64_t end_ms = 0;
  std::string text;  // UTF-8, the entry's lines joined by '\n'
  bool operator==(const Cue&) const = default;
};

enum class TextEncoding { Cp1252, Utf8 };

// The entries of an SRT file in file order. An entry whose time line does not read is skipped
// whole; UTF-8 that does not decode becomes U+FFFD so the muxer never sees invalid text.
std::vector<Cue> read_srt_cues(std::string_view bytes, TextEncoding encoding);

// The cues a player can show within a video of duration_ms: sorted by start, an end past the
// video cut to its end, cues that start at or after the end, last no time or have no text
// dropped. With
// no_overlap (a container whose text samples follow each other, MP4) a cue ends where the next
// one starts.
std::vector<Cue> cues_within(std::vector<Cue> cues, std::int64_t duration_ms, bool no_overlap);

// Text made valid UTF-8 (bad bytes become U+FFFD).
std::string valid_utf8(std::string_view text);

}  // namespace wellvue::exporting
