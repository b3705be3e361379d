// The platform side of the capture engine: devices, the graph (pipeline) and its branches, stream
// formats, hold/release of the file branch, run/pause/stop and graph events. The engine holds the
// logic (order of steps, which failure stops what, messages); a backend only does each step and
// says with an HResult whether it worked. GStreamer implements it in capture/gst; tests script it.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/guid.h"
#include "capture/hresult.h"
#include "capture/media_format.h"
#include "capture/snapshot.h"

namespace wellvue {

// A device or codec found by enumeration. Compared by identity (the same object), kept alive by
// whoever holds a reference; it can later create its element (GraphBackend::bind_device).
class CaptureDevice {
 public:
  virtual ~CaptureDevice() = default;
};
using DeviceRef = std::shared_ptr<CaptureDevice>;

enum class DeviceCategory { VideoInput, AudioInput, VideoCompressor, AudioCompressor };

struct DeviceEntry {
  std::string friendly_name;  // exactly as the platform gives it, not trimmed
  DeviceRef device;
};

// An element of the graph (source, tee, decoder, encoder, tap, muxer). Opaque to the engine.
class Filter {
 public:
  virtual ~Filter() = default;
};
using FilterRef = std::shared_ptr<Filter>;

// Elements the engine asks the backend to make (not from a device).
enum class FilterKind { SmartTee, InfTee, DVDecoder, DVSplitter, SampleGrabber };

// Format list and current format of one source's output.
class StreamConfig {
 public:
  virtual ~StreamConfig() = default;
  virtual HResult get_number_of_capabilities(int& count) = 0;
  virtual HResult get_stream_caps(int index, MediaFormat& format, VideoCapability& capability) = 0;
  virtual HResult get_format(MediaFormat& format) = 0;
  virtual HResult set_format(const MediaFormat& format) = 0;
};
using StreamConfigRef = std::shared_ptr<StreamConfig>;

// The opaque settings block of a video compressor (its properties, serialised by the backend).
class CompressorDialogs {
 public:
  virtual ~CompressorDialogs() = default;
  virtual HResult get_state(std::string& state) = 0;
  virtual HResult set_state(const std::string& state) = 0;
};
using CompressorDialogsRef = std::shared_ptr<CompressorDialogs>;

// Graph event codes.
constexpr long EC_ERRORABORT = 0x03;
constexpr long EC_DEVICE_LOST = 0x1F;

struct GraphEvent {
  long code = 0;
  std::int64_t param1 = 0;  // EC_ERRORABORT: the HResult of the failure
  std::int64_t param2 = 0;
  std::string text;  // EC_ERRORABORT: the platform's own words for the failure (may be empty)
};

// What the file branch did in the recording that ended last.
struct CaptureStats {
  bool known = false;  // false when the backend could not count
  std::uint64_t frames_written = 0;
  std::uint64_t frames_filled = 0;  // duplicated to keep the file's time equal to wall time
  std::uint64_t frames_dropped = 0;
  double file_duration_s = 0;  // from the file's own headers
  bool file_created = true;    // false: the file could not be created, nothing was written
};

// One preview picture: BGRx bytes, rows of `stride` bytes. Valid only during present().
struct VideoFrame {
  int width = 0;
  int height = 0;
  int stride = 0;
  const std::uint8_t* data = nullptr;
};

// Where the preview picture is shown: the capture view of the host. present() is called on a
// streaming thread; it must copy what it keeps and only post to its own thread.
class VideoSurface {
 public:
  virtual ~VideoSurface() = default;
  virtual void present(const VideoFrame& frame) = 0;
};

class GraphBackend {
 public:
  virtual ~GraphBackend() = default;

  // --- Devices -------------------------------------------------------------------------------
  // The members of one category in the platform's order. An enumerator that cannot be made or an
  // empty category gives an empty list.
  virtual std::vector<DeviceEntry> enumerate_devices(DeviceCategory category) = 0;

  // --- Graph objects -------------------------------------------------------------------------
  // Make the graph if there is none (S_OK also when it exists).
  virtual HResult create_graph() = 0;
  virtual bool has_graph() const = 0;
  // Release the graph with every element in it; also forgets the output file and event notify.
  virtual void release_graph() = 0;
  // The builder that assembles branches; made if absent.
  virtual HResult create_builder() = 0;
  virtual bool has_builder() const = 0;
  virtual void release_builder() = 0;
  // Give the graph to the builder.
  virtual HResult set_filter_graph() = 0;

  // The element of a device or codec (not yet in the graph).
  virtual HResult bind_device(const DeviceRef& device, FilterRef& filter) = 0;
  virtual HResult create_filter(FilterKind kind, FilterRef& filter) = 0;
  // Put an element into the graph; an empty name lets the backend name it.
  virtual HResult add_filter(const FilterRef& filter, const std::string& name) = 0;
  // The element of that name in the graph, or null.
  virtual FilterRef find_filter_by_name(const std::string& name) = 0;
  // Remove from the graph every element downstream of `filter`, disconnecting it.
  virtual void remove_downstream(const FilterRef& filter) = 0;

  // The format interface of a source element's output of that major type, searched on the
  // capture output when `capture_category` is set, on any output otherwise.
  virtual HResult find_stream_config(const FilterRef& filter, bool capture_category, const Guid& major_type,
                                     StreamConfigRef& config) = 0;
  // The settings block interface of a video compressor element.
  virtual HResult find_compressor_dialogs(const FilterRef& compressor, CompressorDialogsRef& dialogs) = 0;
  // DV decoder picture size (1000 full .. 1003 DC).
  virtual HResult dv_get_display(const FilterRef& decoder, int& display) = 0;
  virtual HResult dv_set_display(const FilterRef& decoder, int display) = 0;

  // --- Branches ------------------------------------------------------------------------------
  // Connect `from` through `via` (may be null) to `to` for the streams of `major_type`.
  // A null `to` ends the stream in the default renderer: the preview (video, shown through the
  // video window) or the sound output (audio). A tee gives its next free output at each call:
  // its first is the capture output, the next the preview output.
  virtual HResult render_stream(const Guid& major_type, const FilterRef& from, const FilterRef& via,
                                const FilterRef& to) = 0;
  // Make the AVI muxer and the file writer for `path` (overwrite mode); `mux` is the muxer.
  virtual HResult set_output_file(const std::string& path, FilterRef& mux) = 0;
  // Retarget the file writer made by set_output_file to a new file. E_NOINTERFACE: no writer.
  virtual HResult set_output_file_name(const std::string& path) = 0;
  // AVI muxer settings. E_NOINTERFACE when the muxer has none.
  virtual HResult set_master_stream(int index) = 0;

  // Frame tap in the preview branch: impose an RGB subtype (null: the upstream format) and
  // register a callback called for every frame that passes, possibly on a streaming thread.
  virtual HResult grabber_set_media_type(const FilterRef& grabber, const Guid* subtype) = 0;
  virtual HResult grabber_set_callback(const FilterRef& grabber, std::function<void()> on_frame) = 0;

  // Show the preview in `surface`, sized width x height. Fails when the graph has no video
  // renderer. set_video_window_position follows the host's size.
  virtual HResult attach_video_window(VideoSurface* surface, int width, int height) = 0;
  virtual HResult set_video_window_position(int width, int height) = 0;
  virtual void detach_video_window() = 0;

  // --- Running -------------------------------------------------------------------------------
  // Hold (nothing reaches the file) or release (the file receives data from now on, its time
  // starting at zero; after end_capture a new recording begins in the current output file) the
  // file branch. S_OK when the branch could be acted on.
  virtual HResult control_capture_stream(bool hold) = 0;
  // The run/pause/stop interface of the graph (E_NOINTERFACE when absent).
  virtual HResult query_media_control() = 0;
  virtual HResult run() = 0;  // S_OK also when already running
  virtual HResult pause() = 0;
  // Stop the whole graph; a recording in progress is finalised first.
  virtual HResult stop() = 0;
  // Finalise the recording in progress (the file is complete and closed on return) while the
  // rest of the graph, the preview, goes on running. S_OK also when nothing was being recorded.
  virtual HResult end_capture() = 0;
  // Counters of the recording that ended last.
  virtual CaptureStats capture_stats() const = 0;
  // When the first frame of the recording under way (or of the last one) was captured, in
  // nanoseconds of the monotonic clock (std::chrono::steady_clock); 0 while unknown.
  virtual std::int64_t first_frame_time_ns() const { return 0; }

  // --- Snapshots -----------------------------------------------------------------------------
  // Saves the latest camera frame at the source's own resolution as a JPEG at `utf8_path` with
  // `band_lines` (UTF-8) drawn in a band under the picture (snapshot_band); works while
  // previewing and while recording; never replaces an existing name. Runs on the owner thread
  // and holds it for about a frame's time.
  virtual SnapshotResult save_snapshot(const std::string& utf8_path, const std::vector<std::string>& band_lines) {
    (void)utf8_path;
    (void)band_lines;
    return snapshot_not_supported();
  }
  // The latest camera frame, kept for a save on any thread (SnapshotPicture); the owner thread is
  // held only for taking a reference to it.
  virtual TakenSnapshot take_snapshot() { return {nullptr, snapshot_not_supported()}; }

  // --- Events --------------------------------------------------------------------------------
  // Register the function called (on any thread) whenever an event is queued; null unregisters.
  // E_NOINTERFACE when the graph has no event source.
  virtual HResult set_notify(std::function<void()> notify) = 0;
  // Take the next queued event: S_OK with an event, S_FALSE (or a failure) when none is left.
  virtual HResult get_event(GraphEvent& event) = 0;
};

}  // namespace wellvue
