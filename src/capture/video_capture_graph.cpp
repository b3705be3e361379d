// Making, assembling and taking apart the capture graph: source elements, the preview and file
// branches in their fixed order and names, the frame tap, the frame rate.
#include <cmath>

#include "capture/capture_error.h"
#include "capture/video_capture.h"

namespace wellvue {

bool TVideoCapture::EnsureFilterGraph() { return succeeded(backend_.create_graph()) && backend_.has_graph(); }

bool TVideoCapture::EnsureCaptureBuilder() { return succeeded(backend_.create_builder()) && backend_.has_builder(); }

void TVideoCapture::ReleaseGraphObjects() {
  video_capture_.reset();
  audio_capture_.reset();
  video_compressor_.reset();
  audio_compressor_.reset();
  dv_splitter_.reset();
  dv_decoder_.reset();
  video_stream_config_.reset();
  audio_stream_config_.reset();
  compressor_dialogs_.reset();
  grabber_.reset();
  mux_.reset();
  if (event_source_) backend_.set_notify(nullptr);
  event_source_ = false;
  if (video_window_) backend_.detach_video_window();
  video_window_ = false;
  built_ = false;
  backend_.release_graph();
  backend_.release_builder();
}

bool TVideoCapture::IsDVSource() {
  if (!video_stream_config_) return false;
  MediaFormat mt;
  return succeeded(video_stream_config_->get_format(mt)) && mt.major_type == guids::MEDIATYPE_Interleaved;
}

bool TVideoCapture::CreateSourceFilters() {
  ReleaseGraphObjects();
  if (!EnsureCaptureBuilder()) {
    Warn("Can't init graph builder. Probably DirectShow is not installed!");
    return false;
  }
  dv_splitter_.reset();
  dv_decoder_.reset();
  try {
    HResult hr = S_OK;
    if (video_device_) {
      hr = backend_.bind_device(video_device_, video_capture_);
      if (failed(hr)) video_capture_.reset();
    }
    if (!video_capture_)
      Fail("Error %x.\r\nCan't create video capture filter - propably you havn't video capture device!", hr);
    if (!EnsureFilterGraph()) Fail("Can't init graph. Probably DirectShow is not installed!");
    if (backend_.set_filter_graph() != S_OK) Fail("Can't set filter graph!");
    hr = backend_.add_filter(video_capture_, "");
    if (hr != S_OK) Fail("Error %x: Can't add video capture filter into graph!", hr);

    StreamConfigRef config;
    hr = backend_.find_stream_config(video_capture_, true, guids::MEDIATYPE_Interleaved, config);
    if (hr != S_OK) hr = backend_.find_stream_config(video_capture_, true, guids::MEDIATYPE_Video, config);
    if (hr == S_OK && config) {
      video_stream_config_ = config;
    } else {
      Warn("Error %x: Can't find VCapture:IAMStreamConfig!", hr);
    }

    if (IsDVSource()) {
      dv_decoder_ = backend_.find_filter_by_name("MyDVDecoder");
      if (!dv_decoder_ && (failed(backend_.create_filter(FilterKind::DVDecoder, dv_decoder_)) || !dv_decoder_)) {
        dv_decoder_.reset();
        Fail("Can't add DV Decoder");
      }
      if (want_audio_ && want_dv_audio_) {
        dv_splitter_ = backend_.find_filter_by_name("MyDVSplitter");
        if (!dv_splitter_ && (failed(backend_.create_filter(FilterKind::DVSplitter, dv_splitter_)) || !dv_splitter_)) {
          dv_splitter_.reset();
          Fail("Can't add DV Splitter");
        }
      }
    }

    if (want_capture_ && video_capture_ && video_compressor_device_) {
      FilterRef compressor;
      if (backend_.bind_device(video_compressor_device_, compressor) == S_OK && compressor) {
        video_compressor_ = compressor;
        CompressorDialogsRef dialogs;
        if (backend_.find_compressor_dialogs(compressor, dialogs) == S_OK) compressor_dialogs_ = dialogs;
      }
    }

    if (want_audio_) {
      FilterRef format_source;
      if (dv_splitter_) {
        format_source = dv_splitter_;
      } else {
        if (audio_device_) {
          FilterRef audio;
          hr = backend_.bind_device(audio_device_, audio);
          if (succeeded(hr) && audio) {
            audio_capture_ = audio;
            hr = backend_.add_filter(audio_capture_, "");
            if (hr != S_OK) Fail("Error %x: Can't add audio capture filter into graph!", hr);
          } else {
            Warn("Can't create audio capture filter!");
          }
        }
        format_source = audio_capture_;
      }
      if (audio_capture_ || (want_audio_ && want_dv_audio_)) {
        if (want_capture_ && audio_compressor_device_) {
          FilterRef compressor;
          if (backend_.bind_device(audio_compressor_device_, compressor) == S_OK && compressor) {
            audio_compressor_ = compressor;
            format_source = compressor;
          }
        }
        StreamConfigRef audio_config;
        hr = format_source ? backend_.find_stream_config(format_source, false, guids::MEDIATYPE_Audio, audio_config)
                           : E_POINTER;
        if (hr == S_OK && audio_config) audio_stream_config_ = audio_config;
        else if (!(IsDVSource() && format_source && format_source == dv_splitter_))
          Warn("Can't find ACapture:IAMStreamConfig!");
      }
    }
    return true;
  } catch (const EVideoCaptureError&) {
    ReleaseGraphObjects();
    return false;
  }
}

bool TVideoCapture::PreallocateFile(std::uint32_t megabytes) {
  if (!EnsureCaptureBuilder()) return false;
  // 64-bit: sizes of 4096 MB and more are real sizes, not a wrapped-around small number.
  const std::uint64_t bytes = static_cast<std::uint64_t>(megabytes) * 1048576u;
  return files_->preallocate(output_file_, bytes);
}

bool TVideoCapture::BuildGraph() {
  if (!backend_.has_graph()) return false;
  if (built_) return true;
  if (!video_capture_ || (want_audio_ && !audio_capture_ && !(IsDVSource() && want_dv_audio_))) return false;

  if (want_capture_) {
    const bool temp = use_temp_file_;
    std::string out = temp ? CurrentTempFile() : capture_file_name_;
    if (out.empty()) {
      Warn("Capture filename required!");
      return false;
    }
    if (kept_recordings_.count(out)) {
      Report(ReportKind::Warning, kNotOverAKeptRecording, S_OK, out);
      return false;
    }
    // Never through a link nor over what is not a plain file: a temporary file takes a fresh
    // name beside it, a final name is refused.
    if (files_->entry_kind(out) == EntryKind::Other) {
      if (!temp) {
        Report(ReportKind::Warning, kNotAPlainFile, S_OK, out);
        return false;
      }
      out = UniqueSibling(out);
      if (out.empty()) {
        Report(ReportKind::Warning, kNotAPlainFile, S_OK, CurrentTempFile());
        return false;
      }
    }
    files_->remove(out);
    output_file_ = out;
    output_is_temp_ = temp;
    if (do_prealloc_file_ && !PreallocateFile(prealloc_file_size_)) {
      Warn("Can't allocate space for capture file! Disk full?");
      return false;
    }
  }

  try {
    FilterRef video_source = video_capture_;
    FilterRef audio_source = audio_capture_;
    if (IsDVSource()) {
      if (dv_decoder_) backend_.add_filter(dv_decoder_, "MyDVDecoder");
      if (dv_splitter_) backend_.add_filter(dv_splitter_, "MyDVSplitter");
      if (!dv_decoder_ ||
          backend_.render_stream(guids::MEDIATYPE_Interleaved, video_capture_, dv_splitter_, dv_decoder_) != S_OK)
        Fail("Can't render video capture stream!");
      ApplyDVResolution();
      video_source = dv_decoder_;
      if (want_audio_ && want_dv_audio_) audio_source = dv_splitter_;
    }

    FilterRef smart_tee;
    if (failed(backend_.create_filter(FilterKind::SmartTee, smart_tee)) || !smart_tee ||
        backend_.add_filter(smart_tee, "MySmartTee") != S_OK ||
        backend_.render_stream(guids::MEDIATYPE_Video, video_source, nullptr, smart_tee) != S_OK)
      Fail("Can't add SmartTee");

    if (audio_source && want_audio_preview_) {
      FilterRef inf_tee;
      if (failed(backend_.create_filter(FilterKind::InfTee, inf_tee)) || !inf_tee ||
          backend_.add_filter(inf_tee, "MyInfTee") != S_OK ||
          backend_.render_stream(guids::MEDIATYPE_Audio, audio_source, nullptr, inf_tee) != S_OK)
        Fail("Can't add InfiniteTee");
      audio_source = inf_tee;
    }

    if (want_preview_ && want_audio_preview_ && audio_source &&
        failed(backend_.render_stream(guids::MEDIATYPE_Audio, audio_source, nullptr, nullptr)))
      Fail("Can't render audio preview stream!");

    if (want_capture_) {
      FilterRef mux;
      if (backend_.set_output_file(output_file_, mux) != S_OK) Fail("Can't set capture file!");
      mux_ = mux;
      if (audio_source) {
        const HResult hr = backend_.set_master_stream(master_stream_);
        if (hr != E_NOINTERFACE && hr != S_OK) Warn("SetMasterStream failed!");
      }
      if (video_compressor_) backend_.add_filter(video_compressor_, "MyVideoCompressor");
      if (backend_.render_stream(guids::MEDIATYPE_Video, smart_tee, video_compressor_, mux_) != S_OK)
        Fail("Can't render video capture stream!");
      if (audio_source) {
        if (audio_compressor_) backend_.add_filter(audio_compressor_, "MyAudioCompressor");
        if (failed(backend_.render_stream(guids::MEDIATYPE_Audio, audio_source, audio_compressor_, mux_)))
          Fail("Can't render audio capture stream!");
      }
    }

    if (want_preview_ && !RenderPreviewBranch(smart_tee)) Fail("Can't render preview stream!");
    if (!AttachVideoWindow() && want_preview_) Warn("This graph cannot preview!");
    ApplyFrameRate();

    std::weak_ptr<int> alive = alive_;
    event_source_ = backend_.set_notify([this, alive] {
      // Any thread: only bring the handling to the owner thread.
      scheduler_.post([this, alive] {
        if (alive.lock()) HandleGraphEvents();
      });
    }) == S_OK;
  } catch (const EVideoCaptureError&) {
    DismantleGraph();
    return false;
  }
  built_ = true;
  return true;
}

bool TVideoCapture::RenderPreviewBranch(const FilterRef& smart_tee) {
  FilterRef upstream = smart_tee;
  if (want_bitmaps_) {
    FilterRef grabber = backend_.find_filter_by_name("MyBitmapGrabber");
    if (!grabber) {
      FilterRef made;
      if (succeeded(backend_.create_filter(FilterKind::SampleGrabber, made)) && made &&
          backend_.add_filter(made, "MyBitmapGrabber") == S_OK)
        grabber = made;
    }
    if (grabber) {
      if (bitmap_pixel_format_ != pfDevice)
        backend_.grabber_set_media_type(grabber, PixelFormatSubtype(bitmap_pixel_format_));
      if (backend_.render_stream(guids::MEDIATYPE_Video, upstream, nullptr, grabber) == S_OK) {
        std::weak_ptr<int> alive = alive_;
        backend_.grabber_set_callback(grabber, [this, alive] {
          // Streaming thread: post, never touch the engine here.
          scheduler_.post([this, alive] {
            if (alive.lock()) Fire(OnFrameRendered);
          });
        });
        grabber_ = grabber;
        upstream = grabber;
      } else {
        Warn("Can't install SampleGrabber. Probably wrong color depth used?");
      }
    }
  }
  return succeeded(backend_.render_stream(guids::MEDIATYPE_Video, upstream, nullptr, nullptr));
}

bool TVideoCapture::AttachVideoWindow() {
  video_window_ = surface_ && backend_.attach_video_window(surface_, client_width_, client_height_) == S_OK;
  return video_window_;
}

void TVideoCapture::ApplyFrameRate() {
  HResult code = use_frame_rate_ ? E_FAIL : S_OK;
  // A rate never written (0) would divide by zero: the format is left alone and the warning says so.
  if (video_stream_config_ && use_frame_rate_ && frame_rate_ > 0) {
    MediaFormat mt;
    if (succeeded(video_stream_config_->get_format(mt)) && mt.format_type == guids::FORMAT_VideoInfo) {
      mt.avg_time_per_frame = std::llrint(10000000.0 / frame_rate_);  // ties to even
      code = video_stream_config_->set_format(mt);
      if (code != S_OK) Warn("%x: can't set preview frame rate!", code);
    }
  }
  if (code != S_OK) Warn("Cannot set frame rate for capture!");
}

void TVideoCapture::RemoveDownstream(const FilterRef& filter) { backend_.remove_downstream(filter); }

bool TVideoCapture::DeletableTempFile(const std::string& path) const {
  return !path.empty() && !kept_recordings_.count(path) && path != capture_file_name_ && path != last_final_;
}

void TVideoCapture::DismantleGraph() {
  if (!built_) return;
  if (capturing_) StopCapture();
  if (previewing_) StopPreview();
  if (video_window_) backend_.detach_video_window();
  video_window_ = false;
  mux_.reset();
  grabber_.reset();
  if (event_source_) backend_.set_notify(nullptr);
  event_source_ = false;
  if (video_capture_) RemoveDownstream(video_capture_);
  if (audio_capture_) RemoveDownstream(audio_capture_);
  built_ = false;
  if (want_capture_) {
    // The temporary file goes, but never a recording kept or saved under that name.
    // Only plain files: a link or anything else under the name is not ours.
    const std::string temp = CurrentTempFile();
    if (DeletableTempFile(temp) && files_->entry_kind(temp) == EntryKind::PlainFile) files_->remove(temp);
    if (output_is_temp_ && output_file_ != temp && DeletableTempFile(output_file_) &&
        files_->entry_kind(output_file_) == EntryKind::PlainFile)
      files_->remove(output_file_);
  }
}

}  // namespace wellvue
