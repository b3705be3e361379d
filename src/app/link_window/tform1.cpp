#include "app/link_window/tform1.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/link_window/port_scan.h"
#include "app/link_window/settings_host.h"
#include "app/link_window/terminal_launcher.h"
#include "app/link_window/window_fit.h"
#include "app/main_window/main_form.h"
#include "app/services/text_bridge.h"
#include "encoder/posix_serial_port.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

// Keeps a plain-data field equal to what the operator types in a widget.
void bind(QLineEdit* edit, std::string& field) {
  QObject::connect(edit, &QLineEdit::textChanged, edit, [&field](const QString& t) { field = from_qt(t); });
}

void bind(QCheckBox* box, bool& field) {
  QObject::connect(box, &QCheckBox::toggled, box, [&field](bool on) { field = on; });
}

}  // namespace

TForm1::TForm1(QWidget* main_window, Prompter& prompter, LinkWindowOptions options, QWidget* parent)
    : QWidget(parent), main_(main_window), prompter_(prompter), options_(std::move(options)) {
  setObjectName(QStringLiteral("Form1"));
  // The controls keep their designed places on a page of the designed size; a smaller window
  // scrolls it, so every control stays reachable on a small screen.
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("Form1_page"));
  d_ = LinkWindowDesign::build(page);
  page->setMinimumSize(page->size());
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("Form1_scroll"));
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidget(page);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  setWindowTitle(page->windowTitle());
  resize(page->size());
  rp_ = RetimingPanelDesign::build(d_.Panel1);
  memo5_designed_ = d_.Memo5->geometry();

  if (options_.boundary) {
    boundary_ = options_.boundary;
  } else {
    own_boundary_ = std::make_unique<HandlerBoundary>(prompter_);
    boundary_ = own_boundary_.get();
  }
  // Errors repeated while their box is open go to the column of attempted reads.
  boundary_->set_trace([this](const std::string& line) { d_.Memo1->append_line(line); });

  if (auto* form = qobject_cast<TFormMain*>(main_window)) {
    m_ = form->link_controls();
  } else if (options_.main_controls) {
    m_ = *options_.main_controls;
  }
  if (options_.settings) {
    host_ = options_.settings;
  } else if (auto* form = qobject_cast<TFormMain*>(main_window)) {
    own_host_ = std::make_unique<MainFormSettingsHost>(*form);
    host_ = own_host_.get();
  } else {
    own_host_ = std::make_unique<PlainSettingsHost>(main_window);
    host_ = own_host_.get();
  }
  if (options_.executable_path.isEmpty()) options_.executable_path = QCoreApplication::applicationFilePath();
  if (!options_.system_ports && !options_.serial_devices) {
    options_.serial_devices = [] { return discover_serial_ports(); };
  }
  if (!options_.port_is_free) options_.port_is_free = port_is_free;
  if (!options_.end_process) options_.end_process = [](int code) { std::_Exit(code); };
  if (options_.model) {
    model_ = options_.model;
  } else {
    own_model_ = std::make_unique<StationModel>(prompter_, StationModelOptions{options_.port, options_.clock});
    model_ = own_model_.get();
  }
  link_ = &model_->link();
  tool_ = &model_->retiming_tool();

  view_ = std::make_unique<QtLinkView>(d_, m_);
  // Reader-thread completions run on the GUI thread inside the handler boundary, so no error of a
  // poll can escape into the event loop; the poster drops them once the window is gone.
  auto sink = poster_.sink();
  auto post = [sink, this](std::function<void()> fn) {
    sink([this, fn = std::move(fn)] {
      boundary_->run(fn);
      show_acquisition_switch();
    });
  };
  model_->set_post(post);
  model_->set_guard([this](const std::function<void()>& handler) { return boundary_->run(handler); });
  model_->set_opening_shown([this](bool opening) { d_.Button1->setEnabled(!opening); });
  model_->set_link_view(view_.get());
  link_->set_error_handler([this](const std::string& text) { boundary_->report_later(text); });
  view_->set_fields(&link_->fields());
  wire();
  wire_retiming();
  wire_main_window();
  if (options_.run_form_create) FormCreate();
  else centre_on_screen();
}

TForm1::~TForm1() {
  // The open worker uses the link: let it end first. Then the port closes, as "CloseCom" does.
  model_->abandon_open();
  link_->close_without_pause();
  // The model may outlive the window: nothing reaches the window's view or poster any more.
  link_->set_error_handler({});
  model_->set_guard({});
  model_->set_opening_shown({});
  model_->set_link_view(nullptr);
  model_->set_post({});
  boundary_->set_trace({});
}

void TForm1::wire() {
  LinkFields& f = link_->fields();
  bind(d_.Edit4, f.Edit4);
  bind(d_.Edit5, f.Edit5);
  bind(d_.Edit2, f.Edit2);
  bind(d_.Edit6, f.Edit6);
  bind(d_.Edit7, f.Edit7);
  bind(d_.Edit8, f.Edit8);
  bind(d_.Edit9, f.Edit9);
  bind(d_.Edit10, f.Edit10);
  bind(d_.Edit11, f.Edit11);
  bind(d_.Edit_circ, f.Edit_circ);
  bind(d_.Edit13, f.Edit13);
  bind(d_.Edit14, f.Edit14);
  bind(d_.Edit_longueur, f.Edit_longueur);
  bind(d_.CheckBox3, f.CheckBox3);

  connect(d_.ComboBox1_port_com, &QComboBox::editTextChanged, this,
          [this](const QString& t) { link_->fields().ComboBox1_port_com = from_qt(t); });
  connect(d_.ComboBox1_port_com, &QComboBox::currentIndexChanged, this, [this](int i) {
    link_->fields().port_item_index = i;
    // An item shows a label beside its name; the field holds the name, which the open takes.
    const QString name = i >= 0 ? d_.ComboBox1_port_com->itemData(i).toString() : QString();
    if (!name.isEmpty() && d_.ComboBox1_port_com->currentText() != name) d_.ComboBox1_port_com->setEditText(name);
  });
  connect(d_.ComboBox_baudrate, &QComboBox::editTextChanged, this,
          [this](const QString& t) { link_->fields().ComboBox_baudrate = from_qt(t); });
  connect(d_.ComboBox_baudrate, &QComboBox::currentIndexChanged, this,
          [this](int i) { link_->fields().baud_item_index = i; });
  connect(d_.ComboBox2, &QComboBox::editTextChanged, this,
          [this](const QString& t) { link_->fields().ComboBox2 = from_qt(t); });
  // A choice from the start-depth list, or Enter in its field.
  connect(d_.ComboBox2, &QComboBox::activated, this, [this](int) { run([this] { link_->ComboBox2Click(); }); });
  d_.ComboBox2->installEventFilter(this);

  connect(d_.Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(d_.Button2, &QPushButton::clicked, this, [this] { run([this] { Button2Click(); }); });
  connect(d_.Button3, &QPushButton::clicked, this, [this] { run([this] { Button3Click(); }); });
  connect(d_.Button4, &QPushButton::clicked, this, [this] { run([this] { Button4Click(); }); });
  connect(d_.Button5, &QPushButton::clicked, this, [this] { run([this] { link_->Button5Click(); }); });
  connect(d_.Button6, &QPushButton::clicked, this, [this] { run([this] { Button6Click(); }); });
  connect(d_.Button8, &QPushButton::clicked, this, [this] { run([this] { Button8Click(); }); });
  connect(d_.Button9, &QPushButton::clicked, this, [this] { run([this] { Button9Click(); }); });
  connect(d_.CheckBox1, &QCheckBox::clicked, this, [this] { run([this] { CheckBox1Click(); }); });
  connect(d_.CheckBox2, &QCheckBox::clicked, this, [this] { run([this] { CheckBox2Click(); }); });
  connect(d_.CheckBox_options_avancees, &QCheckBox::clicked, this,
          [this] { run([this] { CheckBox_options_avanceesClick(); }); });
  connect(d_.RadioGroup1_acquisition, &QRadioButton::clicked, this,
          [this] { run([this] { link_->RadioGroup1Click(0); }); });
  connect(d_.RadioGroup1_stop, &QRadioButton::clicked, this, [this] { run([this] { link_->RadioGroup1Click(1); }); });

  connect(d_.SpeedButton1, &QPushButton::clicked, this, [this] { run([this] { link_->SpeedButton1Click(); }); });
  connect(d_.SpeedButton2, &QPushButton::clicked, this, [this] { run([this] { link_->SpeedButton2Click(); }); });
  connect(d_.SpeedButton4, &QPushButton::clicked, this, [this] { run([this] { link_->SpeedButton4Click(); }); });
  connect(d_.SpeedButton3, &QPushButton::clicked, this,
          [this] { d_.Panel_calibration->setVisible(!d_.Panel_calibration->isVisible()); });
  connect(d_.BitBtn_esc, &QPushButton::clicked, this, [this] { d_.Panel_calibration->hide(); });
  connect(d_.BitBtn_start, &QPushButton::clicked, this,
          [this] { run([this] { link_->BitBtn_startClick(Sender::LinkWindow); }); });
  connect(d_.BitBtn_stop, &QPushButton::clicked, this,
          [this] { run([this] { link_->BitBtn_stopClick(Sender::LinkWindow); }); });
  connect(d_.BitBtn_manu, &QPushButton::clicked, this,
          [this] { run([this] { link_->BitBtn_manuClick(Sender::LinkWindow); }); });
}

void TForm1::wire_main_window() {
  MainFields& m = link_->main_fields();
  // The link reads these main-window fields as typed; keep its copies equal to the widgets.
  const std::pair<QLineEdit*, std::string*> edits[] = {
      {m_.Edit_nom_forage, &m.Edit_nom_forage}, {m_.Edit_circ, &m.Edit_circ}, {m_.Edit_longueur, &m.Edit_longueur}};
  for (const auto& [e, field] : edits) {
    if (e) {
      *field = from_qt(e->text());
      bind(e, *field);
    }
  }
  if (QComboBox* c = m_.ComboBox1) {
    m.ComboBox1 = from_qt(c->currentText());
    connect(c, &QComboBox::editTextChanged, this,
            [this](const QString& t) { link_->main_fields().ComboBox1 = from_qt(t); });
  }
  if (QLabel* l = m_.Label7) m.Label7 = from_qt(l->text());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == d_.ComboBox2) {
    if (event->type() == QEvent::FocusIn) {
      run([this] { link_->ComboBox2Enter(); });
    } else if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        run([this] { link_->ComboBox2KeyDown(13); });
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::show_acquisition_switch() {
  // The recording workflow turns the switch through the link; the buttons follow it here.
  const bool acquisition = link_->fields().RadioGroup1 == 0;
  if (d_.RadioGroup1_acquisition->isChecked() != acquisition) {
    (acquisition ? d_.RadioGroup1_acquisition : d_.RadioGroup1_stop)->setChecked(true);
  }
}

void TForm1::show_start_depth(const std::string& text) {
  d_.Label22->setText(to_qt(text));
  d_.ComboBox2->setEditText(to_qt(text));
}

// ---- Window events ------------------------------------------------------------------------

void TForm1::fit_into(const QRect& available) {
  const QWidget* page = scroll_->widget();
  const QRect frame = frameGeometry();
  const QRect inner = geometry();
  const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                         frame.bottom() - inner.bottom());
  setGeometry(fit_window(page->size(), margins, available));
}

void TForm1::centre_on_screen() {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  fit_into(s->availableGeometry());
}

void TForm1::FormCreate() {
  centre_on_screen();
  const bool read = boundary_->run([this] {
    lire_param();
    link_->fill_port_lists(system_port_infos());
  });
  if (!read) return;
  Button1Click([this](bool completed) {
    if (completed) after_open();
  });
}

std::vector<SerialPortInfo> TForm1::system_port_infos() const {
  if (options_.serial_devices) return options_.serial_devices();
  std::vector<SerialPortInfo> ports;
  for (const std::string& name : options_.system_ports()) ports.push_back({name, {}, {}});
  return ports;
}

void TForm1::after_open() {
  // The time separator of the date-time texts is the hyphen throughout the core already.
  LinkFields& f = link_->fields();
  {
    if (QComboBox* c = m_.ComboBox1) {
      f.ComboBox2_items.clear();
      for (int i = 0; i < c->count(); ++i) f.ComboBox2_items.push_back(from_qt(c->itemText(i)));
      d_.ComboBox2->clear();
      d_.ComboBox2->addItems([&] {
        QStringList items;
        for (const std::string& s : f.ComboBox2_items) items << to_qt(s);
        return items;
      }());
      d_.ComboBox2->setCurrentIndex(-1);
      d_.ComboBox2->setEditText(c->currentText());
    }
    if (QLabel* l = m_.Label7) {
      d_.Label22->setText(l->text());
      f.Label22 = from_qt(l->text());
    }
  }
  d_.Memo7->clear();
}

void TForm1::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!fitted_with_frame_) {
    // The window manager's frame is known once shown: fit again, frame included, if it spills.
    fitted_with_frame_ = true;
    QTimer::singleShot(0, this, [this] {
      const QScreen* s = screen();
      if (s && !s->availableGeometry().contains(frameGeometry())) centre_on_screen();
    });
  }
  FormActivate();
}

void TForm1::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TForm1::apply_advanced(bool on) {
  for (QWidget* w : d_.advanced) w->setVisible(on);
  d_.Memo7->setVisible(!on);
  tool_->set_output_visible(on);  // the output list shows with the advanced controls
}

void TForm1::FormActivate() { apply_advanced(d_.CheckBox_options_avancees->isChecked()); }

void TForm1::CheckBox_options_avanceesClick() { apply_advanced(d_.CheckBox_options_avancees->isChecked()); }

// ---- Port ---------------------------------------------------------------------------------

void TForm1::Button1Click(std::function<void(bool)> done) { model_->open_port(std::move(done)); }

void TForm1::Button2Click() { model_->close_port(); }

void TForm1::Button3Click() {
  model_->abandon_open();
  link_->close_without_pause();
  options_.end_process(0);
}

void TForm1::Button4Click() { sauve_param(); }

void TForm1::Button6Click() { hide(); }

void TForm1::CheckBox1Click() { link_->set_dtr(d_.CheckBox1->isChecked()); }

void TForm1::CheckBox2Click() { link_->set_rts(d_.CheckBox2->isChecked()); }

void TForm1::Button8Click() {
  d_.Memo7->show();
  d_.Memo7->raise();
  d_.Memo7->appendPlainText(QString());
  d_.Memo7->appendPlainText(QStringLiteral("--------------------------"));
  LinkFields& f = link_->fields();
  const std::string text = f.ComboBox1_port_com;
  const PortScan scan = scan_devices(system_port_infos(), options_.port_is_free);
  f.port_items = scan.ports;
  f.port_labels = scan.labels;
  f.port_item_index = -1;
  f.ComboBox1_port_com = text;  // the port field keeps its text
  view_->port_list_changed();
  for (const std::string& line : scan_memo_lines(scan)) d_.Memo7->appendPlainText(to_qt(line));
  if (scan.entries.empty()) {
    prompter_.inform(utf8_to_cp1252(kScanNoPortBox));
  } else if (isVisible()) {
    d_.ComboBox1_port_com->showPopup();
  }
}

void TForm1::Button9Click() {
  const QString dir = QFileInfo(options_.executable_path).absolutePath();
  const auto command = terminal_command(
      dir, d_.ComboBox1_port_com->currentText(),
      [](const QString& program) { return QStandardPaths::findExecutable(program); },
      [](const QString& path) { return QFileInfo::exists(path); });
  if (command) launch_terminal(*command);
}

}  // namespace wellvue
