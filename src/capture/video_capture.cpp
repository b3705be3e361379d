// Construction, properties and the configuration exchange of the capture engine.
#include "capture/video_capture.h"

#include <cmath>

#include "capture/capture_error.h"

namespace wellvue {

TVideoCapture::TVideoCapture(GraphBackend& backend, Scheduler& scheduler, Prompter& prompter,
                             std::unique_ptr<CaptureFiles> files)
    : backend_(backend),
      scheduler_(scheduler),
      prompter_(prompter),
      files_(std::move(files)),
      alive_(std::make_shared<int>(0)) {
  if (!files_) files_ = std::make_unique<CaptureFiles>();
  timer_ = scheduler_.create_timer(100, [this] { Tick(); });
  timer_->set_enabled(true);
}

TVideoCapture::~TVideoCapture() {
  // Events fired from here reach handlers that may throw; nothing may leave a destructor.
  try {
    StopPreview();
    StopCapture();
    DismantleGraph();
  } catch (...) {
  }
  ReleaseGraphObjects();
  previewing_ = capturing_ = built_ = false;
  timer_->set_enabled(false);
  timer_.reset();
  ClearAllDevices();
}

void TVideoCapture::Fire(const TNotifyEvent& event) {
  if (event) event(*this);
}

void TVideoCapture::PostToOwner(std::function<void()> work) {
  std::weak_ptr<int> alive = alive_;
  scheduler_.post([alive, work = std::move(work)] {
    if (alive.lock()) work();
  });
}

void TVideoCapture::SetFrameRate(double v) { frame_rate_ = (std::isnan(v) || v < 1 || v > 50) ? 25 : v; }

void TVideoCapture::SetTempCaptureFileName(const std::string& v) {
  temp_capture_file_name_ = v;
  // The writer follows at once, but never in the middle of a recording (that file is completed
  // where it began) and never when it writes the final file rather than a temporary one.
  if (!built_ || !output_is_temp_ || capturing_) return;
  const std::string target = CurrentTempFile();
  if (target.empty() || target == output_file_) return;
  if (backend_.set_output_file_name(target) == S_OK) output_file_ = target;
}

void TVideoCapture::SetDVResolution(TDVResolution value) {
  if (capturing_) return;
  dv_resolution_ = value;
  ApplyDVResolution();
}

void TVideoCapture::ApplyDVResolution() {
  if (!backend_.has_graph() || !IsDVSource() || dv_resolution_ == dvrDontWorry) return;
  DismantleGraph();
  if (dv_decoder_) backend_.dv_set_display(dv_decoder_, DVDisplaySetting(dv_resolution_));
}

void TVideoCapture::Resize(int width, int height) {
  client_width_ = width;
  client_height_ = height;
  if (video_window_) backend_.set_video_window_position(width, height);
}

std::string TVideoCapture::CurrentTempFile() const {
  return ResolveTempFileName(temp_capture_file_name_, capture_file_name_);
}

bool TVideoCapture::InitCapture() {
  if (!EnsureFilterGraph() || !EnsureCaptureBuilder()) return false;
  backend_.set_filter_graph();
  EnumerateAllDevices(backend_);
  return !VideoDevices().empty();
}

void TVideoCapture::ApplyConfig(const TGraphConfig* config) {
  if (!config) return;
  DismantleGraph();
  ReleaseGraphObjects();
  use_temp_file_ = config->UseTempFile;
  want_bitmaps_ = config->WantBitmaps;
  do_prealloc_file_ = config->DoPreallocFile;
  want_capture_ = config->WantCapture;
  want_preview_ = config->WantPreview;
  want_dv_audio_ = config->WantDVAudio;
  want_audio_ = config->WantAudio;
  want_audio_preview_ = config->WantAudioPreview;
  prealloc_file_size_ = config->PreallocFileSize;
  SetDVResolution(config->DVResolution);
  bitmap_pixel_format_ = config->BitmapPixelFormat;
  if (!config->TempCaptureFileName.empty()) SetTempCaptureFileName(config->TempCaptureFileName);
  if (!config->CaptureFileName.empty()) SetCaptureFileName(config->CaptureFileName);

  EnumerateAllDevices(backend_);
  video_device_ = FindMonikerByName(VideoDevices(), config->VideoSourceName);
  audio_device_ = FindMonikerByName(AudioDevices(), config->AudioSourceName);
  audio_compressor_device_ = FindMonikerByName(AudioCompressors(), config->AudioCompressorName);
  video_compressor_device_ = FindMonikerByName(VideoCompressors(), config->VideoCompressorName);

  CreateSourceFilters();
  if (!config->VideoCompressorState.empty() && compressor_dialogs_)
    compressor_dialogs_->set_state(config->VideoCompressorState);
  SelectAudioMode(config->ACapMode);
  SelectVideoMode(config->VCapMode);
  if (BuildGraph() && want_preview_) StartPreview();
  Fire(OnChangeDevice);
  Fire(OnChangeCompressor);
}

std::string TVideoCapture::FindNameFor(DeviceCategory category, const DeviceRef& moniker) {
  TCapDeviceList& list = DeviceListOf(category);
  std::string name = FindNameByMoniker(list, moniker);
  if (name.empty()) {
    EnumerateCategory(backend_, category, list);
    name = FindNameByMoniker(list, moniker);
  }
  return name;
}

void TVideoCapture::FillConfig(TGraphConfig* config) {
  if (!config) return;
  config->Clear();
  config->UseTempFile = use_temp_file_;
  config->WantBitmaps = want_bitmaps_;
  config->DoPreallocFile = do_prealloc_file_;
  config->WantCapture = want_capture_;
  config->WantPreview = want_preview_;
  config->WantDVAudio = want_dv_audio_;
  config->WantAudio = want_audio_;
  config->WantAudioPreview = want_audio_preview_;
  config->PreallocFileSize = prealloc_file_size_;
  config->TempCaptureFileName = temp_capture_file_name_;
  config->CaptureFileName = capture_file_name_;
  config->DVResolution = dv_resolution_;
  config->BitmapPixelFormat = bitmap_pixel_format_;
  config->ACapMode = GetCurrentAudioMode();
  config->VCapMode = GetCurrentVideoMode();
  config->VideoCompressorState.clear();
  if (compressor_dialogs_) {
    std::string state;
    if (compressor_dialogs_->get_state(state) == S_OK) config->VideoCompressorState = state;
  }
  config->VideoSourceName = FindNameFor(DeviceCategory::VideoInput, video_device_);
  config->AudioSourceName = FindNameFor(DeviceCategory::AudioInput, audio_device_);
  config->VideoCompressorName = FindNameFor(DeviceCategory::VideoCompressor, video_compressor_device_);
  config->AudioCompressorName = FindNameFor(DeviceCategory::AudioCompressor, audio_compressor_device_);
}

}  // namespace wellvue
