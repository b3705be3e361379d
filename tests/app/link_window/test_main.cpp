// Runs the link window tests inside one offscreen Qt application.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Wellvue"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
