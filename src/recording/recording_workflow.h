// Starting and stopping a recording: the file names and the questions, the counter reset, the
// capture engine and the encoder link's subtitle track switched together, the elapsed time, the
// closing entries and the subtitle file beside the video; the track journaled to disk meanwhile,
// and the depth record beside them.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "capture/graph_config.h"
#include "capture/video_capture.h"
#include "encoder/clock.h"
#include "encoder/depth_record_sink.h"
#include "encoder/encoder_link.h"
#include "recording/depth_record.h"
#include "recording/disk_reserve.h"
#include "recording/observation_track.h"
#include "recording/recording_host.h"
#include "recording/srt_journal.h"
#include "recording/video_hash.h"
#include "util/prompter.h"

namespace wellvue {

// Where the track's clock starts and where the recording ends in it.
enum class TrackTiming {
  // At the first frame of the video; the end is the video's own duration.
  FirstFrame,
  // At the first poll after the start; the end is the engine's last 100 ms tick (kept for
  // measurements).
  FirstPoll,
};

struct RecordingOptions {
  TrackTiming timing = TrackTiming::FirstFrame;
  // Where the folders of the recordings are remembered for start-up recovery; empty: nowhere.
  std::string recording_folders_file;
  // Told when a finished video's SHA-256 could not be kept beside it (from the hasher's thread):
  // the video (UTF-8) and why (French, UTF-8). Empty: not told.
  VideoHasher::Failed hash_failed;
};

class RecordingWorkflow {
 public:
  // `clock` must be the encoder link's clock; `config` may be null.
  RecordingWorkflow(TVideoCapture& engine, TGraphConfig* config, EncoderLink& link, Prompter& prompter, Clock& clock,
                    RecordingHost& host, RecordingOptions options = {});
  ~RecordingWorkflow();
  RecordingWorkflow(const RecordingWorkflow&) = delete;
  RecordingWorkflow& operator=(const RecordingWorkflow&) = delete;

  // "Start capture ?": true when the engine records.
  bool btStartClick();
  // "Stop capture". Throws ConversionError when the subtitle file cannot be written: the
  // recording then goes on, and the next stop tries again.
  void btStopClick();
  // The engine's progress event.
  void capCaptureProgress();
  // The program ends: a recording under way is finished as a stop does (without the closing
  // message); a failure is shown and the video is finalised all the same.
  void finish_before_exit();
  // The engine ended the recording by itself (full disk, medium gone) and has stopped the capture:
  // the subtitles are closed at the video's real end and saved, the operator is told why and where
  // the files are, and the station is back to idle.
  void engine_aborted();

  bool recording() const { return recording_; }
  // Names of the current (or last) recording, CP1252.
  const std::string& avi_name() const { return avi_name_; }
  const std::string& srt_name() const { return srt_name_; }
  // Track clock origin in use (link clock milliseconds), once known.
  std::optional<std::int64_t> track_origin_ms() const { return origin_ms_; }
  // The depth record's file of the current (or last) recording, UTF-8.
  const std::string& depth_record_file() const { return depth_name_; }
  // An event of the operator into the depth record at the current video time: `event` is
  // "snapshot" (detail: the picture's file name) or "observation" (detail: "CODE" or "CODE: note");
  // UTF-8. Nothing when no recording runs.
  void note_event(const std::string& event, const std::string& detail);
  // The same in two steps, for an event whose detail is known only later (a picture still being
  // written): the row of the current video time and depth (nullopt when no recording runs), then
  // that row put into the record among the others at its time (nothing once the recording ended).
  std::optional<DepthRow> event_row_now(const std::string& event);
  void add_event_row(DepthRow row);
  // An observation of the operator at the current video time and depth into the observation track
  // (its subtitle file is made at the first one). Nothing when no recording runs.
  void add_observation(const std::string& code, const std::string& note);
  // The same at a press's video time and depth.
  void add_observation_at(std::int64_t video_ms, double depth_m, const std::string& code, const std::string& note);
  // The folder of the current (or last) recording, UTF-8, absolute.
  const std::string& folder() const { return folder_; }
  // The time of the video being recorded now, in milliseconds on its own clock (the subtitles'
  // origin); nullopt when no recording runs.
  std::optional<std::int64_t> video_ms_now() const;
  // A finished video (UTF-8) to hash in the background into "<video>.sha256". Every stop queues
  // its own video; this is for the others (a recording recovered at start-up).
  void hash_video(const std::string& video);
  // Waits for the queued hashes (a tool before it exits; the windows never wait).
  void wait_for_video_hashes() { hasher_.wait_idle(); }

 private:
  // The folder (absolute, UTF-8) and the names of the next recording, checked; false after the
  // operator was told why the recording cannot start.
  bool prepare_names(std::uint64_t& free_minutes);
  void watch_recording();
  void finish_after_abort();
  // The steps every end of a recording shares: the track switched off, the closing entries at
  // end_ms, and the files finished beside the video (also where the engine kept it: false when the
  // subtitles could not be written there).
  void end_acquisition();
  void append_closing(std::uint64_t end_ms);
  bool finish_files(std::int64_t end_ms, const std::string& video, const std::string& kept_file);
  void refine_origin();
  void start_journal();
  void stop(bool closing_message);
  std::vector<std::string> closing_lines(const std::string& end_code, const std::string& next_code);
  void drop_failed_closing();
  void replace_closing(std::uint64_t end_ms);
  std::vector<std::string> track_lines() const;
  void save_subtitles(const std::string& utf8_path);
  // The depth record: its journal opened with the header of the start, a row kept and journaled,
  // the whole file written at the end (also beside a kept video).
  void start_depth_record();
  void add_depth_row(DepthRow row);
  // A row of the current tics and depths.
  DepthRow depth_row_now(const std::string& event, std::int64_t video_ms, const std::string& detail = {}) const;
  void finish_depth_record(std::int64_t end_ms, const std::string& video, const std::string& kept_video);

  // The link's lines and events, into the depth record.
  class DepthFeed : public DepthRecordSink {
   public:
    explicit DepthFeed(RecordingWorkflow& workflow) : workflow_(workflow) {}
    void line(const DepthReading& reading) override;
    void event(DepthEvent event, const DepthReading& reading, const std::string& detail) override;

   private:
    RecordingWorkflow& workflow_;
  };

  TVideoCapture& engine_;
  TGraphConfig* config_;
  EncoderLink& link_;
  Prompter& prompter_;
  Clock& clock_;
  RecordingHost& host_;
  RecordingOptions options_;

  std::string avi_name_;  // CP1252
  std::string srt_name_;
  std::int64_t last_capture_time_ = -1;
  bool starting_ = false;
  bool recording_ = false;
  std::optional<std::int64_t> origin_ms_;
  bool origin_from_frame_ = false;
  std::string recording_file_;  // UTF-8: the file the engine writes (noted for crash recovery)
  SrtJournal journal_;
  DepthFeed depth_feed_{*this};
  DepthJournal depth_journal_;
  DepthHeader depth_header_;
  std::vector<DepthRow> depth_rows_;
  std::string depth_name_;  // UTF-8
  ObservationTrack observations_;
  bool depth_recording_ = false;
  bool depth_warned_ = false;
  std::string folder_;  // UTF-8, absolute: the folder of the current (or last) recording
  DiskReserve reserve_;
  std::uint64_t bytes_per_second_ = 0;
  std::uint32_t space_checked_at_ = 0;
  bool space_warned_ = false;
  bool journal_warned_ = false;
  // Closing entries of a stop whose subtitle file could not be written.
  std::size_t closing_at_ = 0;
  std::vector<std::string> closing_;
  std::int32_t entry_before_closing_ = -1;
  // Last: its thread stops first, before anything it could be told about goes.
  VideoHasher hasher_;
};

}  // namespace wellvue
