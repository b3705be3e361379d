#include "subtitles/depth_record_reader.h"

#include <cmath>

#include "util/conversion_error.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

std::string bad_record_text(const std::string& name, const std::string& why) {
  return "Le fichier " + name + " n'est pas un relev\xe9 de profondeur lisible : " + why;
}

DepthRecordText with_depth_model(DepthRecordFile file, const std::string& name) {
  DepthRecordText record;
  static_cast<DepthRecordFile&>(record) = std::move(file);
  auto header_number = [&](std::string_view key, bool required) -> std::optional<double> {
    const std::string* v = record.header_value(key);
    if (!v) {
      if (required) throw ConversionError(bad_record_text(name, "cl\xe9 " + std::string(key) + " absente"));
      return std::nullopt;
    }
    const auto n = record.header_number(key);
    if (!n) throw ConversionError(bad_record_text(name, "valeur de " + std::string(key) + " illisible : " + *v));
    return n;
  };
  record.circumference_mm = *header_number("circumference_mm_per_turn", true);
  const double tpt = *header_number("tics_per_turn", true);
  if (tpt < 1 || tpt != std::floor(tpt) || tpt > 1e6)
    throw ConversionError(bad_record_text(name, "tics_per_turn incorrect"));
  record.tics_per_turn = static_cast<int>(tpt);
  const double curb = header_number("curb_zero_tics", false).value_or(0);
  if (curb != std::floor(curb) || std::fabs(curb) > 1e15)
    throw ConversionError(bad_record_text(name, "curb_zero_tics incorrect"));
  record.curb_zero_tics = static_cast<std::int64_t>(curb);
  record.start_depth_m = header_number("start_depth_m", false).value_or(0);
  record.depth_offset_m = header_number("depth_offset_m", false).value_or(0);
  return record;
}

}  // namespace

DepthRecordText parse_depth_record_text(std::string_view text, const std::string& name) {
  return with_depth_model(parse_depth_record(text, name), name);
}

DepthRecordText read_depth_record_text(const std::filesystem::path& path) {
  return with_depth_model(read_depth_record_file(path.string()), utf8_to_cp1252(path.string()));
}

}  // namespace wellvue
