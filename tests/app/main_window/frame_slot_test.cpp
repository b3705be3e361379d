#include "app/main_window/frame_slot.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

namespace wellvue {
namespace {

// A BGRx picture whose every pixel is (b, g, r), with `pad` spare bytes at the end of each row.
std::vector<unsigned char> picture(int w, int h, int pad, unsigned char b, unsigned char g, unsigned char r) {
  const int stride = w * 4 + pad;
  std::vector<unsigned char> data(static_cast<std::size_t>(stride) * h, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &data[static_cast<std::size_t>(y) * stride + x * 4];
      p[0] = b;
      p[1] = g;
      p[2] = r;
      p[3] = 0;
    }
  return data;
}

void process_until(const std::function<bool()>& done) {
  QDeadlineTimer deadline(20000);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(1);
  }
}

TEST(FrameSlot, OddStrideKeepsTheColours) {
  QObject receiver;
  std::vector<QImage> got;
  std::vector<Qt::HANDLE> threads;
  FrameSlot slot(&receiver, [&](const QImage& img) {
    got.push_back(img);
    threads.push_back(QThread::currentThreadId());
  });
  // 321 pixels per row with 4 spare bytes, as a real RGB frame of odd width comes.
  auto data = picture(321, 7, 4, 10, 20, 200);
  std::thread streaming([&] { slot.offer_bgrx(data.data(), 321, 7, 321 * 4 + 4); });
  streaming.join();
  process_until([&] { return !got.empty(); });
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(threads[0], QThread::currentThreadId());
  EXPECT_EQ(got[0].size(), QSize(321, 7));
  for (QPoint p : {QPoint(0, 0), QPoint(320, 6), QPoint(160, 3)}) EXPECT_EQ(got[0].pixelColor(p), QColor(200, 20, 10));
}

TEST(FrameSlot, OnlyTheLatestFrameWaitsForTheGuiThread) {
  QObject receiver;
  std::vector<QImage> got;
  FrameSlot slot(&receiver, [&](const QImage& img) { got.push_back(img); });
  auto red = picture(4, 4, 0, 0, 0, 255);
  auto green = picture(4, 4, 0, 0, 255, 0);
  auto blue = picture(4, 4, 0, 255, 0, 0);
  // Three frames before the GUI thread gets a chance: one delivery, with the last one.
  std::thread streaming([&] {
    slot.offer_bgrx(red.data(), 4, 4, 16);
    slot.offer_bgrx(green.data(), 4, 4, 16);
    slot.offer_bgrx(blue.data(), 4, 4, 16);
  });
  streaming.join();
  process_until([&] { return !got.empty(); });
  QCoreApplication::processEvents();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].pixelColor(1, 1), QColor(0, 0, 255));
  EXPECT_EQ(slot.offered(), 3u);
  EXPECT_EQ(slot.replaced(), 2u);
  // After a delivery the next frame is queued again.
  slot.offer_bgrx(red.data(), 4, 4, 16);
  process_until([&] { return got.size() == 2; });
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].pixelColor(0, 0), QColor(255, 0, 0));
}

TEST(FrameSlot, MalformedFramesAreRefused) {
  QObject receiver;
  int delivered = 0;
  FrameSlot slot(&receiver, [&](const QImage&) { ++delivered; });
  auto data = picture(4, 4, 0, 1, 2, 3);
  struct Bad {
    const unsigned char* data;
    int w, h, stride;
  } cases[] = {{nullptr, 4, 4, 16}, {data.data(), 0, 4, 16}, {data.data(), 4, -1, 16}, {data.data(), 4, 4, 12}};
  for (const Bad& c : cases) slot.offer_bgrx(c.data, c.w, c.h, c.stride);
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, 0);
  EXPECT_EQ(slot.offered(), 0u);
}

TEST(FrameSlot, NothingIsDeliveredToAReceiverThatIsGone) {
  int delivered = 0;
  auto data = picture(4, 4, 0, 1, 2, 3);
  {
    auto receiver = std::make_unique<QObject>();
    FrameSlot slot(receiver.get(), [&](const QImage&) { ++delivered; });
    slot.offer_bgrx(data.data(), 4, 4, 16);
    receiver.reset();
    QCoreApplication::processEvents();
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, 0);
}

}  // namespace
}  // namespace wellvue
