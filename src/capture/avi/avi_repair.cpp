#include "capture/avi/avi_repair.h"

#include "capture/avi/avi_info.h"
#include "capture/avi/byte_source.h"
#include "capture/avi/chunk_resync.h"
#include "capture/avi/extended_repair.h"
#include "capture/avi/repair_support.h"
#include "capture/avi/riff.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace wellvue::avi {

using namespace detail;

namespace {

// Data beyond the first segment: the file needs its OpenDML indexes rebuilt.
bool has_extended_data(const AviInfo& info) {
  std::uint64_t chunks = 0;
  for (const AviStream& s : info.streams) chunks += s.chunks;
  return info.riff_segments > 1 && chunks > info.chunks_in_first_segment;
}

// One RIFF segment: append idx1 after the last complete chunk, patch the sizes and counts.
// Returns the failure, or nothing when the writes are ready.
std::optional<RepairResult> prepare_single(const AviInfo& info, ByteSource& src, Restorer& restorer,
                                           std::vector<std::uint8_t>& idx1, std::vector<Patch>& patches,
                                           std::uint64_t& cut, std::uint64_t& new_size) {
  // What may be cut after the last complete chunk: one partial chunk, a stale index or an
  // empty extended segment, or zeros. More than that means data we cannot read.
  cut = info.movi_data_end;
  const std::uint64_t known = info.has_idx1 ? 8 + 16 * static_cast<std::uint64_t>(info.idx1_entries) + 24 : 0;
  const Tail tail = classify_tail(src, info, cut, known);
  if (tail == Tail::Unreadable)
    return failed(
        "donn\xE9"
        "es illisibles \xE0 l'octet " +
        number(cut) + ", suivies de " + number(info.file_size - cut) + " octets");

  if (!build_idx1(src, info, idx1))
    return failed(
        "lecture des donn\xE9"
        "es impossible");
  const std::uint64_t idx1_pos = padded(cut);
  new_size = idx1_pos + idx1.size();
  if (new_size - 8 > kMaxRiff) return failed("fichier trop grand pour un index AVI");
  if (idx1_pos != cut) idx1.insert(idx1.begin(), 0);  // pad byte after an odd last chunk

  std::uint64_t largest = 0;
  for (const AviStream& s : info.streams) largest = std::max<std::uint64_t>(largest, s.largest_chunk);
  const std::uint64_t video = info.video_chunks();
  patches.push_back({4, static_cast<std::uint32_t>(new_size - 8)});
  patches.push_back({info.movi_list_offset + 4, static_cast<std::uint32_t>(idx1_pos - info.movi_list_offset - 8)});
  patches.push_back({info.avih_offset + 12, info.avih_flags | kAvifHasIndex});
  patches.push_back({info.avih_offset + 16, static_cast<std::uint32_t>(video)});
  if (info.suggested_buffer_size == 0) patches.push_back({info.avih_offset + 28, static_cast<std::uint32_t>(largest)});
  for (const AviStream& s : info.streams) {
    patches.push_back({s.strh_offset + 32, static_cast<std::uint32_t>(s.length_on_disk())});
    if (s.suggested_buffer_size == 0) patches.push_back({s.strh_offset + 36, s.largest_chunk});
  }
  if (info.dmlh_total_frames) patches.push_back({info.dmlh_offset, static_cast<std::uint32_t>(video)});

  // Keep what we overwrite or cut, so that a failed write leaves the file as it was.
  if (!restorer.keep(src, 0, info.movi_list_offset + 12)) return failed("lecture de l'en-t\xEAte impossible");
  const std::uint64_t saved_end = tail == Tail::Small ? info.file_size : std::min(info.file_size, cut + idx1.size());
  if (!restorer.keep(src, cut, saved_end)) return failed("lecture de la fin du fichier impossible");
  return std::nullopt;
}

// The disk has no room for the index (a recording that filled it): the file is cut after its
// last complete chunk, which frees the partial one, and gets its sizes and counts without an
// index, which players then rebuild by scanning the chunks; the index follows when the cut
// made room for it.
RepairResult repair_without_room(const std::string& path, const AviInfo& info, const Restorer& restorer,
                                 const std::vector<Patch>& patches, std::uint64_t cut,
                                 const std::vector<std::uint8_t>& idx1) {
  std::vector<Patch> no_index = patches;
  no_index[0].value = static_cast<std::uint32_t>(cut - 8);                          // RIFF size
  no_index[1].value = static_cast<std::uint32_t>(cut - info.movi_list_offset - 8);  // movi size
  no_index[2].value = info.avih_flags & ~kAvifHasIndex;
  std::error_code ec;
  std::filesystem::resize_file(path, cut, ec);
  if (ec || !write_patches(path, no_index)) {
    restorer.restore();
    return failed(
        "\xE9"
        "criture dans le fichier impossible");
  }
  bool indexed = write_at(path, cut, idx1) && write_patches(path, patches);
  if (!indexed) {
    std::filesystem::resize_file(path, cut, ec);
    write_patches(path, no_index);
  }
  const AviReadResult check = read_avi_file(path);
  if (!check.info || check.info->video_chunks() != info.video_chunks() || (indexed && !check.info->finalised)) {
    restorer.restore();
    return failed(
        "\xE9"
        "criture dans le fichier impossible");
  }
  RepairResult r = repaired(check.info->video_chunks(), info.file_size > cut ? info.file_size - cut : 0,
                            check.info->video_duration_seconds());
  if (!indexed) r.message.insert(r.message.find(" :"), " sans index (plus de place sur le disque)");
  return r;
}

// The repair of a file whose movi list walks from start to end (no damaged chunk header).
RepairResult repair_walkable(const std::string& path) {
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
    if (has_extended_data(info)) return repair_extended(path, info, src);

    restorer = Restorer(path, info.file_size);
    if (auto failure = prepare_single(info, src, restorer, idx1, patches, cut, new_size)) return *failure;
  }

  const auto write_failed = [&]() {
    restorer.restore();
    return failed(
        "\xE9"
        "criture dans le fichier impossible");
  };
  // Index first: until the headers are patched the file stays a crashed recording that
  // this routine can take up again.
  if (!write_at(path, cut, idx1)) return repair_without_room(path, info, restorer, patches, cut, idx1);
  std::error_code ec;
  if (info.file_size > new_size) std::filesystem::resize_file(path, new_size, ec);
  if (ec) return write_failed();
  if (!write_patches(path, patches)) return write_failed();

  // Read back: the repaired file must now look finalised with every chunk indexed.
  const AviReadResult check = read_avi_file(path);
  if (!check.info || !check.info->finalised || check.info->video_chunks() != info.video_chunks() ||
      check.info->idx1_entries != info.chunks_in_first_segment)
    return write_failed();
  return repaired(check.info->video_chunks(), info.file_size > cut ? info.file_size - cut : 0,
                  check.info->video_duration_seconds());
}

}  // namespace

RepairResult repair_avi(const std::string& path) {
  // Damaged chunk headers first: without them the frames after the damage stay out of reach
  // (and a file whose first header is damaged looks empty).
  std::vector<HeaderFix> fixes;
  Restorer undo(path, 0);
  {
    FileSource src(path);
    if (!src.is_open()) return failed("fichier introuvable ou illisible");
    const AviReadResult read = read_avi(src);
    if (read.info && !read.info->finalised) fixes = find_header_fixes(src, *read.info);
    if (fixes.empty()) return repair_walkable(path);
    undo = Restorer(path, src.size());
    for (const HeaderFix& f : fixes)
      if (!undo.keep(src, f.offset, f.offset + f.bytes.size())) return failed("lecture du fichier impossible");
  }
  for (const HeaderFix& f : fixes)
    if (!write_at(path, f.offset, f.bytes)) {
      undo.restore();
      return failed(
          "\xE9"
          "criture dans le fichier impossible");
    }
  RepairResult r = repair_walkable(path);
  if (r.status != RepairStatus::Repaired) {
    undo.restore();  // left as it was, as for any repair that does not succeed
    return r;
  }
  r.message += ", " + number(fixes.size()) + " en-t\xEAte(s) de bloc endommag\xE9(s) contourn\xE9(s)";
  return r;
}

}  // namespace wellvue::avi
