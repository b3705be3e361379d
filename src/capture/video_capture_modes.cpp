// The video and audio capture formats of the engine's sources: listing, current, choosing.
#include "capture/video_capture.h"

namespace wellvue {

int TVideoCapture::VideoModeCount() {
  if (IsDVSource()) return 4;
  int count = 0;
  if (!video_stream_config_ || failed(video_stream_config_->get_number_of_capabilities(count))) return 0;
  return count < 0 ? 0 : count;
}

TVCapMode TVideoCapture::GetVideoMode(int index) {
  if (IsDVSource()) {
    if (index >= 0 && index <= 3) return DVResolutionMode(static_cast<TDVResolution>(dvrFull + index));
    return TVCapMode{};
  }
  if (index < 0 || index >= VideoModeCount()) return TVCapMode{};
  MediaFormat mt;
  VideoCapability capability;
  if (video_stream_config_->get_stream_caps(index, mt, capability) != S_OK) return TVCapMode{};
  return VideoModeFromMediaType(mt, &capability);
}

TVCapMode TVideoCapture::GetCurrentVideoMode() {
  if (!IsDVSource()) {
    MediaFormat mt;
    if (video_stream_config_ && video_stream_config_->get_format(mt) == S_OK)
      return VideoModeFromMediaType(mt, nullptr);
    return TVCapMode{};
  }
  int display = 0;
  if (backend_.has_graph() && dv_decoder_ && succeeded(backend_.dv_get_display(dv_decoder_, display)) &&
      display >= 1000 && display <= 1003)
    return DVResolutionMode(static_cast<TDVResolution>(dvrFull + (display - 1000)));
  return TVCapMode{};
}

int TVideoCapture::CurrentVideoModeIndex() {
  const TVCapMode current = GetCurrentVideoMode();
  const int count = VideoModeCount();
  for (int i = 0; i < count; ++i)
    if (SameVideoMode(GetVideoMode(i), current)) return i;
  return -1;
}

bool TVideoCapture::SetVideoMode(int index) {
  if (capturing_) return false;
  DismantleGraph();
  if (IsDVSource()) {
    if (index >= 0 && index <= 3) dv_resolution_ = static_cast<TDVResolution>(dvrFull + index);
    return false;
  }
  bool result = false;
  if (index >= 0 && index < VideoModeCount()) {
    MediaFormat mt;
    VideoCapability capability;
    if (video_stream_config_->get_stream_caps(index, mt, capability) == S_OK)
      result = video_stream_config_->set_format(mt) == S_OK;
  }
  if (result) Fire(OnChangeVCapMode);
  return result;
}

bool TVideoCapture::SelectVideoMode(const TVCapMode& mode) {
  if (SameVideoMode(GetCurrentVideoMode(), mode)) return true;
  const int count = VideoModeCount();
  for (int i = 0; i < count; ++i)
    if (SameVideoMode(GetVideoMode(i), mode)) return SetVideoMode(i);
  return false;
}

int TVideoCapture::AudioModeCount() {
  int count = 0;
  if (!audio_stream_config_ || failed(audio_stream_config_->get_number_of_capabilities(count))) return 0;
  return count < 0 ? 0 : count;
}

TACapMode TVideoCapture::GetAudioMode(int index) {
  if (index < 0 || index >= AudioModeCount()) return TACapMode{};
  MediaFormat mt;
  VideoCapability unused;
  if (audio_stream_config_->get_stream_caps(index, mt, unused) != S_OK) return TACapMode{};
  return AudioModeFromMediaType(mt);
}

TACapMode TVideoCapture::GetCurrentAudioMode() {
  MediaFormat mt;
  if (audio_stream_config_ && audio_stream_config_->get_format(mt) == S_OK) return AudioModeFromMediaType(mt);
  return TACapMode{};
}

bool TVideoCapture::SetAudioMode(int index) {
  if (capturing_) return false;
  const bool was_previewing = previewing_;
  bool result = false;
  if (index >= 0 && index < AudioModeCount()) {
    MediaFormat mt;
    VideoCapability unused;
    if (audio_stream_config_->get_stream_caps(index, mt, unused) == S_OK) {
      StopPreview();
      result = audio_stream_config_->set_format(mt) == S_OK;
    }
  }
  if (was_previewing) StartPreview();
  if (result) Fire(OnChangeACapMode);
  return result;
}

bool TVideoCapture::SelectAudioMode(const TACapMode& mode) {
  if (SameAudioMode(GetCurrentAudioMode(), mode)) return true;
  const int count = AudioModeCount();
  for (int i = 0; i < count; ++i)
    if (SameAudioMode(GetAudioMode(i), mode)) return SetAudioMode(i);
  return false;
}

}  // namespace wellvue
