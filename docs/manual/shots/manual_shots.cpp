// Takes the manual's pictures of the real windows: the demo station (simulated board, test-pattern
// camera) walked through a descent as an operator would, each step grabbed into OUTPUT_FOLDER.
// Run under Xvfb (scripts/manual-shots.sh):  wellvue-manual-shots OUTPUT_FOLDER
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/graph_config/graph_config_form.h"
#include "app/main_window/observation_dialog.h"
#include "app/review/review_window.h"
#include "capture/gst/test_pattern_device.h"
#include "demo.h"

namespace {

QString out_folder;
int failures = 0;

void save(QWidget* w, const char* name) {
  const QString path = out_folder + "/" + name + ".png";
  const bool ok = w && w->grab().save(path);
  if (!ok) ++failures;
  std::printf("%s: %s\n", name, ok ? qPrintable(path) : "not saved");
  std::fflush(stdout);
}

void wait_ms(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Grabs the next message boxes under the given names (in order) and answers each: Yes to a
// question, OK to a message; `no_to` names the box answered No.
class BoxHand {
 public:
  BoxHand(std::vector<const char*> names, const char* no_to = nullptr) : names_(std::move(names)), no_to_(no_to) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      const char* name = next_ < names_.size() ? names_[next_] : nullptr;
      ++next_;
      if (name) save(box, name);
      const bool say_no = name && no_to_ && std::string(name) == no_to_;
      for (QAbstractButton* b : box->buttons()) {
        const auto role = box->buttonRole(b);
        const bool yes = role == QMessageBox::YesRole || role == QMessageBox::AcceptRole;
        if (say_no ? role == QMessageBox::NoRole : yes) {
          b->click();
          return;
        }
      }
      box->reject();
    });
    timer_.start(150);
  }

 private:
  std::vector<const char*> names_;
  const char* no_to_;
  std::size_t next_ = 0;
  QTimer timer_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: wellvue-manual-shots OUTPUT_FOLDER\n");
    return 2;
  }
  out_folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out_folder);
  wellvue::Demo demo;
  wellvue::Station station(demo.station_options());
  wellvue::TFormMain& m = station.main_form();
  wellvue::TForm1& link = station.link_window();
  wait_ms(1500);
  save(&m, "demarrage");

  // The camera dialog as the operator opens it, with the test-pattern camera picked.
  {
    QTimer hand;
    bool done = false;
    QObject::connect(&hand, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<wellvue::TFGraphConfig*>(QApplication::activeModalWidget());
      if (!dialog || done) return;
      done = true;
      const int i = dialog->cbVSources->findText(QString::fromUtf8(wellvue::gst::kTestPatternName));
      if (i >= 0) dialog->cbVSources->setCurrentIndex(i);
      wait_ms(400);
      save(dialog, "choix-camera");
      if (i >= 0) dialog->Button1->click();
      else dialog->reject();
    });
    hand.start(100);
    m.traite_down(m.Panel_choix_cam);
  }
  wait_ms(4000);
  save(&m, "fenetre-principale");

  link.show();
  wait_ms(800);
  save(&link, "fenetre-liaison");
  link.hide();

  m.Panel_margelle->show();
  m.Panel_margelle->raise();
  wait_ms(600);
  save(&m, "panneau-margelle");
  m.Panel_margelle->hide();

  m.Panel_calibration->show();
  m.Panel_calibration->raise();
  wait_ms(600);
  save(&m, "panneau-calibration");
  m.Panel_calibration->hide();

  m.CheckBox1->setChecked(false);
  {
    BoxHand hand({"question-nom-fichier", "question-zero"});
    m.traite_down(m.Panel_start_capture);
    wait_ms(6000);
  }
  save(&m, "enregistrement");

  // An observation during the descent: a code picked, a note typed, saved.
  {
    QTimer hand;
    bool done = false;
    QObject::connect(&hand, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<wellvue::ObservationDialog*>(QApplication::activeModalWidget());
      if (!dialog || done) return;
      done = true;
      if (dialog->codes_list()->count() > 1) dialog->codes_list()->setCurrentRow(1);
      dialog->note_edit()->setText(QStringLiteral("joint ouvert côté nord"));
      wait_ms(400);
      save(dialog, "observation");
      dialog->accept();
    });
    hand.start(100);
    m.traite_down(m.Panel_observation);
  }
  wait_ms(3000);
  {
    BoxHand hand({"fin-enregistrement"});
    m.traite_down(m.Panel_stop_capture);
    wait_ms(800);
  }

  // The recording just made, in the review window.
  m.traite_down(m.Panel_revoir);
  wellvue::ReviewWindow* review = nullptr;
  for (int i = 0; i < 50 && !review; ++i) {
    wait_ms(100);
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* r = qobject_cast<wellvue::ReviewWindow*>(w); r && r->isVisible()) review = r;
  }
  wait_ms(1500);
  if (review) {
    review->resize(1280, 900);
    wait_ms(800);
  }
  save(review, "revoir");
  std::printf("%d picture(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
