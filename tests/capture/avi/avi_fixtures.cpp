#include "avi_fixtures.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace wellvue::avi::test {

namespace fs = std::filesystem;

namespace {

std::uint32_t u32(const Bytes& b, std::size_t o) {
  return static_cast<std::uint32_t>(b[o]) | (static_cast<std::uint32_t>(b[o + 1]) << 8) |
         (static_cast<std::uint32_t>(b[o + 2]) << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
}

void set_u32(Bytes& b, std::size_t o, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[o + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::size_t find(const Bytes& b, const std::string& tag, std::size_t from = 0) {
  for (std::size_t i = from; i + tag.size() <= b.size(); ++i)
    if (std::equal(tag.begin(), tag.end(), b.begin() + static_cast<std::ptrdiff_t>(i))) return i;
  return std::string::npos;
}

std::string run(const std::string& cmd) {
  std::string out;
  // A hung pipeline fails the test instead of blocking the run.
  FILE* p = popen(("timeout 120 " + cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  pclose(p);
  return out;
}

std::string video_caps() { return "video/x-raw,width=160,height=120,framerate=25/1"; }
std::string audio_caps() { return "audio/x-raw,format=S16LE,rate=8000,channels=1"; }

}  // namespace

Bytes read_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const fs::path& p, const Bytes& b) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

fs::path make_temp_dir(const std::string& name) {
  const fs::path d = fs::temp_directory_path() / ("wellvue_avi_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

bool gst_write_avi(const fs::path& p, int frames, bool audio) {
  std::string cmd = "gst-launch-1.0 -q avimux name=m ! filesink location='" + p.string() +
                    "' videotestsrc num-buffers=" + std::to_string(frames) + " ! " + video_caps() + " ! jpegenc ! m. ";
  if (audio)
    cmd += "audiotestsrc samplesperbuffer=320 num-buffers=" + std::to_string(frames) + " ! " + audio_caps() + " ! m.";
  run(cmd);
  return fs::exists(p) && fs::file_size(p) > 0;
}

namespace {

// Runs gst-launch-1.0 with args and kills it with SIGKILL once p holds min_bytes.
bool launch_and_kill(const fs::path& p, std::vector<std::string> args, std::uint64_t min_bytes) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execvp(argv[0], argv.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  bool grown = false;
  while (std::chrono::steady_clock::now() < deadline) {
    std::error_code ec;
    if (fs::file_size(p, ec) >= min_bytes && !ec) {
      grown = true;
      break;
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  return grown && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace

bool gst_record_and_kill(const fs::path& p, std::uint64_t min_bytes, bool audio) {
  std::vector<std::string> args = {"gst-launch-1.0",
                                   "-q",
                                   "avimux",
                                   "name=m",
                                   "!",
                                   "filesink",
                                   "location=" + p.string(),
                                   "videotestsrc",
                                   "is-live=true",
                                   "!",
                                   video_caps(),
                                   "!",
                                   "jpegenc",
                                   "!",
                                   "m."};
  if (audio)
    for (const std::string& a :
         {std::string("audiotestsrc"), std::string("is-live=true"), std::string("samplesperbuffer=320"),
          std::string("!"), audio_caps(), std::string("!"), std::string("m.")})
      args.push_back(a);
  return launch_and_kill(p, args, min_bytes);
}

bool gst_record_big_and_kill(const fs::path& p, std::uint64_t min_bytes) {
  return launch_and_kill(p,
                         {"gst-launch-1.0",
                          "-q",
                          "avimux",
                          "name=m",
                          "!",
                          "filesink",
                          "location=" + p.string(),
                          "videotestsrc",
                          "num-buffers=3000",
                          "pattern=black",
                          "!",
                          "video/x-raw,format=I420,width=1920,height=1080,framerate=25/1",
                          "!",
                          "m.",
                          "audiotestsrc",
                          "num-buffers=3000",
                          "samplesperbuffer=1764",
                          "!",
                          "audio/x-raw,format=S16LE,rate=44100,channels=2",
                          "!",
                          "m."},
                         min_bytes);
}

std::uint64_t unfinalise(Bytes& b) {
  const std::size_t movi = find(b, "movi") - 8;
  const std::size_t idx1 = find(b, "idx1", movi);
  const std::size_t avih = find(b, "avih") + 8;
  set_u32(b, 4, static_cast<std::uint32_t>(movi + 4));  // avimux's first header: up to the movi code
  set_u32(b, movi + 4, 4);
  set_u32(b, avih + 12, 0);
  set_u32(b, avih + 16, 0);
  for (std::size_t s = find(b, "strh"); s < movi; s = find(b, "strh", s + 4)) set_u32(b, s + 8 + 32, 0);
  const std::size_t dmlh = find(b, "dmlh");
  if (dmlh < movi) set_u32(b, dmlh + 8, 0);
  b.resize(idx1);
  return idx1;
}

std::vector<IndexEntry> index_entries(const Bytes& b) {
  std::vector<IndexEntry> out;
  const std::size_t movi = find(b, "movi");
  const std::size_t idx1 = find(b, "idx1", movi);
  if (movi == std::string::npos || idx1 == std::string::npos) return out;
  const std::size_t n = u32(b, idx1 + 4) / 16;
  for (std::size_t k = 0; k < n && idx1 + 8 + 16 * k + 16 <= b.size(); ++k) {
    const std::size_t e = idx1 + 8 + 16 * k;
    std::uint64_t off = u32(b, e + 8);
    if (u32(b, idx1 + 16) < movi) off += movi;  // movi-relative form
    out.push_back(
        {std::string(b.begin() + static_cast<std::ptrdiff_t>(e), b.begin() + static_cast<std::ptrdiff_t>(e + 4)), off,
         u32(b, e + 12)});
  }
  return out;
}

namespace {

void append_u32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void append_tag(Bytes& b, const std::string& tag) { b.insert(b.end(), tag.begin(), tag.end()); }

// A standard index chunk for the chunks of one stream, offsets from base.
void append_standard_index(Bytes& out, const std::string& stream, const std::vector<IndexEntry>& chunks,
                           std::uint64_t base, std::vector<std::uint64_t>& index_offsets) {
  if (chunks.empty()) return;
  index_offsets.push_back(out.size());
  append_tag(out, "ix" + stream);
  append_u32(out, static_cast<std::uint32_t>(24 + 8 * chunks.size()));
  append_u32(out, 0x01000002);  // 2 longs per entry, index of chunks
  append_u32(out, static_cast<std::uint32_t>(chunks.size()));
  append_tag(out, chunks.front().id);
  append_u32(out, static_cast<std::uint32_t>(base));
  append_u32(out, static_cast<std::uint32_t>(base >> 32));
  append_u32(out, 0);
  for (const IndexEntry& c : chunks) {
    append_u32(out, static_cast<std::uint32_t>(c.offset + 8 - base));
    append_u32(out, c.size);
  }
}

}  // namespace

Segmented make_segmented(const Bytes& finalised, const std::vector<std::size_t>& split) {
  const std::vector<IndexEntry> idx = index_entries(finalised);
  Segmented s;
  Bytes crashed = finalised;
  const std::size_t movi_code = find(crashed, "movi");
  unfinalise(crashed);
  s.bytes.assign(crashed.begin(), crashed.begin() + static_cast<std::ptrdiff_t>(movi_code + 4));
  s.segment_offsets.push_back(0);

  std::size_t next = 0;
  for (std::size_t seg = 0; seg <= split.size(); ++seg) {
    const bool open = seg == split.size();
    const std::size_t count = open ? idx.size() - next : std::min(split[seg], idx.size() - next);
    const std::uint64_t riff = s.segment_offsets.back();
    const std::uint64_t movi = seg == 0 ? movi_code - 8 : riff + 12;
    std::vector<IndexEntry> moved;  // at their new offsets
    for (std::size_t k = next; k < next + count; ++k) {
      const IndexEntry& e = idx[k];
      moved.push_back({e.id, s.bytes.size(), e.size});
      s.chunks.push_back(moved.back());
      const auto from = finalised.begin() + static_cast<std::ptrdiff_t>(e.offset);
      s.bytes.insert(s.bytes.end(), from, from + static_cast<std::ptrdiff_t>(8 + e.size + (e.size & 1)));
      if (e.id.compare(0, 2, "00") == 0) {
        ++s.video_frames;
        if (seg == 0) ++s.video_in_first;
      }
    }
    next += count;
    s.data_ends.push_back(moved.empty() ? movi + 12 : moved.back().offset + 8 + moved.back().size);
    if (open) break;
    for (const std::string stream : {"00", "01"}) {
      std::vector<IndexEntry> part;
      for (const IndexEntry& e : moved)
        if (e.id.compare(0, 2, stream) == 0) part.push_back(e);
      append_standard_index(s.bytes, stream, part, riff, s.index_offsets);
    }
    if (seg == 0) {
      s.idx1_offset = s.bytes.size();
      append_tag(s.bytes, "idx1");
      append_u32(s.bytes, static_cast<std::uint32_t>(16 * moved.size()));
      for (const IndexEntry& e : moved) {
        append_tag(s.bytes, e.id);
        append_u32(s.bytes, 0x10);
        append_u32(s.bytes, static_cast<std::uint32_t>(e.offset - (movi + 8)));
        append_u32(s.bytes, e.size);
      }
    } else {
      // The muxer sizes a segment when it closes it.
      set_u32(s.bytes, riff + 4, static_cast<std::uint32_t>(s.bytes.size() - riff - 8));
      set_u32(s.bytes, movi + 4, static_cast<std::uint32_t>(s.bytes.size() - movi - 8));
    }
    s.segment_offsets.push_back(s.bytes.size());
    append_tag(s.bytes, "RIFF");
    append_u32(s.bytes, 12);
    append_tag(s.bytes, "AVIXLIST");
    append_u32(s.bytes, 0);
    append_tag(s.bytes, "movi");
  }
  return s;
}

Readback gst_read_back(const fs::path& p, bool audio, const std::string& decoder) {
  // Its messages are read below: in English whatever the desktop's language ("Got EOS").
  std::string cmd = "env LC_ALL=C gst-launch-1.0 -v filesrc location='" + p.string() +
                    "' ! avidemux name=d d.video_0 ! queue ! " +
                    decoder + " ! fakesink silent=false";
  if (audio) cmd += " d.audio_0 ! queue ! fakesink";
  const std::string out = run(cmd);
  Readback r;
  r.ok = out.find("Got EOS") != std::string::npos && out.find("ERROR") == std::string::npos;
  std::size_t pos = 0;
  while ((pos = out.find("fakesink0: last-message = chain", pos)) != std::string::npos) {
    ++r.frames;
    ++pos;
  }
  // The demuxer's segment event carries the duration it found in the headers.
  for (std::size_t at = out.find("fakesink0: last-message = event"); at != std::string::npos;
       at = out.find("fakesink0: last-message = event", at + 1)) {
    const std::size_t eol = out.find('\n', at);
    const std::string line = out.substr(at, eol == std::string::npos ? std::string::npos : eol - at);
    const std::string key = "duration=(guint64)";
    const std::size_t d = line.find(key);
    if (line.find("type: segment") == std::string::npos || d == std::string::npos) continue;
    r.duration_ns = std::stoull(line.substr(d + key.size()));
    break;
  }
  return r;
}

int ffmpeg_frames(const fs::path& p) {
  const std::string cmd =
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames "
      "-of csv=p=0 '" +
      p.string() + "' 2>/dev/null";
  std::FILE* f = ::popen(cmd.c_str(), "r");
  if (!f) return -1;
  int n = -1;
  if (std::fscanf(f, "%d", &n) != 1) n = -1;
  ::pclose(f);
  return n;
}

SmallDisk::SmallDisk(int megabytes) {
  static int made = 0;
  path_ = make_temp_dir("disk" + std::to_string(++made));
  const std::string options = "size=" + std::to_string(megabytes) + "m";
  mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace wellvue::avi::test
