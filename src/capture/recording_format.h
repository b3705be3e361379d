// How a recording is stored: the muxer its pipeline ends in, its file's extension, and how a file
// of that format is read back, finished after an interruption and set aside when it holds
// nothing. The engine, the workflow, crash recovery and the tools ask the format, so another
// container is one more profile here. AVI is the default.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace wellvue {

// What a recorded file holds, read from its headers and its data.
struct RecordedLength {
  bool finalised = false;            // the muxer closed it
  double header_seconds = 0;         // the video's duration as its headers give it
  double on_disk_seconds = -1;       // the video frames really on disk at the stream's rate; -1: no video or no rate
  std::uint64_t frames_on_disk = 0;  // 0 when it has no video stream
};

enum class RecoveryStatus { Repaired, AlreadyFinalised, Empty, Failed };

struct Recovery {
  RecoveryStatus status = RecoveryStatus::Failed;
  std::string message;  // for the operator, CP1252
  std::uint64_t frames = 0;
  double duration_seconds = 0;
};

struct RecordingFormat {
  std::string_view name;       // for messages and logs
  std::string_view muxer;      // the GStreamer element the file branch ends in
  std::string_view extension;  // with its dot
  // nullopt when the file is not one of this format's.
  std::optional<RecordedLength> (*read_length)(const std::string& path);
  // Makes an interrupted file playable in place; never deletes anything.
  Recovery (*repair)(const std::string& path);
  // Renames a file with nothing to recover beside itself; the new path, empty (ec set) on failure.
  std::string (*set_aside)(const std::string& path, std::error_code& ec);
};

const RecordingFormat& avi_format();
const RecordingFormat& default_recording_format();

}  // namespace wellvue
