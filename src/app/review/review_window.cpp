#include "app/review/review_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/link_window/settings_location.h"
#include "app/review/depth_ruler.h"
#include "app/review/profile_plot.h"
#include "app/review/review_picture.h"
#include "app/services/qt_prompter.h"
#include "app/services/text_bridge.h"
#include "capture/gst/playback.h"
#include "report/deliverable_choices.h"
#include "util/typed_number.h"
#include "util/cp1252.h"
#include "util/depth_text.h"
#include "util/time_code.h"

namespace wellvue {

namespace {

// While playing, the depth and the profile follow the picture at this pace.
constexpr int kTickMs = 100;
const QSize kThumbnail(96, 72);

QString from_utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

ReviewWindow::ReviewWindow(const std::string& video_path, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window),
      recording_(load_review_recording(video_path)),
      video_path_(video_path),
      choices_file_(deliverable_choices_path(
                        station_settings_location(QCoreApplication::applicationFilePath()).settings_file)
                        .string()),
      prompter_(prompter),
      player_(gst::make_player()) {
  frame_ms_ = 1000.0 / recording_.frame_rate;
  build();
  fill_marks();
  setWindowTitle(QStringLiteral("Revoir - %1").arg(QFileInfo(from_utf8(video_path)).fileName()));
}

ReviewWindow::~ReviewWindow() {
  // The pipeline stops while the picture it draws into still exists.
  player_.reset();
}

void ReviewWindow::build() {
  picture_ = new ReviewPicture(this);
  ruler_ = new DepthRuler(this);
  ruler_->set_range(recording_.track.min_depth(), recording_.track.max_depth());
  profile_ = new ProfilePlot(this);
  profile_->setFixedHeight(110);
  depth_label_ = new QLabel(this);
  depth_label_->setAlignment(Qt::AlignCenter);
  QFont big = depth_label_->font();
  big.setPixelSize(40);
  big.setBold(true);
  depth_label_->setFont(big);
  time_label_ = new QLabel(this);
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  note_->setStyleSheet(QStringLiteral("color: #a00000;"));
  if (!recording_.warning.empty()) note_->setText(to_qt(recording_.warning));

  depth_field_ = new QLineEdit(this);
  depth_field_->setPlaceholderText(QStringLiteral("ex. 12,5"));
  depth_field_->setMaximumWidth(110);
  direction_ = new QComboBox(this);
  direction_->addItem(QStringLiteral("à la descente"));
  direction_->addItem(QStringLiteral("à la remontée"));
  auto* previous = new QPushButton(QStringLiteral("◀ Image précédente"), this);
  play_ = new QPushButton(QStringLiteral("Lecture"), this);
  auto* next = new QPushButton(QStringLiteral("Image suivante ▶"), this);
  auto* photo = new QPushButton(QStringLiteral("Photo"), this);
  auto* export_button = new QPushButton(QStringLiteral("Exporter…"), this);
  export_button->setToolTip(QStringLiteral("La vidéo en H.264 avec la profondeur et les observations à l'intérieur"));
  auto* report_button = new QPushButton(QStringLiteral("Rapport PDF…"), this);
  marks_ = new QListWidget(this);
  marks_->setIconSize(kThumbnail);
  marks_->setFixedWidth(250);
  marks_->setWordWrap(true);

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Aller à la profondeur (m)"), this));
  controls->addWidget(depth_field_);
  controls->addWidget(direction_);
  controls->addSpacing(16);
  controls->addWidget(previous);
  controls->addWidget(play_);
  controls->addWidget(next);
  controls->addWidget(photo);
  controls->addSpacing(16);
  controls->addWidget(export_button);
  controls->addWidget(report_button);
  controls->addStretch(1);
  controls->addWidget(time_label_);

  auto* view = new QHBoxLayout;
  view->addWidget(ruler_);
  view->addWidget(picture_, 1);
  auto* centre = new QVBoxLayout;
  centre->addLayout(view, 1);
  centre->addWidget(depth_label_);
  centre->addWidget(profile_);
  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel(QStringLiteral("Observations et photos"), this));
  side->addWidget(marks_, 1);
  auto* body = new QHBoxLayout;
  body->addLayout(centre, 1);
  body->addLayout(side);
  auto* top = new QVBoxLayout(this);
  top->addLayout(controls);
  top->addWidget(note_);
  top->addLayout(body, 1);

  connect(depth_field_, &QLineEdit::returnPressed, this, [this] { on_depth_entered(); });
  connect(ruler_, &DepthRuler::depth_clicked, this, [this](double d) { go_to_depth(d); });
  connect(profile_, &ProfilePlot::time_clicked, this, [this](std::int64_t ms) { go_to_ms(ms); });
  connect(marks_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { go_to_ms(item->data(Qt::UserRole).toLongLong()); });
  connect(previous, &QPushButton::clicked, this, [this] { step(-1); });
  connect(next, &QPushButton::clicked, this, [this] { step(1); });
  connect(play_, &QPushButton::clicked, this, [this] { toggle_play(); });
  connect(photo, &QPushButton::clicked, this, [this] { save_photo(); });
  connect(export_button, &QPushButton::clicked, this, [this] { export_video(); });
  connect(report_button, &QPushButton::clicked, this, [this] { write_report(); });
  connect(picture_, &ReviewPicture::picture_changed, this, [this] { show_position(); });
  new QShortcut(QKeySequence(Qt::Key_Left), this, [this] { step(-1); });
  new QShortcut(QKeySequence(Qt::Key_Right), this, [this] { step(1); });
  new QShortcut(QKeySequence(Qt::Key_Space), this, [this] { toggle_play(); });
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { tick(); });
  timer_->start(kTickMs);
  resize(1280, 720);
}

void ReviewWindow::fill_marks() {
  for (const ReviewMark& mark : recording_.marks) {
    QString text =
        QStringLiteral("%1  %2\n%3")
            .arg(to_qt(depth_text(mark.depth_m)),
                 QString::fromStdString(time_code_of_ms(static_cast<std::uint64_t>(mark.ms)).substr(0, 8)),
                 mark.kind == ReviewMark::Kind::Observation ? from_utf8(mark.text) : QStringLiteral("Photo"));
    auto* item = new QListWidgetItem(text, marks_);
    item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(mark.ms));
    QImage thumb;
    if (!mark.photo_path.empty() && thumb.load(from_utf8(mark.photo_path)))
      item->setIcon(QIcon(QPixmap::fromImage(thumb.scaled(kThumbnail, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
    item->setToolTip(from_utf8(mark.photo_path));
  }
}

bool ReviewWindow::open(std::string& error) {
  std::string why;
  if (!player_->open(recording_.video_path, picture_, why)) {
    error = "La vid\xE9o " + utf8_to_cp1252(recording_.video_path) + " ne peut pas \xEAtre lue : " + why;
    return false;
  }
  if (player_->frame_rate() > 0) frame_ms_ = 1000.0 / player_->frame_rate();
  profile_->set_track(recording_.track, player_->duration_ms());
  show_position();
  return true;
}

void ReviewWindow::on_depth_entered() {
  // The station's one reader of typed numbers: a point or a comma, "m" after it or not.
  const std::optional<double> depth = read_typed_number(depth_field_->text().toStdString(), "m");
  if (!depth) {
    note_->setText(QStringLiteral("« %1 » n'est pas une profondeur en mètres.").arg(depth_field_->text()));
    return;
  }
  go_to_depth(*depth);
}

bool ReviewWindow::go_to_depth(double depth_m) {
  const PassDirection direction = direction_->currentIndex() == 1 ? PassDirection::Ascent : PassDirection::Descent;
  const auto found = recording_.track.seek(depth_m, direction, frame_ms_);
  if (!found) {
    note_->setText(QStringLiteral("Cet enregistrement n'a pas de profondeurs."));
    return false;
  }
  note_->setText(to_qt(found->note));
  return go_to_ms(found->ms);
}

bool ReviewWindow::go_to_ms(std::int64_t ms) {
  const bool ok = player_->seek_ms(ms);
  show_position();
  return ok;
}

bool ReviewWindow::step(int frames) {
  const bool ok = player_->step(frames);
  play_->setText(QStringLiteral("Lecture"));
  show_position();
  return ok;
}

void ReviewWindow::toggle_play() {
  if (player_->playing()) {
    player_->pause();
  } else {
    player_->play();
  }
  play_->setText(player_->playing() ? QStringLiteral("Pause") : QStringLiteral("Lecture"));
}

void ReviewWindow::show_position() {
  const std::int64_t ms = std::max<std::int64_t>(0, player_->frame_ms());
  if (const auto depth = recording_.track.depth_at(ms)) {
    depth_label_->setText(to_qt(depth_text(*depth)));
    ruler_->set_current(*depth);
  } else {
    depth_label_->setText(QStringLiteral("---"));
  }
  profile_->set_current(ms);
  time_label_->setText(QString::fromStdString(time_code_of_ms(static_cast<std::uint64_t>(ms))));
}

void ReviewWindow::tick() {
  const std::string error = player_->poll();
  if (!error.empty()) {
    player_->pause();
    prompter_.inform("La lecture de la vid\xE9o s'est interrompue : " + error);
  }
  if (!player_->playing()) play_->setText(QStringLiteral("Lecture"));
  if (player_->playing()) show_position();
}

ReviewWindow* open_review_window(const std::string& video_path, QWidget* parent) {
  auto* prompter = new QtPrompter(parent);
  auto* window = new ReviewWindow(video_path, *prompter, parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(window, &QObject::destroyed, [prompter] { delete prompter; });
  std::string error;
  if (!window->open(error)) {
    prompter->inform(error);
    delete window;
    return nullptr;
  }
  // The whole screen's worth on a small one, most of it on a large one.
  if (const QScreen* screen = window->screen()) {
    const QRect area = screen->availableGeometry();
    constexpr int kFrameAllowance = 40;  // the title bar and borders the window manager adds
    window->resize(std::min(area.width(), std::max(1280, area.width() * 85 / 100)),
                   std::min(area.height() - kFrameAllowance, std::max(720, area.height() * 85 / 100)));
  }
  window->show();
  return window;
}

}  // namespace wellvue
