// Running the graph: preview, recording with its start question and stop, the hold and release
// of the file branch, snapshots, the 100 ms tick with the time limit, and graph events.
#include <algorithm>
#include <filesystem>

#include "capture/abort_reason.h"
#include "capture/capture_error.h"
#include "capture/recording_finalise.h"
#include "capture/video_capture.h"

namespace wellvue {

bool TVideoCapture::ControlStreams(bool hold) {
  if (!backend_.has_graph()) return false;
  return backend_.control_capture_stream(hold) == S_OK;
}

bool TVideoCapture::StartPreview() {
  if (backend_.has_graph() && previewing_) return true;
  if (!BuildGraph()) return false;
  if (want_capture_) ControlStreams(true);
  HResult hr = backend_.query_media_control();
  if (hr == S_OK) {
    hr = backend_.run();
    if (failed(hr)) backend_.stop();
  }
  if (failed(hr)) {
    Warn("Error %x: Cannot run preview graph!", hr);
    return false;
  }
  previewing_ = true;
  Fire(OnStartPreview);
  return true;
}

bool TVideoCapture::StopPreview() {
  if (!previewing_) return false;
  if (backend_.has_graph()) {
    HResult hr = backend_.query_media_control();
    if (hr == S_OK) hr = backend_.stop();
    if (failed(hr)) {
      Warn("Error %x: Cannot stop preview graph!", hr);
      return false;
    }
  }
  if (OnRepaint) OnRepaint();
  Fire(OnStopPreview);
  previewing_ = false;
  return true;
}

bool TVideoCapture::PrepareRecordingFile() {
  // A temporary file follows the final file's folder as it is now, not as it was at the build.
  if (output_is_temp_) {
    const std::string target = CurrentTempFile();
    const std::string folder = std::filesystem::path(target).parent_path().string();
    if (!target.empty() && target != output_file_ && !kept_recordings_.count(target) &&
        files_->entry_kind(target) != EntryKind::Other && (folder.empty() || files_->exists(folder)) &&
        backend_.set_output_file_name(target) == S_OK) {
      files_->remove(target);
      output_file_ = target;
    }
  }
  if (kept_recordings_.count(output_file_)) {
    Report(ReportKind::Warning, kNotOverAKeptRecording, S_OK, output_file_);
    return false;
  }
  // The recording creates its file new and never through a link: a plain file under the name
  // goes (an earlier recording's, or the space preallocated for this one), anything else stays
  // where it is.
  switch (files_->entry_kind(output_file_)) {
    case EntryKind::None:
      break;
    case EntryKind::PlainFile:
      files_->remove(output_file_);
      break;
    case EntryKind::Other: {
      const std::string fresh = output_is_temp_ ? UniqueSibling(output_file_) : std::string();
      if (fresh.empty() || backend_.set_output_file_name(fresh) != S_OK) {
        Report(ReportKind::Warning, kNotAPlainFile, S_OK, output_file_);
        return false;
      }
      output_file_ = fresh;
      break;
    }
  }
  return true;
}

bool TVideoCapture::StartCapture(bool confirm) {
  if (!want_capture_) return false;
  if (capturing_) return true;
  timer_->set_enabled(false);
  if (!BuildGraph()) return false;
  if (!PrepareRecordingFile()) return false;
  const bool controllable = ControlStreams(true);
  HResult hr = backend_.query_media_control();
  if (hr != S_OK) {
    Warn("Error %x: Can't get IMediaControl!", hr);
    return false;
  }
  try {
    hr = controllable ? backend_.run() : backend_.pause();
    if (failed(hr)) Fail("Error %x: Cannot run graph!", hr);
    previewing_ = false;
    if (confirm && !prompter_.ask_yes_cancel(kStartCaptureQuestion)) {
      backend_.stop();
      if (want_preview_) StartPreview();
      return false;
    }
    if (controllable) {
      ControlStreams(false);
    } else {
      hr = backend_.run();
      if (failed(hr)) Fail("Error %x: Cannot run graph!", hr);
    }
    recording_file_ = output_file_;
    last_abort_code_ = 0;
    last_abort_reason_.clear();
    capture_start_ = scheduler_.now_ms();
    timer_->set_enabled(true);
    capturing_ = true;
  } catch (const EVideoCaptureError&) {
    backend_.stop();
    return false;
  }
  try {
    Fire(OnStartCapture);
  } catch (...) {
    // The recording runs; a failing handler does not undo it.
  }
  return true;
}

std::string TVideoCapture::UniqueSibling(const std::string& path) const {
  namespace fs = std::filesystem;
  const fs::path p(path);
  for (int n = 1; n < 1000; ++n) {
    fs::path candidate = p.parent_path() / (p.stem().string() + "-" + std::to_string(n) + p.extension().string());
    if (!files_->exists(candidate.string())) return candidate.string();
  }
  return {};
}

bool TVideoCapture::FinishRecording() {
  const std::string recorded = recording_file_;
  if (recorded.empty()) return true;
  // The file could not be created: whatever holds the name is not ours to delete or move.
  if (last_stats_.known && !last_stats_.file_created) return true;
  // No frame reached the file: what is there cannot be read; do not leave it behind.
  if (last_stats_.known && last_stats_.frames_written == 0) {
    if (!kept_recordings_.count(recorded)) files_->remove(recorded);
    return true;
  }
  // A muxer that could not close its file (the disk full, a write error, no end in time) left
  // it unfinalised: it is made playable here, before it takes its final name.
  if (abort_pending_ || last_stats_.file_duration_s <= 0) {
    const FinalisedRecording f = FinaliseRecording(recorded);
    if (f.repaired) {
      // What the file holds: a frame the muxer took but the disk did not is not in it.
      last_stats_.file_duration_s = f.duration_s;
      last_stats_.frames_written = std::min(last_stats_.frames_written, f.frames);
    }
    if (!f.repaired && !f.message.empty())
      Report(ReportKind::Warning, kRecordingNotFinalised, S_OK, recorded + "\r\n" + f.message);
  }
  if (!output_is_temp_) {
    last_final_ = recorded;
    return true;
  }
  const std::string final_name = capture_file_name_;
  std::error_code ec;
  // A link or anything but a plain file under the final name is neither followed nor replaced.
  const bool name_usable = !final_name.empty() && files_->entry_kind(final_name) != EntryKind::Other;
  if (name_usable && final_name != recorded && files_->move(recorded, final_name, ec)) {
    recording_file_ = last_final_ = final_name;
    return true;
  }
  if (final_name == recorded) {
    last_final_ = final_name;
    return true;
  }
  // Keep the recording. The next one would be written over it under the temporary name, so it
  // gets a name of its own beside it when it can.
  std::string kept = recorded;
  const std::string aside = UniqueSibling(recorded);
  std::error_code ec2;
  if (!aside.empty()) {
    files_->rename(recorded, aside, ec2);
    if (!ec2) kept = aside;
  }
  kept_recordings_.insert(kept);
  recording_file_ = kept;
  const std::string reason = final_name.empty() ? std::string("aucun nom de fichier")
                             : !name_usable     ? std::string(kNotAPlainFileReason)
                                                : ec.message();
  Report(ReportKind::Warning, kCannotMoveRecording, S_OK,
         reason + ") : " + final_name + "\r\nL'enregistrement est conserv\xE9 dans " + kept);
  return false;
}

bool TVideoCapture::StopCapture() {
  if (!capturing_) return false;
  timer_->set_enabled(false);
  if (!backend_.has_graph()) return false;
  // With a preview the graph goes on running: only the recording is ended and its file closed.
  HResult hr = backend_.query_media_control();
  if (hr == S_OK) hr = want_preview_ ? backend_.end_capture() : backend_.stop();
  if (failed(hr)) {
    Warn("Error %x: Cannot stop graph!", hr);
    return false;
  }
  capturing_ = false;
  previewing_ = false;
  last_stats_ = backend_.capture_stats();
  const bool saved = FinishRecording();
  try {
    Fire(OnCaptureProgress);
  } catch (...) {
    // The recording is over whatever the progress display does.
  }
  if (OnRepaint) OnRepaint();
  Fire(OnStopCapture);
  if (want_preview_) StartPreview();
  return saved;
}

SnapshotResult TVideoCapture::save_snapshot(const std::string& utf8_path, const std::vector<std::string>& band_lines) {
  // A graph that is not running may still hold the last frame it showed: not the camera's now.
  if (!backend_.has_graph() || !(previewing_ || capturing_)) return snapshot_no_picture();
  return backend_.save_snapshot(utf8_path, band_lines);
}

TakenSnapshot TVideoCapture::take_snapshot() {
  if (!backend_.has_graph() || !(previewing_ || capturing_)) return {nullptr, snapshot_no_picture()};
  return backend_.take_snapshot();
}

void TVideoCapture::Tick() {
  capture_time_ = scheduler_.now_ms() - capture_start_;
  if (!capturing_) return;
  if (use_time_limit_ && capture_time_ / 1000 >= static_cast<std::uint32_t>(time_limit_)) {
    StopCapture();
    if (want_preview_) StartPreview();
  } else {
    Fire(OnCaptureProgress);
  }
}

void TVideoCapture::HandleGraphEvents() {
  const bool was_capturing = capturing_;
  const bool was_previewing = previewing_;
  if (!event_source_) return;
  GraphEvent event;
  while (backend_.get_event(event) == S_OK) {
    if (event.code == EC_ERRORABORT) {
      last_abort_code_ = static_cast<HResult>(event.param1);
      const std::string file = capturing_ ? recording_file_ : output_file_;
      last_abort_reason_ =
          AbortReasonText(last_abort_code_, event.text, std::filesystem::path(file).parent_path().string());
      abort_pending_ = true;
      StopCapture();
      abort_pending_ = false;
      Fire(OnAborted);
    } else if (event.code == EC_DEVICE_LOST) {
      Fire(OnDeviceLost);
      StopCapture();
      StopPreview();
    }
    if (!event_source_) break;  // a handler took the graph apart
  }
  if ((capturing_ != was_capturing || previewing_ != was_previewing) && want_preview_) StartPreview();
}

}  // namespace wellvue
