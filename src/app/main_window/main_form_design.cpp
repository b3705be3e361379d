// The main window's controls as designed: names, captions, initial texts and places.
#include "app/main_window/svg_picture.h"

#include "app/main_window/fit_label.h"
#include "app/main_window/main_form.h"

namespace wellvue {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  l->move(x, y);
  l->adjustSize();
  return l;
}

QPushButton* push(QWidget* parent, const char* name, const QString& text, QRect r) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setGeometry(r);
  return b;
}

QFrame* panel(QWidget* parent, const char* name, QRect r = {}) {
  auto* f = new QFrame(parent);
  f->setObjectName(name);
  f->setAutoFillBackground(true);
  if (!r.isNull()) f->setGeometry(r);
  return f;
}

// A lowered frame with a borderless one-line edit inside it.
QFrame* framed_edit(QWidget* parent, const char* frame_name, const char* edit_name, const QString& text, QRect r,
                    int edit_width, QLineEdit** edit) {
  QFrame* f = panel(parent, frame_name, r);
  f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  f->setLineWidth(2);
  auto* e = new QLineEdit(text, f);
  e->setObjectName(edit_name);
  e->setFrame(false);
  QFont font = e->font();
  font.setPixelSize(14);
  font.setBold(true);
  e->setFont(font);
  e->setGeometry(3, (r.height() - 22) / 2, edit_width, 22);
  *edit = e;
  return f;
}

ImageButton* image_button(QWidget* parent, const char* name, const QString& caption, QRect r) {
  auto* b = new ImageButton(caption, parent);
  b->setObjectName(name);
  b->setGeometry(r);
  return b;
}

}  // namespace

void TFormMain::build_design() {
  setObjectName("FormMain");
  resize(kDesignWidth, kDesignHeight);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(160, 160, 160));
  setPalette(pal);
  setAutoFillBackground(true);

  // Bottom bar with the depth and the status, and the status bar under it.
  Panel1 = panel(this, "Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  QFont big = font();
  big.setPixelSize(40);
  Label2 = new FitLabel("0.00 m", Panel1);
  Label2->setObjectName("Label2");
  Label2->setFont(big);
  Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Label2->setGeometry(160, 2, 700, 46);
  // Its font shrinks when a text would pass the window's right edge.
  Label5 = new FitLabel("pas de COM", Panel1);
  Label5->setObjectName("Label5");
  Label5->move(900, 2);
  Label5->setFont(big);
  QPalette navy = Label5->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  Label5->setPalette(navy);
  Label5->adjustSize();
  StatusBar = panel(this, "StatusBar");
  StatusBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StatusBar_text = new QLabel(StatusBar);
  StatusBar_text->setObjectName("StatusBar_text");
  // The recording's own signs, in the bar's free space left of the depth and in the status bar.
  RecordingMark_rec = new RecordingMark(Panel1);
  RecordingMark_rec->setObjectName("RecordingMark_rec");
  RecordingMark_rec->setGeometry(6, 5, 150, 40);
  RecordingMark_rec->hide();
  StatusBar_file = new QLabel(StatusBar);
  StatusBar_file->setObjectName("StatusBar_file");
  QFont file_font = StatusBar_file->font();
  file_font.setBold(true);
  StatusBar_file->setFont(file_font);
  StatusBar_file->hide();

  build_left_panel();

  Panel3 = panel(this, "Panel3");
  build_button_column();

  cap = nullptr;  // made by the constructor, which owns the engine's backend
}

void TFormMain::build_left_panel() {
  Panel4 = panel(this, "Panel4");
  RadioGroup_xy = new QGroupBox(Panel4);
  RadioGroup_xy->setObjectName("RadioGroup_xy");
  RadioGroup_xy->setGeometry(6, 10, 140, 150);
  xy_items = new QButtonGroup(this);
  const char* aspects[] = {"4:3", "3:2", "16:9", "1:1"};
  for (int i = 0; i < 4; ++i) {
    auto* r = new QRadioButton(aspects[i], RadioGroup_xy);
    r->setObjectName(QString("RadioGroup_xy_%1").arg(i));
    r->setGeometry(14, 14 + i * 32, 110, 26);
    QFont f = r->font();
    f.setPixelSize(16);
    f.setBold(true);
    r->setFont(f);
    xy_items->addButton(r, i);
  }
  xy_items->button(0)->setChecked(true);

  RadioGroup_contraste = new QGroupBox("contraste", Panel4);
  RadioGroup_contraste->setObjectName("RadioGroup_contraste");
  RadioGroup_contraste->setGeometry(6, 172, 140, 112);
  contraste_items = new QButtonGroup(this);
  const char* schemes[] = {"normal", "clair", "sombre"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new QRadioButton(schemes[i], RadioGroup_contraste);
    r->setObjectName(QString("RadioGroup_contraste_%1").arg(i));
    r->setGeometry(14, 24 + i * 28, 110, 24);
    contraste_items->addButton(r, i);
  }
  contraste_items->button(0)->setChecked(true);

  auto* logo = new SvgPicture(":/main_window/icons/logo.svg", Panel4);
  logo->setObjectName("Image1");
  logo->setGeometry(6, 300, 140, 140);
  Image1 = logo;

  // Placed under the logo by the layout, which follows the logo's size.
  Panel_photo = image_button(Panel4, "Panel_photo", QString::fromUtf8("Photo"), QRect(6, 450, 140, 62));
  Panel_photo->add_icon(":/main_window/icons/photo.svg", "Image_photo");
  Panel_photo->setToolTip(QString::fromUtf8(" Photo de l'image vidéo (F5) "));
  Panel_observation =
      image_button(Panel4, "Panel_observation", QString::fromUtf8("Observation"), QRect(6, 522, 140, 62));
  Panel_observation->add_icon(":/main_window/icons/observation.svg", "Image_observation");
  Panel_observation->setToolTip(QString::fromUtf8(" Observation à la profondeur actuelle (F6) "));
  Panel_revoir = image_button(Panel4, "Panel_revoir", QString::fromUtf8("Revoir"), QRect(6, 594, 140, 62));
  Panel_revoir->add_icon(":/main_window/icons/revoir.svg", "Image_revoir");
  Panel_revoir->setToolTip(QString::fromUtf8(" Revoir la dernière vidéo par la profondeur (F7) "));
  // Disabled until a camera is chosen, like the start of a recording. The panel is narrow: each
  // icon above its caption.
  for (ImageButton* b : {Panel_photo, Panel_observation, Panel_revoir}) {
    b->set_icon_above(true);
    b->set_font_colour(ImageButton::disabled_colour());
  }

  Label6 = label(Panel4, "Label6", "KTX", 8, 600);
  QFont small = Label6->font();
  small.setPixelSize(11);
  Label6->setFont(small);
  QPalette navy = Label6->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  Label6->setPalette(navy);
}

void TFormMain::build_button_column() {
  Panel10 = panel(Panel3, "Panel10", QRect(13, 27, 206, 692));
  constexpr int L = 3;
  constexpr int W = 200;
  constexpr int H = 42;

  // Focus holder first, so that the panel above it covers it.
  Button2 = push(Panel10, "Button2", QString::fromUtf8("Choix caméra(obligé)"), QRect(L, 8 + 2, W, H - 4));
  Panel_choix_cam =
      image_button(Panel10, "Panel_choix_cam", QString::fromUtf8("           Choix caméra"), QRect(L, 8, W, H));
  Panel_choix_cam->add_icon(":/main_window/icons/choix_cam.svg", "Image_choix_cam");

  Label1 = label(Panel10, "Label1", QString::fromUtf8("nom du fichier vidéo  (*.avi)"), L, 58);
  Panel_nom_prefixe = framed_edit(Panel10, "Panel_nom_prefixe", "Edit_nom_prefixe", "CXapture", QRect(L, 76, W, 30),
                                  W - 45, &Edit_nom_prefixe);
  CheckBox1 = new QCheckBox("plus la date", Panel10);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setGeometry(L + 4, 110, W - 8, 20);
  CheckBox1->setChecked(true);
  Panel_rep = image_button(Panel10, "Panel_rep", QString::fromUtf8("Choix répertoire vidéo"), QRect(L, 134, W, 28));
  Panel_rep->set_caption_pixel_size(13);
  Panel_rep->setToolTip(QString::fromUtf8(" Sélectionner le répertoire d'enregistrement vidéo "));
  Label7 = label(Panel10, "Label7", ".. cm", L + 4, 166);
  QFont bold = Label7->font();
  bold.setPixelSize(16);
  bold.setBold(true);
  Label7->setFont(bold);
  Label7->adjustSize();
  Panel_nom_forage = framed_edit(Panel10, "Panel_nom_forage", "Edit_nom_forage", "forage", QRect(L, 192, W, 30), W - 50,
                                 &Edit_nom_forage);
  Panel_nom_forage->setToolTip(QString::fromUtf8("début de ligne enregistrée si  différent de \"forage\""));

  Panel_visionner =
      image_button(Panel10, "Panel_visionner", QString::fromUtf8(" Voir la dernière vidéo"), QRect(L, 240, W, H));
  Panel_visionner->setToolTip("Visionner");

  Panel_start_capture = image_button(Panel10, "Panel_start_capture", "           Start capture ?", QRect(L, 334, W, H));
  Panel_start_capture->add_icon(":/main_window/icons/start_capture.svg", "Image_start_capture");
  Panel_stop_capture = image_button(Panel10, "Panel_stop_capture", "           Stop capture", QRect(L, 386, W, H));
  Panel_stop_capture->add_icon(":/main_window/icons/stop_capture.svg", "Image_stop_capture");
  Panel_stop_capture->setToolTip("   Stop capture   ");
  Panel_open_com = image_button(Panel10, "Panel_open_com", "         Port COM RS232", QRect(L, 438, W, H));
  Panel_open_com->add_icon(":/main_window/icons/open_com.svg", "Image_open_com");
  Panel_BT_calibration_M = image_button(Panel10, "Panel_BT_calibration_M", "      Calibration", QRect(L, 490, 138, H));
  Panel_BT_calibration_M->add_icon(":/main_window/icons/calibration.svg", "Image_calibration");
  Panel_BT_calibration_M->setToolTip("  Calibration   ");
  Panel_help = image_button(Panel10, "Panel_help", "?", QRect(L + 141, 490, W - 141, H));
  Panel_help->set_caption_pixel_size(27);
  Panel_zero_margelle = image_button(Panel10, "Panel_zero_margelle", "      ZERO margelle", QRect(L, 542, W, H));
  Panel_zero_margelle->add_icon(":/main_window/icons/margelle.svg", "Image_margelle");
  Panel_zero_margelle->setToolTip("  ZERO margelle   ");
  Panel_zero_eau = image_button(Panel10, "Panel_zero_eau", "      ZERO eau", QRect(L, 594, W, H));
  Panel_zero_eau->add_icon(":/main_window/icons/eau.svg", "Image_eau");
  Panel_zero_eau->setToolTip("   ZERO eau   ");
  Panel_exit = image_button(Panel10, "Panel_exit", "            EXIT   ", QRect(L, 646, W, H));
  Panel_exit->add_icon(":/main_window/icons/exit.svg", "Image_exit");

  // Designed states: start, stop, curb, water and "Voir la dernière vidéo" disabled.
  for (ImageButton* b : {Panel_start_capture, Panel_stop_capture, Panel_visionner, Panel_zero_margelle, Panel_zero_eau})
    b->set_font_colour(ImageButton::disabled_colour());
  Panel_help->set_font_colour(QColor(0, 0, 128));
}

void TFormMain::build_overlays() {
  Panel6 = panel(this, "Panel6", QRect(0, 120, 420, 80));
  Panel6->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel6->hide();

  Panel_margelle = panel(this, "Panel_margelle", QRect(0, 160, 330, 170));
  Panel_margelle->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel_margelle->setLineWidth(3);
  Label8 = label(Panel_margelle, "Label8", "ZERO margelle", 16, 12);
  QFont title = Label8->font();
  title.setPixelSize(22);
  title.setBold(true);
  Label8->setFont(title);
  Label8->adjustSize();
  ComboBox1 = new QComboBox(Panel_margelle);
  ComboBox1->setObjectName("ComboBox1");
  ComboBox1->setEditable(true);
  ComboBox1->addItems({"0 cm", "10 cm", "50 cm", "100 cm", "150 cm", "200 cm"});
  ComboBox1->setEditText(QString::fromUtf8("départ à .. cm"));
  ComboBox1->setGeometry(16, 56, 200, 30);
  BitBtn1 = push(Panel_margelle, "BitBtn1", "Ok", QRect(16, 110, 120, 40));
  BitBtn2 = push(Panel_margelle, "BitBtn2", "exit", QRect(190, 110, 120, 40));
  Panel_margelle->hide();

  Panel_calibration = panel(this, "Panel_calibration", QRect(0, 250, 760, 130));
  Panel_calibration->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel_calibration->setLineWidth(3);
  Label23 = label(Panel_calibration, "Label23", "Calibration", 12, 6);
  Label23->setFont(title);
  Label23->adjustSize();
  Label9 = label(Panel_calibration, "Label9", "L =", 12, 50);
  Panel_longueur =
      framed_edit(Panel_calibration, "Panel_longueur", "Edit_longueur", "5", QRect(44, 44, 60, 30), 60, &Edit_longueur);
  Label11 = label(Panel_calibration, "Label11", "m", 110, 50);
  BitBtn_start = push(Panel_calibration, "BitBtn_start", "Start = 0 m", QRect(140, 42, 130, 34));
  Label_tic = label(Panel_calibration, "Label_tic", "tics", 290, 50);
  Label_tic->setMinimumWidth(70);
  Label_tic->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label12 = label(Panel_calibration, "Label12", "tics", 366, 50);
  BitBtn_stop = push(Panel_calibration, "BitBtn_stop", "Stop = L m", QRect(410, 42, 130, 34));
  BitBtn_stop->setEnabled(false);
  Label24 = label(Panel_calibration, "Label24", QString::fromUtf8("un tour représente"), 12, 92);
  Panel_circ = framed_edit(Panel_calibration, "Panel_circ", "Edit_circ", "405", QRect(140, 86, 70, 30), 70, &Edit_circ);
  Label20 = label(Panel_calibration, "Label20", "mm", 216, 92);
  BitBtn_manu = push(Panel_calibration, "BitBtn_manu", QString::fromUtf8("<- validation manuelle forcée"),
                     QRect(250, 84, 230, 34));
  BitBtn_esc = push(Panel_calibration, "BitBtn_esc", "exit", QRect(620, 84, 120, 34));
  Panel_calibration->hide();

  Memo_help = new QPlainTextEdit(this);
  Memo_help->setObjectName("Memo_help");
  Memo_help->setGeometry(0, 100, 600, 420);
  Memo_help->hide();

  ListBox_param = new QListWidget(this);
  ListBox_param->setObjectName("ListBox_param");
  ListBox_param->hide();
}

}  // namespace wellvue
