// Keyframe flags of rebuilt index entries, per codec.
#include "capture/avi/keyframe.h"

#include <gtest/gtest.h>

#include <vector>

namespace wellvue::avi {
namespace {

AviStream stream(const char* type, const char* handler) {
  AviStream s;
  s.type = type;
  s.handler = handler;
  return s;
}

struct KeyCase {
  const char* name;
  AviStream s;
  std::vector<std::uint8_t> data;
  bool key;
};

TEST(Keyframe, FlagFollowsThePictureType) {
  const std::vector<KeyCase> cases = {
      {"mjpeg frame", stream("vids", "MJPG"), {0xff, 0xd8, 0xff, 0xe0}, true},
      {"audio block", stream("auds", ""), {1, 2, 3, 4}, true},
      {"h264 idr", stream("vids", "H264"), {0, 0, 0, 1, 0x09, 0xf0, 0, 0, 1, 0x65, 0x88}, true},
      {"h264 sps first", stream("vids", "h264"), {0, 0, 0, 1, 0x67, 0x42, 0, 0x1e}, true},
      {"h264 p slice", stream("vids", "X264"), {0, 0, 0, 1, 0x09, 0x30, 0, 0, 1, 0x41, 0x9a}, false},
      {"mpeg4 i-vop", stream("vids", "XVID"), {0, 0, 1, 0xb6, 0x10, 0x22}, true},
      {"mpeg4 p-vop", stream("vids", "FMP4"), {0, 0, 1, 0xb6, 0x50, 0x22}, false},
      {"h264 without start code", stream("vids", "avc1"), {0, 0, 0x10, 0x20, 0x65}, true},
  };
  for (const KeyCase& c : cases)
    EXPECT_EQ(is_keyframe(c.s, c.data.data(), c.data.size(), static_cast<std::uint32_t>(c.data.size())), c.key)
        << c.name;
}

TEST(Keyframe, EmptyVideoChunkIsNoSeekPoint) {
  EXPECT_FALSE(is_keyframe(stream("vids", "MJPG"), nullptr, 0, 0));
  EXPECT_TRUE(is_keyframe(stream("auds", ""), nullptr, 0, 0));
}

TEST(Keyframe, OnlyInterCodecsNeedThePayload) {
  EXPECT_EQ(keyframe_probe_size(stream("vids", "MJPG")), 0u);
  EXPECT_GT(keyframe_probe_size(stream("vids", "H264")), 0u);
  AviStream by_compression = stream("vids", "\0\0\0\0");
  by_compression.compression = 0x44495658;  // "XVID"
  EXPECT_GT(keyframe_probe_size(by_compression), 0u);
}

}  // namespace
}  // namespace wellvue::avi
