#include "app/main_window/main_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMetaObject>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <climits>

#include "app/graph_config/edit_graph_config.h"
#include "app/main_window/layout_rules.h"
#include "app/services/text_bridge.h"
#include "capture/recording_format.h"
#include "util/settings_values.h"

// Resources of a static library are registered by name, outside any namespace.
static void init_main_window_resources() { Q_INIT_RESOURCE(main_window); }

namespace wellvue {

namespace {
constexpr int kBottomBarHeight = 50;
constexpr int kStatusBarHeight = 19;
constexpr int kSmallScreen = 900;
}  // namespace

TFormMain::TFormMain(const CaptureView::BackendFactory& make_backend, Prompter& prompter, MainFormOptions options,
                     QWidget* parent)
    : QWidget(parent), prompter_(prompter), options_(std::move(options)) {
  init_main_window_resources();
  if (options_.boundary) {
    boundary_ = options_.boundary;
  } else {
    own_boundary_ = std::make_unique<HandlerBoundary>(prompter_);
    boundary_ = own_boundary_.get();
  }
  build_design();

  cap = new CaptureView(make_backend, prompter_, this);
  cap->setObjectName("cap");
  QPalette grey = cap->palette();
  grey.setColor(QPalette::Window, QColor(128, 128, 128));
  cap->setPalette(grey);
  TVideoCapture& e = cap->engine();
  e.SetDVResolution(dvrDontWorry);
  e.SetWantBitmaps(true);
  e.SetBitmapPixelFormat(pf24bit);
  e.SetWantAudio(false);
  e.SetWantDVAudio(false);
  e.SetWantAudioPreview(false);
  e.SetWantPreview(true);
  e.SetWantCapture(true);
  e.SetUseFrameRate(false);
  e.SetFrameRate(25);
  e.SetCaptureFileName("capture" + std::string(default_recording_format().extension));
  e.SetUseTempFile(true);
  e.SetTempCaptureFileName(SettingsValues{}.temp_capture_file);
  e.SetUseTimeLimit(true);
  e.SetTimeLimit(30);
  e.SetDoPreallocFile(false);
  e.SetPreallocFileSize(1);
  e.OnCaptureProgress = [this](TVideoCapture&) { run_handler([this] { capCaptureProgress(); }); };

  build_overlays();
  wire_handlers();
  dock();
  FormCreate();

  for (QWidget* w : Panel10->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    column_design_.emplace_back(w, w->geometry());
  least_left_ = left_panel_need();
  fit_to_screen();
}

TFormMain::~TFormMain() {
  // The engine stops its graph on destruction and may still call the window's handlers.
  cap->engine().OnCaptureProgress = nullptr;
  delete cap;
  cap = nullptr;
  FormDestroy();
}

std::vector<ImageButton*> TFormMain::image_buttons() const {
  return {Panel_choix_cam,     Panel_start_capture, Panel_stop_capture,
          Panel_visionner,     Panel_open_com,      Panel_BT_calibration_M,
          Panel_zero_margelle, Panel_zero_eau,      Panel_help,
          Panel_exit,          Panel_photo,         Panel_observation,
          Panel_revoir};
}

std::vector<ButtonIcon*> TFormMain::icons() const {
  std::vector<ButtonIcon*> out;
  for (ImageButton* b : image_buttons())
    if (b->icon()) out.push_back(b->icon());
  return out;
}

void TFormMain::wire_handlers() {
  for (ImageButton* b : image_buttons()) {
    connect(b, &ImageButton::mouse_down, this, [this](ImageButton* p) { Panel_BT_MMouseDown(p); });
    connect(b, &ImageButton::mouse_up, this, [this](ImageButton* p) { Panel_BT_MMouseUp(p); });
    if (ButtonIcon* icon = b->icon()) {
      connect(icon, &ButtonIcon::mouse_down, this, [this](ButtonIcon* i) { Image_MouseDown(i); });
      connect(icon, &ButtonIcon::mouse_up, this, [this](ButtonIcon* i) { Image_MouseUp(i); });
    }
  }
  connect(Panel_help, &ImageButton::clicked, this,
          [this](ImageButton*) { run_handler([this] { Panel_helpClick(); }); });
  connect(Panel_visionner, &ImageButton::clicked, this,
          [this](ImageButton*) { run_handler([this] { Panel_visionnerClick(); }); });
  connect(Panel_rep, &ImageButton::clicked, this, [this](ImageButton*) { run_handler([this] { Panel_repClick(); }); });

  connect(xy_items, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) run_handler([this] { RadioGroup_xyClick(); });
  });
  connect(contraste_items, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) run_handler([this] { RadioGroup_contrasteClick(); });
  });

  // Gloved hands and eyes on the picture: the field actions have keys of their own, which work
  // whatever has the focus, in either window (each button still asks its usual questions).
  for (const auto& [key, button] : command_keys()) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::ApplicationShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, b = button] {
      run_handler([this, b] {
        traite_down(b);
        // A disabled button is left pressed for a mouse-up that a key never sends.
        b->release();
      });
    });
  }

  auto* correction = new QShortcut(QKeySequence(Qt::Key_F9), this);
  correction->setContext(Qt::ApplicationShortcut);
  connect(correction, &QShortcut::activated, this, [this] { run_handler([this] { correct_depth(); }); });

  connect(BitBtn2, &QPushButton::clicked, this, [this] { run_handler([this] { BitBtn2Click(); }); });
  connect(BitBtn_esc, &QPushButton::clicked, this, [this] { run_handler([this] { BitBtn_escClick(); }); });

  for (QLineEdit* e : {Edit_nom_prefixe, Edit_nom_forage, Edit_longueur, Edit_circ}) e->installEventFilter(this);
  for (QFrame* f : {Panel_nom_prefixe, Panel_nom_forage, Panel_longueur, Panel_circ}) f->installEventFilter(this);
  wire_panels();
}

void TFormMain::run_handler(const std::function<void()>& handler) { boundary_->run(handler); }

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease) {
    if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      run_handler([this, edit, key] { Edit_center_KeyUp(edit, key); });
    }
  } else if (event->type() == QEvent::MouseButtonPress) {
    if (auto* frame = qobject_cast<QFrame*>(watched)) {
      if (frame == Panel_nom_prefixe || frame == Panel_nom_forage || frame == Panel_longueur || frame == Panel_circ)
        run_handler([this, frame] { Panel_edit_centreClick(frame); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

// --- Window events ---------------------------------------------------------------------------

void TFormMain::FormCreate() {
  // Hints stay until the pointer leaves their control.
  setToolTipDuration(INT_MAX);
  for (QWidget* w : findChildren<QWidget*>()) w->setToolTipDuration(INT_MAX);

  centre_edit(Edit_nom_prefixe);
  centre_edit(Edit_circ);
  centre_edit(Edit_longueur);
  Label6->setText("KTX\nstation Wellvue\nv1.0");
  Label6->adjustSize();
  if (options_.config) {
    config_ = options_.config;
  } else {
    own_config_ = std::make_unique<TGraphConfig>();
    config_ = own_config_.get();
  }

  const QFileInfo exe(QCoreApplication::applicationFilePath());
  const QString help_path = exe.absolutePath() + "/" + exe.completeBaseName() + ".help";
  QFile help(help_path);
  if (help.exists() && help.open(QIODevice::ReadOnly)) Memo_help->setPlainText(to_qt(help.readAll().toStdString()));

  RadioGroup_xy->setToolTip("\n 4:3  \n\n 3:2  \n\n16:9  \n\n 1:1  \n");
  Label5->move(Panel4->width() + cap->width(), Label5->y());
  Label5->resize(std::max(0, width() - Label5->x() - 6), 46);
  if (screen_height() < kSmallScreen) {
    Panel_choix_cam->move(Panel_choix_cam->x(), 292);
    Button2->move(Button2->x(), 292 + 2);
    Panel_stop_capture->move(Panel_stop_capture->x(), Panel_start_capture->y() + 42);
    Panel_help->move(144, 499);
  }
  caption_prefix_ = QString::fromUtf8(kCaptionPrefix);
  update_caption();
  contrast_index_ = 0;
}

void TFormMain::FormShow() {
  if (!cap->engine().InitCapture()) {
    prompter_.inform("Can't init capture!");
    quit_after_start(1);
  }
  Button2->setFocus();
}

void TFormMain::quit_after_start(int code) {
  if (options_.quit_application) {
    options_.quit_application(code);
    return;
  }
  // Posted, so that it takes effect once the event loop runs: start-up completes first.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

void TFormMain::FormClose() {
  // A recording under way is finished (track closed and saved, file finalised) before the engine stops.
  if (links_.finish_recording) links_.finish_recording();
  TVideoCapture& e = cap->engine();
  e.StopPreview();
  e.StopCapture();
  if (links_.save_settings) links_.save_settings();
}

void TFormMain::FormDestroy() {
  config_ = nullptr;
  own_config_.reset();
}

void TFormMain::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (shown_once_) return;
  shown_once_ = true;
  // Now that the window manager's frame is known, the whole frame goes inside the screen.
  if (frameGeometry().size() != size()) fit_to_screen();
  run_handler([this] { FormShow(); });
  // The designed order: the first resize follows the show, so the focus ends on "Choix caméra".
  run_handler([this] { FormResize(); });
}

std::vector<std::pair<Qt::Key, ImageButton*>> TFormMain::command_keys() const {
  return {{Qt::Key_F2, Panel_start_capture}, {Qt::Key_F3, Panel_stop_capture}, {Qt::Key_F4, Panel_zero_margelle},
          {Qt::Key_F8, Panel_zero_eau},      {Qt::Key_F5, Panel_photo},        {Qt::Key_F6, Panel_observation},
          {Qt::Key_F7, Panel_revoir}};
}

bool TFormMain::may_close() {
  if (quitting_ || !cap->engine().Capturing()) return true;
  return prompter_.ask_yes_no(kStopAndQuitQuestion);
}

void TFormMain::quit_without_question(int code) {
  quitting_ = true;
  close();
  if (options_.end_process) {
    options_.end_process(code);
  } else {
    QCoreApplication::exit(code);
  }
}

void TFormMain::closeEvent(QCloseEvent* e) {
  bool may = true;
  run_handler([&] { may = may_close(); });
  if (!may) {
    e->ignore();
    return;
  }
  // Asked once: the EXIT button's close and the event loop's end do not ask again.
  quitting_ = true;
  run_handler([this] { FormClose(); });
  e->accept();
}

void TFormMain::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  dock();
  run_handler([this] { FormResize(); });
}

// --- Layout ----------------------------------------------------------------------------------

QRect TFormMain::available_area() const {
  if (!options_.available_area.isNull()) return options_.available_area;
  const QScreen* s = screen();
  return s ? s->availableGeometry() : QRect(0, 0, kDesignWidth, kDesignHeight);
}

void TFormMain::fit_to_screen() {
  const QRect avail = available_area();
  // The window manager's frame is known once the window is shown; before, it counts as nothing.
  const int frame_w = isVisible() ? frameGeometry().width() - width() : 0;
  const int frame_h = isVisible() ? frameGeometry().height() - height() : 0;
  const Box b = fitted_window({avail.x(), avail.y(), avail.width(), avail.height()}, frame_w, frame_h, kDesignWidth,
                              kDesignHeight);
  resize(b.width, b.height);
  move(b.x, b.y);
}

int TFormMain::left_panel_need() const {
  // The widest radio text with its indicator, inside its group, inside the panel's margins.
  int widest = 0;
  for (QButtonGroup* g : {xy_items, contraste_items})
    for (QAbstractButton* b : g->buttons()) widest = std::max(widest, b->x() + b->sizeHint().width());
  const int groups = RadioGroup_xy->x() + widest + 2;
  const int maker = Label6->x() + Label6->sizeHint().width() + 2;
  return std::max(groups, maker);
}

int TFormMain::screen_height() const {
  if (options_.screen_height > 0) return options_.screen_height;
  const QScreen* s = screen();
  return s ? s->geometry().height() : kDesignHeight;
}

QString TFormMain::aspect_text() const {
  QAbstractButton* b = xy_items->checkedButton();
  return b ? b->text() : QString();
}

void TFormMain::dock() {
  const int w = width();
  const int h = height();
  StatusBar->setGeometry(0, h - kStatusBarHeight, w, kStatusBarHeight);
  Panel1->setGeometry(0, h - kStatusBarHeight - kBottomBarHeight, w, kBottomBarHeight);
  const int middle = std::max(0, h - kStatusBarHeight - kBottomBarHeight);
  Panel4->setGeometry(0, 0, left_width_, middle);
  Panel3->setGeometry(w - right_width_, 0, right_width_, middle);
  if (cap) cap->setGeometry(left_width_, 0, std::max(0, w - left_width_ - right_width_), middle);
  Label6->move(Label6->x(), std::max(0, middle - Label6->height() - 8));
  // The depth line has the bottom bar up to the status text, the status text up to its right end.
  Label2->resize(std::max(0, Label5->x() - Label2->x() - 4), Label2->height());
  Label5->resize(std::max(0, w - Label5->x() - 6), 46);
  place_status_bar();
  // The left panel may get narrow (the layout rule gives it what the video leaves): its groups
  // and the stretched logo follow its width.
  const int inner = std::clamp(left_width_ - 12, 0, 140);
  RadioGroup_xy->resize(inner, RadioGroup_xy->height());
  RadioGroup_contraste->resize(inner, RadioGroup_contraste->height());
  Image1->setGeometry(6, Image1->y(), inner, inner);
  place_left_buttons();
}

void TFormMain::place_left_buttons() {
  constexpr int kHeight = 62;
  constexpr int kGap = 10;
  // Between the logo and the maker's text; the logo gives up height when the window is low.
  const int bottom = Label6->y() - kGap;
  const int need = 3 * kHeight + 3 * kGap;
  const int width = Image1->width();
  const int logo = std::clamp(bottom - need - Image1->y(), 0, width);
  if (Image1->height() != logo) {
    Image1->resize(logo, logo);
    Image1->move(6 + (width - logo) / 2, Image1->y());
  }
  const int top = Image1->y() + logo + kGap;
  for (int i = 0; ImageButton * b : {Panel_photo, Panel_observation, Panel_revoir}) {
    QRect g(6, top + i++ * (kHeight + kGap), width, kHeight);
    // A button held down keeps its press offset; its release moves it back.
    if (b->is_pressed()) g.translate(ImageButton::kPressShift, ImageButton::kPressShift);
    if (b->geometry() != g) b->setGeometry(g);
  }
}

void TFormMain::place_status_bar() {
  const int w = width();
  const int h = kStatusBarHeight - 2;
  int notice_left = 4;
  if (StatusBar_file->isVisibleTo(this)) {
    // The file name takes what it needs, up to two thirds of the bar; a longer path loses its
    // beginning, never the file's own name.
    const QFontMetrics fm(StatusBar_file->font());
    const int room = std::max(0, w * 2 / 3);
    const int need = fm.horizontalAdvance(recording_file_) + 8;
    const int width = std::min(need, room);
    StatusBar_file->setText(fm.elidedText(recording_file_, Qt::ElideLeft, width - 8));
    StatusBar_file->setGeometry(4, 1, width, h);
    notice_left = 4 + width + 12;
  }
  StatusBar_text->setGeometry(notice_left, 1, std::max(0, w - notice_left - 4), h);
}

void TFormMain::fit_button_column() {
  constexpr int kColumnHeight = 692;
  const int room = std::min(kColumnHeight, Panel3->height());
  std::vector<Span> design;
  design.reserve(column_design_.size());
  for (const auto& [w, r] : column_design_) design.push_back({r.y(), r.height()});
  const std::vector<Span> placed = compacted_column(design, kColumnHeight, room);
  for (std::size_t i = 0; i < column_design_.size(); ++i) {
    auto [w, r] = column_design_[i];
    // Widths stay as they are: a label sized to a new text keeps it.
    QRect g(r.x(), placed[i].top, w->width(), placed[i].height);
    // A button held down keeps its press offset; its release moves it back.
    if (auto* b = qobject_cast<ImageButton*>(w); b && b->is_pressed()) g.translate(2, 2);
    if (w->geometry() != g) w->setGeometry(g);
  }
  Panel10->resize(Panel10->width(), room);
}

void TFormMain::set_side_widths(int left, int right) {
  left_width_ = left;
  right_width_ = right;
  dock();
}

void TFormMain::FormResize() {
  if (screen_height() < kSmallScreen && aspect_text() == "16:9") {
    // Re-enters this rule through the aspect group's click.
    xy_items->button(3)->setChecked(true);
  }
  const std::string aspect = aspect_text().toStdString();
  const int window_width = frameGeometry().width();
  // The left panel keeps its controls; a video that would need its width is letterboxed instead.
  const SideWidths s = side_widths_keeping_left(window_width, cap->height(), aspect_from_text(aspect), least_left_);
  set_side_widths(s.left, s.right);
  cap->set_aspect(aspect_from_text(aspect));
  if (!column_design_.empty()) fit_button_column();
  Panel6->move(centred_offset(window_width, Panel6->width()), Panel6->y());
  Panel_margelle->move(centred_offset(window_width, Panel_margelle->width()), Panel_margelle->y());
  Panel10->move(centred_offset(Panel3->width(), Panel10->width()), centred_offset(Panel3->height(), Panel10->height()));
  Panel_calibration->move(centred_offset(cap->width(), Panel_calibration->width()) + Panel4->width(),
                          Panel_calibration->y());
  Memo_help->move(centred_offset(cap->width(), Memo_help->width()) + Panel4->width(), Memo_help->y());
  Panel_choix_cam->setFocus();
}

void TFormMain::RadioGroup_xyClick() { FormResize(); }

// --- Framed fields ---------------------------------------------------------------------------

void TFormMain::centre_edit(QLineEdit* edit) {
  int width = edit->width();
  if (edit == Edit_longueur) width = Panel_longueur->width();
  else if (edit == Edit_circ) width = Panel_circ->width();
  else if (edit == Edit_nom_prefixe) width = Panel_nom_prefixe->width() - 45;
  edit->resize(width, edit->height());
  edit->move(centred_edit_left(width, static_cast<int>(edit->text().size())), edit->y());
}

void TFormMain::Edit_center_KeyUp(QLineEdit* edit, int key) {
  centre_edit(edit);
  if (key == Qt::Key_Return || key == Qt::Key_Enter) Panel_choix_cam->setFocus();
}

void TFormMain::Panel_edit_centreClick(QFrame* frame) {
  if (frame == Panel_longueur) Edit_longueur->setFocus();
  else if (frame == Panel_nom_prefixe) Edit_nom_prefixe->setFocus();
  else if (frame == Panel_circ) Edit_circ->setFocus();
  else if (frame == Panel_nom_forage) Edit_nom_forage->setFocus();
}

// --- Caption and folder ------------------------------------------------------------------------

void TFormMain::update_caption() { setWindowTitle(caption_prefix_ + to_qt(video_folder_)); }

void TFormMain::set_video_folder(const std::string& folder) {
  video_folder_ = folder;
  update_caption();
}

}  // namespace wellvue
