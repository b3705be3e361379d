#include "fake_main_window.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include "util/settings_file.h"

namespace wellvue::testing {
namespace {

template <class W, class... A>
W* named(QWidget* parent, const char* name, A&&... args) {
  auto* w = new W(std::forward<A>(args)..., parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

}  // namespace

FakeMainWindow::FakeMainWindow() {
  window.setObjectName(QStringLiteral("FormMain"));
  Label2 = named<QLabel>(&window, "Label2", QStringLiteral("0.00 m"));
  Label5 = named<QLabel>(&window, "Label5", QStringLiteral("pas de COM"));
  Label7 = named<QLabel>(&window, "Label7", QStringLiteral(".. cm"));
  Label_tic = named<QLabel>(&window, "Label_tic", QStringLiteral("tics"));
  Edit_nom_prefixe = named<QLineEdit>(&window, "Edit_nom_prefixe", QStringLiteral("CXapture"));
  Edit_nom_forage = named<QLineEdit>(&window, "Edit_nom_forage", QStringLiteral("forage"));
  Edit_longueur = named<QLineEdit>(&window, "Edit_longueur", QStringLiteral("5"));
  Edit_circ = named<QLineEdit>(&window, "Edit_circ", QStringLiteral("405"));
  CheckBox1 = named<QCheckBox>(&window, "CheckBox1", QStringLiteral("plus la date"));
  CheckBox1->setChecked(true);
  ComboBox1 = named<QComboBox>(&window, "ComboBox1");
  ComboBox1->setEditable(true);
  ComboBox1->addItems({"0 cm", "10 cm", "50 cm", "100 cm", "150 cm", "200 cm"});
  Panel_open_com = named<QPushButton>(&window, "Panel_open_com", QStringLiteral("         Port COM RS232"));
  Panel_rep = named<QPushButton>(&window, "Panel_rep", QStringLiteral("Choix répertoire vidéo"));
  Panel_start_capture = named<QPushButton>(&window, "Panel_start_capture", QStringLiteral("Start capture ?"));
  BitBtn_start = named<QPushButton>(&window, "BitBtn_start", QStringLiteral("Start = 0 m"));
  BitBtn_stop = named<QPushButton>(&window, "BitBtn_stop", QStringLiteral("Stop = L m"));
  BitBtn_stop->setEnabled(false);
  ListBox_param = named<QListWidget>(&window, "ListBox_param");
}

void write_file(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string read_file(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

UnwritableDir::UnwritableDir() { ok_ = dir_.isValid(); }

void UnwritableDir::lock() {
  QFile::setPermissions(
      dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
  if (folder_is_writable(QFile::encodeName(dir_.path()).toStdString())) {
    // Root ignores permissions; an immutable folder stops it too.
    immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir_.path()}) == 0;
  }
  ok_ = !folder_is_writable(QFile::encodeName(dir_.path()).toStdString());
}

UnwritableDir::~UnwritableDir() {
  if (immutable_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), dir_.path()});
  QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace wellvue::testing
