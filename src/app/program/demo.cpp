#include "demo.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>

#include "app/graph_config/graph_config_form.h"
#include "app/services/text_bridge.h"
#include "capture/gst/test_pattern_device.h"
#include "descent_profile.h"
#include "sim_board.h"
#include "util/settings_values.h"

namespace wellvue {

namespace {

// The demo's settings: the station's defaults, with the recordings going to the demo's own folder
// under the prefix "demo".
QByteArray demo_settings(const QString& video_folder) {
  const std::string folder = from_qt(QDir::toNativeSeparators(video_folder));
  SettingsLines lines = default_settings_lines();
  for (std::string& l : lines) {
    if (l.rfind("Edit_nom_prefixe.Text =", 0) == 0) l = "Edit_nom_prefixe.Text = demo";
    if (l.rfind("repertoire_video =", 0) == 0) l = "repertoire_video = " + folder;
  }
  QByteArray out;
  for (const std::string& l : lines) out += QByteArray::fromStdString(l) + "\r\n";
  return out;
}

// Makes `path` private to the user (0700) when it is not there; refuses one that is a link, not a
// folder, or someone else's: the demo must not record into a folder another user prepared.
void make_private_folder(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
    throw std::runtime_error("cannot create " + path.toStdString() + ": " + std::strerror(errno));
  struct stat st {};
  if (::lstat(name.constData(), &st) != 0) throw std::runtime_error("cannot read " + path.toStdString());
  if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) throw std::runtime_error(path.toStdString() + " is not a folder");
  if (st.st_uid != ::geteuid()) throw std::runtime_error(path.toStdString() + " belongs to another user");
  if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0)
    throw std::runtime_error("cannot make " + path.toStdString() + " private");
}

}  // namespace

QString Demo::default_folder() {
  const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) return runtime + "/wellvue-demo";
  QString home = QFile::decodeName(qgetenv("HOME"));
  if (home.isEmpty()) home = QDir::homePath();
  return home + "/.cache/wellvue/demo";
}

Demo::Demo() : folder_(default_folder()) {
  // The parents are ordinary folders; the demo's own folder and its videos are private.
  const QString parent = QFileInfo(folder_).absolutePath();
  if (!QDir().mkpath(parent)) throw std::runtime_error("cannot create " + parent.toStdString());
  make_private_folder(folder_);
  make_private_folder(video_folder());
  QFile ini(settings_file());
  if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate) || ini.write(demo_settings(video_folder())) < 0)
    throw std::runtime_error("cannot write " + settings_file().toStdString());
  ini.close();

  board_ = std::make_unique<SimBoard>();
  SimOptions o;
  const DescentProfile profile;
  o.period_ms = profile.period_ms;
  o.use_lines = true;
  o.lines = descent_lines(profile);
  o.exit_after = LLONG_MAX;  // the cycle repeats: down, pauses, back up to the curb
  runner_ = std::thread([this, o] { board_->run(o, stop_); });
}

Demo::~Demo() {
  stop_ = true;
  if (runner_.joinable()) runner_.join();
}

const std::string& Demo::port_path() const { return board_->slave_path(); }

StationOptions Demo::station_options() const {
  StationOptions o;
  o.test_source = true;
  // The settings file is named after this path: <folder>/wellvue-demo.ini.
  o.settings_executable_path = folder_ + "/wellvue-demo";
  const std::string port = port_path();
  o.system_ports = [port] { return std::vector<std::string>{port}; };
  return o;
}

bool Demo::choose_test_camera(TFormMain& main) {
  // The operator's hand in the dialog: the test-pattern camera, then OK.
  bool answered = false;
  QTimer hand;
  QObject::connect(&hand, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TFGraphConfig*>(QApplication::activeModalWidget());
    if (!dialog || answered) return;
    answered = true;
    const int i = dialog->cbVSources->findText(QString::fromUtf8(gst::kTestPatternName));
    if (i < 0) {
      dialog->reject();
      return;
    }
    dialog->cbVSources->setCurrentIndex(i);
    dialog->Button1->click();
  });
  hand.start(20);
  main.traite_down(main.Panel_choix_cam);
  hand.stop();
  return answered && main.engine().Previewing();
}

}  // namespace wellvue
