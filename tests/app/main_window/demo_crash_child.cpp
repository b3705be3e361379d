// A demo station recording until it is killed: the camera chosen, "Start capture ?" pressed (No to
// the zero question, Yes to the rest), then "recording FILE" and, once the video runs, "running"
// on stdout.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <iostream>

#include "demo.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTimer hand;
  QObject::connect(&hand, &QTimer::timeout, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    const bool zero_question = box->text().contains(QStringLiteral("margelle"));
    for (QAbstractButton* b : box->buttons()) {
      const auto role = box->buttonRole(b);
      const bool consent = role == QMessageBox::YesRole || role == QMessageBox::AcceptRole;
      if (consent != zero_question) {
        b->click();
        return;
      }
    }
  });
  hand.start(30);
  wellvue::Demo demo;
  wellvue::Station station(demo.station_options());
  wellvue::TFormMain& m = station.main_form();
  if (!wellvue::Demo::choose_test_camera(m)) return 1;
  m.CheckBox1->setChecked(false);
  m.traite_down(m.Panel_start_capture);
  if (!m.engine().Capturing()) return 2;
  std::cout << "recording " << m.engine().RecordingFile() << std::endl;
  QElapsedTimer running;
  running.start();
  while (running.elapsed() < 2500) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  std::cout << "running" << std::endl;
  for (;;) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}
