// The capture engine: live preview and AVI recording over a graph backend, with its published
// properties, events, state flags (built, previewing, capturing), the 100 ms tick and the video
// and audio format operations. Runs on the owner (GUI) thread only.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "capture/cap_devices.h"
#include "capture/cap_modes.h"
#include "capture/capture_files.h"
#include "capture/graph_backend.h"
#include "capture/graph_config.h"
#include "capture/hresult.h"
#include "capture/scheduler.h"
#include "util/prompter.h"

namespace wellvue {

class TVideoCapture;
using TNotifyEvent = std::function<void(TVideoCapture& sender)>;

// Caption of every report of the engine.
inline constexpr const char* kCaptureReportCaption = "GStreamer - Capture";
// Reports on the recording's files (CP1252; the file name follows each).
inline constexpr const char* kNotOverAKeptRecording =
    "Impossible d'enregistrer par-dessus un enregistrement qui n'a pas \xE9t\xE9 sauvegard\xE9 : ";
inline constexpr const char* kNotAPlainFileReason =
    "ce nom n'est pas celui d'un fichier ordinaire (lien symbolique, dossier ou p\xE9riph\xE9rique)";
inline constexpr const char* kNotAPlainFile =
    "Impossible d'enregistrer sous ce nom, qui n'est pas celui d'un fichier ordinaire (lien symbolique, dossier ou "
    "p\xE9riph\xE9rique) : ";
inline constexpr const char* kCannotMoveRecording = "Impossible de donner \xE0 l'enregistrement son nom de fichier (";
inline constexpr const char* kRecordingNotFinalised =
    "L'enregistrement n'a pas pu \xEAtre termin\xE9 proprement ; il faudra le r\xE9parer : ";
// The start question of StartCapture(true).
inline constexpr const char* kStartCaptureQuestion = "           Start enregistrement !           ";

class TVideoCapture {
 public:
  // `files` may be null: the real file system is used.
  TVideoCapture(GraphBackend& backend, Scheduler& scheduler, Prompter& prompter,
                std::unique_ptr<CaptureFiles> files = nullptr);
  ~TVideoCapture();
  TVideoCapture(const TVideoCapture&) = delete;
  TVideoCapture& operator=(const TVideoCapture&) = delete;

  // --- Published properties --------------------------------------------------------------------
  TDVResolution DVResolution() const { return dv_resolution_; }
  void SetDVResolution(TDVResolution value);
  bool WantBitmaps() const { return want_bitmaps_; }
  void SetWantBitmaps(bool v) { want_bitmaps_ = v; }
  TPixelFormat BitmapPixelFormat() const { return bitmap_pixel_format_; }
  void SetBitmapPixelFormat(TPixelFormat v) { bitmap_pixel_format_ = v; }
  bool WantAudio() const { return want_audio_; }
  void SetWantAudio(bool v) { want_audio_ = v; }
  bool WantDVAudio() const { return want_dv_audio_; }
  void SetWantDVAudio(bool v) { want_dv_audio_ = v; }
  bool WantAudioPreview() const { return want_audio_preview_; }
  void SetWantAudioPreview(bool v) { want_audio_preview_ = v; }
  bool WantPreview() const { return want_preview_; }
  void SetWantPreview(bool v) { want_preview_ = v; }
  bool WantCapture() const { return want_capture_; }
  void SetWantCapture(bool v) { want_capture_ = v; }
  bool UseFrameRate() const { return use_frame_rate_; }
  void SetUseFrameRate(bool v) { use_frame_rate_ = v; }
  double FrameRate() const { return frame_rate_; }
  // Outside 1..50 (or not a number) stores 25.
  void SetFrameRate(double v);
  const std::string& CaptureFileName() const { return capture_file_name_; }
  void SetCaptureFileName(const std::string& v) { capture_file_name_ = v; }
  bool UseTempFile() const { return use_temp_file_; }
  void SetUseTempFile(bool v) { use_temp_file_ = v; }
  const std::string& TempCaptureFileName() const { return temp_capture_file_name_; }
  // Stores the name and retargets the graph's file writer when there is one.
  void SetTempCaptureFileName(const std::string& v);
  bool UseTimeLimit() const { return use_time_limit_; }
  void SetUseTimeLimit(bool v) { use_time_limit_ = v; }
  std::int32_t TimeLimit() const { return time_limit_; }
  void SetTimeLimit(std::int32_t v) { time_limit_ = v; }
  bool DoPreallocFile() const { return do_prealloc_file_; }
  void SetDoPreallocFile(bool v) { do_prealloc_file_ = v; }
  std::uint32_t PreallocFileSize() const { return prealloc_file_size_; }
  void SetPreallocFileSize(std::uint32_t v) { prealloc_file_size_ = v; }

  // --- Events (an empty one is skipped) ---------------------------------------------------------
  TNotifyEvent OnAborted, OnDeviceLost, OnChangeDevice, OnChangeCompressor, OnChangeVCapMode, OnChangeACapMode,
      OnCaptureProgress, OnStopCapture, OnStopPreview, OnStartCapture, OnStartPreview, OnFrameRendered;
  // The host repaints its view (after a preview or capture stops).
  std::function<void()> OnRepaint;

  // --- Read-only state -----------------------------------------------------------------------
  bool Previewing() const { return previewing_; }
  bool Capturing() const { return capturing_; }
  std::uint32_t CaptureTime() const { return capture_time_; }
  bool HasFilterGraph() const { return backend_.has_graph(); }
  bool Built() const { return built_; }
  // Counters of the recording that ended last.
  const CaptureStats& LastCaptureStats() const { return last_stats_; }
  // The file the current recording goes to; once it has ended, the file it was saved as: its
  // final name after the move from a temporary file (also after an abort), else where it was
  // kept. After an abort (OnAborted) the capture is stopped and this file plays as it is: what
  // reached the disk was finalised, repaired in place when the muxer could not close it.
  const std::string& RecordingFile() const { return recording_file_; }
  // Recordings that could not be moved to their final name; never deleted by the engine.
  const std::set<std::string>& KeptRecordings() const { return kept_recordings_; }
  // Capture time of the recording's first frame on the monotonic clock (steady_clock, ns); 0
  // while no frame has reached the file or when the backend cannot tell.
  std::int64_t FirstFrameTimeNs() const { return backend_.first_frame_time_ns(); }
  // The code of the last error abort event (0 when none).
  HResult LastAbortCode() const { return last_abort_code_; }
  // Why the last recording was aborted, in French for the operator (CP1252; empty when it was
  // not): "disque plein dans <dossier> (plus de place pour la vidéo)" for a full disk.
  const std::string& LastAbortReason() const { return last_abort_reason_; }

  // --- Host view ---------------------------------------------------------------------------
  void SetVideoSurface(VideoSurface* surface) { surface_ = surface; }
  // The control's client size changed.
  void Resize(int width, int height);
  int ClientWidth() const { return client_width_; }
  int ClientHeight() const { return client_height_; }

  // --- Operations ----------------------------------------------------------------------------
  bool InitCapture();
  void ApplyConfig(const TGraphConfig* config);
  void FillConfig(TGraphConfig* config);
  bool StartPreview();
  bool StopPreview();
  bool StartCapture(bool confirm);
  bool StopCapture();
  // Saves the latest camera frame at the source's own resolution as a JPEG at `utf8_path` with
  // `band_lines` (UTF-8) drawn in a band under the picture; works while previewing and while
  // recording; never blocks the GUI thread for more than a frame or two. Never replaces an
  // existing name (NameTaken: the caller picks another one).
  SnapshotResult save_snapshot(const std::string& utf8_path, const std::vector<std::string>& band_lines);
  // The same in two steps: the latest frame taken now (GUI thread, no encoding, no disk), saved
  // later by its picture's save() on any thread.
  TakenSnapshot take_snapshot();

  int VideoModeCount();
  TVCapMode GetVideoMode(int index);
  TVCapMode GetCurrentVideoMode();
  int CurrentVideoModeIndex();
  bool SetVideoMode(int index);
  bool SelectVideoMode(const TVCapMode& mode);
  int AudioModeCount();
  TACapMode GetAudioMode(int index);
  TACapMode GetCurrentAudioMode();
  bool SetAudioMode(int index);
  bool SelectAudioMode(const TACapMode& mode);

  // --- Graph stages (used by the operations above; public for the host's tools) -----------------
  bool CreateSourceFilters();
  bool BuildGraph();
  void DismantleGraph();
  void ReleaseGraphObjects();
  bool IsDVSource();

  // The 100 ms tick (driven by the timer; public so a host can drive it by hand).
  void Tick();
  // Graph events queued by the backend are handled (driven by the backend's notification).
  void HandleGraphEvents();

 private:
  enum class ReportKind { Warning, Failure };
  void Report(ReportKind kind, const std::string& templ, HResult code, const std::string& tail = {});
  [[noreturn]] void Fail(const std::string& text, HResult code = 0);
  void Warn(const std::string& text, HResult code = 0);
  void Fire(const TNotifyEvent& event);

  bool EnsureFilterGraph();
  bool EnsureCaptureBuilder();
  bool PreallocateFile(std::uint32_t megabytes);
  bool AttachVideoWindow();
  bool RenderPreviewBranch(const FilterRef& upstream);
  bool ControlStreams(bool hold);
  void RemoveDownstream(const FilterRef& filter);
  void ApplyDVResolution();
  void ApplyFrameRate();
  bool PrepareRecordingFile();
  bool FinishRecording();
  std::string UniqueSibling(const std::string& path) const;
  bool DeletableTempFile(const std::string& path) const;
  std::string CurrentTempFile() const;
  std::string FindNameFor(DeviceCategory category, const DeviceRef& moniker);
  void PostToOwner(std::function<void()> work);

  GraphBackend& backend_;
  Scheduler& scheduler_;
  Prompter& prompter_;
  std::unique_ptr<CaptureFiles> files_;
  std::shared_ptr<int> alive_;  // posted work runs only while the engine lives
  std::unique_ptr<TickTimer> timer_;

  TDVResolution dv_resolution_ = dvrDontWorry;
  bool want_bitmaps_ = true;
  TPixelFormat bitmap_pixel_format_ = pf24bit;
  bool want_audio_ = true;
  bool want_dv_audio_ = true;
  bool want_audio_preview_ = true;
  bool want_preview_ = true;
  bool want_capture_ = true;
  bool use_frame_rate_ = false;
  double frame_rate_ = 0;
  std::string capture_file_name_;
  bool use_temp_file_ = false;
  std::string temp_capture_file_name_;
  bool use_time_limit_ = false;
  std::int32_t time_limit_ = 0;
  bool do_prealloc_file_ = false;
  std::uint32_t prealloc_file_size_ = 1;

  bool built_ = false;
  bool previewing_ = false;
  bool capturing_ = false;
  std::uint32_t capture_start_ = 0;
  std::uint32_t capture_time_ = 0;
  int master_stream_ = -1;

  DeviceRef video_device_, audio_device_, video_compressor_device_, audio_compressor_device_;
  FilterRef video_capture_, audio_capture_, video_compressor_, audio_compressor_;
  FilterRef dv_splitter_, dv_decoder_, mux_, grabber_;
  StreamConfigRef video_stream_config_, audio_stream_config_;
  CompressorDialogsRef compressor_dialogs_;
  bool video_window_ = false;
  bool event_source_ = false;

  std::string output_file_;      // the file writer's file of the current build
  bool output_is_temp_ = false;  // output_file_ is a temporary file, moved at stop
  std::string recording_file_;
  std::set<std::string> kept_recordings_;
  std::string last_final_;  // the last recording saved under its final name
  CaptureStats last_stats_;
  HResult last_abort_code_ = 0;
  std::string last_abort_reason_;
  bool abort_pending_ = false;  // StopCapture runs for an abort event

  VideoSurface* surface_ = nullptr;
  int client_width_ = 100;
  int client_height_ = 100;
};

}  // namespace wellvue
