#include "capture/avi/avi_repair.h"

#include "capture/avi/avi_info.h"
#include "capture/avi/byte_source.h"
#include "capture/avi/keyframe.h"
#include "capture/avi/movi_walk.h"
#include "capture/avi/riff.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace wellvue::avi {

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kMaxRiff = 0xFFFFFFFFull;

std::string number(std::uint64_t n) { return std::to_string(n); }

std::string seconds_text(double s)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", s);
    std::string t = buf;
    std::replace(t.begin(), t.end(), '.', ',');
    return t;
}

RepairResult failed(std::string reason)
{
    RepairResult r;
    r.status = RepairStatus::Failed;
    r.message = "R\xE9paration impossible, fichier laiss\xE9 tel quel : " + reason;
    return r;
}

struct Patch {
    std::uint64_t offset;
    std::uint32_t value;
};

bool all_zero(ByteSource& src, std::uint64_t from, std::uint64_t to)
{
    std::vector<std::uint8_t> buf(64 * 1024);
    while (from < to) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), to - from));
        if (!src.read(from, buf.data(), n)) return false;
        if (std::any_of(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n), [](std::uint8_t b) { return b != 0; }))
            return false;
        from += n;
    }
    return true;
}

bool read_bytes(ByteSource& src, std::uint64_t from, std::uint64_t to, std::vector<std::uint8_t>& out)
{
    out.resize(static_cast<std::size_t>(to - from));
    return src.read(from, out.data(), out.size());
}

// Builds the idx1 chunk (header and entries) for the data chunks of the first movi list.
bool build_idx1(ByteSource& src, const AviInfo& info, std::vector<std::uint8_t>& idx1)
{
    const std::uint64_t movi_base = info.movi_list_offset + 8;  // offsets count from the "movi" code
    idx1.assign(8, 0);
    const char tag[4] = {'i', 'd', 'x', '1'};
    std::copy(tag, tag + 4, idx1.begin());
    std::vector<std::uint8_t> probe;
    bool ok = true;
    walk_movi(src, info.movi_list_offset + 12, static_cast<int>(info.streams.size()), [&](const MoviChunk& c) {
        const AviStream& s = info.streams[static_cast<std::size_t>(c.stream)];
        const std::size_t want = std::min<std::size_t>(keyframe_probe_size(s), c.size);
        probe.resize(want);
        if (want != 0 && !src.read(c.offset + 8, probe.data(), want)) ok = false;
        std::uint8_t e[16];
        std::copy(c.id.begin(), c.id.end(), e);
        put_u32(e + 4, is_keyframe(s, probe.data(), probe.size(), c.size) ? kAviifKeyframe : 0);
        put_u32(e + 8, static_cast<std::uint32_t>(c.offset - movi_base));
        put_u32(e + 12, c.size);
        idx1.insert(idx1.end(), e, e + 16);
    });
    put_u32(idx1.data() + 4, static_cast<std::uint32_t>(idx1.size() - 8));
    return ok;
}

class Restorer {
public:
    Restorer(std::string path, std::uint64_t size) : path_(std::move(path)), size_(size) {}
    void keep(std::uint64_t offset, std::vector<std::uint8_t> bytes) { saved_.push_back({offset, std::move(bytes)}); }
    // Puts the saved bytes back and the original length: used when a write fails half-way.
    void restore() const
    {
        std::error_code ec;
        std::filesystem::resize_file(path_, size_, ec);
        std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
        for (const auto& [offset, bytes] : saved_) {
            f.seekp(static_cast<std::streamoff>(offset));
            f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
    }

private:
    struct Saved {
        std::uint64_t offset;
        std::vector<std::uint8_t> bytes;
    };
    std::string path_;
    std::uint64_t size_;
    std::vector<Saved> saved_;
};

}  // namespace

RepairResult repair_avi(const std::string& path)
{
    std::vector<std::uint8_t> idx1;
    std::vector<Patch> patches;
    AviInfo info;
    std::uint64_t cut = 0;
    std::uint64_t new_size = 0;
    Restorer restorer(path, 0);
    {
        FileSource src(path);
        if (!src.is_open()) return failed("fichier introuvable ou illisible");
        AviReadResult read = read_avi(src);
        if (!read.info) return failed(read.error);
        info = *read.info;

        if (info.video_chunks() == 0 && (info.video_stream >= 0 || info.chunks_in_first_segment == 0)) {
            RepairResult r;
            r.status = RepairStatus::Empty;
            r.message = "Enregistrement vide : aucune image dans le fichier";
            return r;
        }
        if (info.finalised) {
            RepairResult r;
            r.status = RepairStatus::AlreadyFinalised;
            r.message = "Fichier d\xE9j\xE0 finalis\xE9 : " + number(info.declared_video_frames()) + " images";
            r.frames = info.video_chunks();
            r.duration_seconds = info.video_duration_seconds();
            return r;
        }
        if (info.riff_segments > 1)
            return failed("fichier AVI \xE9tendu (OpenDML, plusieurs segments RIFF), non pris en charge");

        // What may be cut after the last complete chunk: one partial chunk, a stale index, or
        // zeros (preallocated or never written space). More than that means data we cannot read.
        cut = info.movi_data_end;
        const std::uint64_t tail = info.file_size - cut;
        std::uint64_t largest = 0;
        for (const AviStream& s : info.streams) largest = std::max<std::uint64_t>(largest, s.largest_chunk);
        std::uint64_t allowed = 2 * largest + kMiB;
        if (info.has_idx1) allowed += 8 + 16 * static_cast<std::uint64_t>(info.idx1_entries);
        if (tail > allowed && !all_zero(src, cut, info.file_size))
            return failed("donn\xE9" "es illisibles \xE0 l'octet " + number(cut) + ", suivies de " + number(tail) +
                          " octets");

        if (!build_idx1(src, info, idx1)) return failed("lecture des donn\xE9" "es impossible");
        const std::uint64_t idx1_pos = padded(cut);
        new_size = idx1_pos + idx1.size();
        if (new_size - 8 > kMaxRiff) return failed("fichier trop grand pour un index AVI");
        if (idx1_pos != cut) idx1.insert(idx1.begin(), 0);  // pad byte after an odd last chunk

        const std::uint64_t video = info.video_chunks();
        patches.push_back({4, static_cast<std::uint32_t>(new_size - 8)});
        patches.push_back({info.movi_list_offset + 4, static_cast<std::uint32_t>(idx1_pos - info.movi_list_offset - 8)});
        patches.push_back({info.avih_offset + 12, info.avih_flags | kAvifHasIndex});
        patches.push_back({info.avih_offset + 16, static_cast<std::uint32_t>(video)});
        if (info.suggested_buffer_size == 0)
            patches.push_back({info.avih_offset + 28, static_cast<std::uint32_t>(largest)});
        for (const AviStream& s : info.streams) {
            patches.push_back({s.strh_offset + 32, static_cast<std::uint32_t>(s.length_on_disk())});
            if (s.suggested_buffer_size == 0) patches.push_back({s.strh_offset + 36, s.largest_chunk});
        }
        if (info.dmlh_total_frames) patches.push_back({info.dmlh_offset, static_cast<std::uint32_t>(video)});

        // Keep what we overwrite, so that a failed write leaves the file as it was.
        restorer = Restorer(path, info.file_size);
        std::vector<std::uint8_t> saved;
        if (!read_bytes(src, 0, info.movi_list_offset + 12, saved)) return failed("lecture de l'en-t\xEAte impossible");
        restorer.keep(0, std::move(saved));
        const std::uint64_t overwritten = std::min(info.file_size, cut + idx1.size());
        if (!read_bytes(src, cut, overwritten, saved)) return failed("lecture de la fin du fichier impossible");
        restorer.keep(cut, std::move(saved));
    }

    const auto write_failed = [&]() {
        restorer.restore();
        return failed("\xE9" "criture dans le fichier impossible");
    };
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        if (!f) return failed("fichier en lecture seule ou verrouill\xE9");
        // Index first: until the headers are patched the file stays a crashed recording that
        // this routine can take up again.
        f.seekp(static_cast<std::streamoff>(cut));
        f.write(reinterpret_cast<const char*>(idx1.data()), static_cast<std::streamsize>(idx1.size()));
        f.flush();
        if (!f) return write_failed();
    }
    std::error_code ec;
    if (info.file_size > new_size) std::filesystem::resize_file(path, new_size, ec);
    if (ec) return write_failed();
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        for (const Patch& p : patches) {
            std::uint8_t b[4];
            put_u32(b, p.value);
            f.seekp(static_cast<std::streamoff>(p.offset));
            f.write(reinterpret_cast<const char*>(b), 4);
        }
        f.flush();
        if (!f) return write_failed();
    }

    // Read back: the repaired file must now look finalised with every chunk indexed.
    const AviReadResult check = read_avi_file(path);
    if (!check.info || !check.info->finalised || check.info->video_chunks() != info.video_chunks() ||
        check.info->idx1_entries != info.chunks_in_first_segment)
        return write_failed();

    RepairResult r;
    r.status = RepairStatus::Repaired;
    r.frames = check.info->video_chunks();
    r.dropped_bytes = info.file_size > cut ? info.file_size - cut : 0;
    r.duration_seconds = check.info->video_duration_seconds();
    r.message = "Fichier r\xE9par\xE9 : " + number(r.frames) + " images, " + seconds_text(r.duration_seconds) + " s";
    if (r.dropped_bytes != 0) r.message += ", " + number(r.dropped_bytes) + " octets incomplets retir\xE9s";
    return r;
}

}  // namespace wellvue::avi
