#include "recording_rig.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "capture/cap_devices.h"
#include "capture/gst/gst_runtime.h"
#include "capture/gst/test_pattern_device.h"
#include "recording/recording_texts.h"

namespace wellvue::test {

namespace {

constexpr const char* kJpegEncoder = "JPEG image encoder";

}  // namespace

Rig::Rig(const std::filesystem::path& folder_path, RigOptions options) : folder(folder_path) {
  gst::ensure_gstreamer();
  gst::register_test_pattern_device();
  std::filesystem::create_directories(folder);
  engine = std::make_unique<TVideoCapture>(backend, loop, prompter, std::move(options.files));
  engine->InitCapture();
  // As the main window sets its engine up.
  engine->SetWantAudio(false);
  engine->SetUseTempFile(true);
  engine->SetTempCaptureFileName("captemp.avi");
  engine->SetCaptureFileName((folder / "capture.avi").string());
  config.VideoSourceName = gst::kTestPatternName;
  const auto compressors = GetVideoCompressorNames(backend, false);
  if (std::find(compressors.begin(), compressors.end(), kJpegEncoder) != compressors.end())
    config.VideoCompressorName = kJpegEncoder;
  if (!options.compressor.empty()) config.VideoCompressorName = options.compressor;
  config.WantCapture = true;
  config.WantPreview = true;
  config.WantBitmaps = false;
  config.WantAudio = false;
  config.UseTempFile = true;
  config.TempCaptureFileName = "captemp.avi";
  config.CaptureFileName = (folder / "capture.avi").string();
  engine->ApplyConfig(&config);

  sim_.period_ms = 100;
  if (!options.lines.empty()) {
    sim_.use_lines = true;
    sim_.lines = options.lines;
  }
  run_board(board);

  link = std::make_unique<EncoderLink>(port, clock, prompter, view,
                                       [this](std::function<void()> work) { loop.post(std::move(work)); });
  link->fields().ComboBox1_port_com = board.slave_path();
  if (options.by_link_name) {
    link_dir_ = std::make_unique<TempDir>();
    point_link_to(board);
    link->fields().ComboBox1_port_com = link_name();
  }
  link->Button1Click();
  host = std::make_unique<TestHost>(*link, view, folder.string());
  workflow = std::make_unique<RecordingWorkflow>(*engine, &config, *link, prompter, clock, *host, options.recording);
  engine->OnCaptureProgress = [this](TVideoCapture&) { workflow->capCaptureProgress(); };
}

Rig::~Rig() {
  engine->OnCaptureProgress = nullptr;
  workflow.reset();
  link->close_without_pause();
  unplug_board();
  link.reset();
  engine.reset();
}

bool Rig::run_until(const std::function<bool()>& done, int timeout_ms) {
  return loop.run_until(done, std::chrono::milliseconds(timeout_ms));
}

void Rig::run_for(int ms) { loop.run_for(std::chrono::milliseconds(ms)); }

bool Rig::start(bool zero, bool confirm, bool overwrite) {
  const std::string avi = recording_name(host->folder, host->prefix_text, host->date, clock.local_now());
  if (std::filesystem::exists(avi)) {
    prompter.add_answer(overwrite);
    if (!overwrite) return workflow->btStartClick();
  }
  prompter.add_answer(zero);
  prompter.add_answer(confirm);
  return workflow->btStartClick();
}

bool Rig::record_entries(int entries) {
  // Polls queued while the start held the loop come all at once: the video must run too.
  return run_until([&] { return entries_in(link->track()) >= entries && engine->CaptureTime() >= 2500; }, 60000);
}

void Rig::run_board(SimBoard& b) {
  stop_board_ = false;
  board_thread_ = std::thread([this, &b] { b.run(sim_, stop_board_); });
}

void Rig::unplug_board() {
  // The board's thread ends before its terminal closes: the terminal is its to write to.
  stop_board_ = true;
  if (board_thread_.joinable()) board_thread_.join();
  board.unplug();
  for (auto& b : boards_plugged_later_) b->unplug();
}

void Rig::plug_in_new_board() {
  unplug_board();
  boards_plugged_later_.push_back(std::make_unique<SimBoard>());
  SimBoard& fresh = *boards_plugged_later_.back();
  if (link_dir_) point_link_to(fresh);
  run_board(fresh);
}

std::string Rig::link_name() const { return link_dir_ ? (link_dir_->path() / "encoder").string() : std::string(); }

void Rig::point_link_to(const SimBoard& b) {
  const std::filesystem::path fresh = link_dir_->path() / "encoder.new";
  std::filesystem::create_symlink(b.slave_path(), fresh);
  std::filesystem::rename(fresh, link_name());  // at once, as udev replaces a link
}

int entries_in(const std::deque<std::string>& track) {
  int n = 0;
  bool in_entry = false;
  for (const auto& l : track) {
    if (!in_entry && !l.empty()) in_entry = true;
    if (in_entry && l.empty()) {
      ++n;
      in_entry = false;
    }
  }
  return n;
}

namespace {

// Pulls every sample of the appsink named "s" until the end of the stream.
template <class OnSample>
std::string run_to_end(const std::string& description, OnSample on_sample) {
  GError* err = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &err);
  if (!pipeline) {
    std::string why = err ? err->message : "no pipeline";
    if (err) g_error_free(err);
    return why;
  }
  if (err) g_error_free(err);
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "s");
  std::string error;
  if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) error = "cannot play";
  while (error.empty()) {
    GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND);
    if (!sample) {
      if (!gst_app_sink_is_eos(GST_APP_SINK(sink))) error = "no end of stream";
      break;
    }
    on_sample(gst_sample_get_buffer(sample));
    gst_sample_unref(sample);
  }
  GstBus* bus = gst_element_get_bus(pipeline);
  if (GstMessage* m = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
    GError* e = nullptr;
    gst_message_parse_error(m, &e, nullptr);
    error = e ? e->message : "error";
    if (e) g_error_free(e);
    gst_message_unref(m);
  }
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(sink);
  gst_object_unref(pipeline);
  return error;
}

std::string quoted(const std::string& path) {
  std::string q = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

}  // namespace

PlayedVideo play_avi(const std::string& path) {
  gst::ensure_gstreamer();
  PlayedVideo v;
  v.error = run_to_end(
      "filesrc location=" + quoted(path) + " ! avidemux ! decodebin ! videoconvert ! appsink name=s sync=false",
      [&](GstBuffer* b) {
        ++v.frames;
        if (GST_BUFFER_PTS_IS_VALID(b)) {
          const GstClockTime end = GST_BUFFER_PTS(b) + (GST_BUFFER_DURATION_IS_VALID(b) ? GST_BUFFER_DURATION(b) : 0);
          v.duration_s = std::max(v.duration_s, static_cast<double>(end) / GST_SECOND);
        }
      });
  v.ok = v.error.empty() && v.frames > 0;
  return v;
}

std::vector<ParsedSubtitle> parse_srt(const std::string& path, std::string* error) {
  gst::ensure_gstreamer();
  std::vector<ParsedSubtitle> out;
  const std::string e = run_to_end(
      "filesrc location=" + quoted(path) + " ! subparse subtitle-encoding=WINDOWS-1252 ! appsink name=s sync=false",
      [&](GstBuffer* b) {
        ParsedSubtitle s;
        s.start_s = static_cast<double>(GST_BUFFER_PTS(b)) / GST_SECOND;
        s.end_s = s.start_s + static_cast<double>(GST_BUFFER_DURATION(b)) / GST_SECOND;
        GstMapInfo map;
        if (gst_buffer_map(b, &map, GST_MAP_READ)) {
          s.text.assign(reinterpret_cast<const char*>(map.data), map.size);
          gst_buffer_unmap(b, &map);
        }
        out.push_back(s);
      });
  if (error) *error = e;
  return out;
}

std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace wellvue::test
