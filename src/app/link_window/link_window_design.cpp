#include "app/link_window/link_window_design.h"

#include <QFont>

#include "app/services/placed_widget.h"
#include "encoder/line_log.h"

namespace wellvue {
namespace {

QLabel* label(QWidget* p, const char* name, const QString& text, int x, int y, int w, int h) {
  return place(new QLabel(text, p), name, x, y, w, h);
}

QLabel* big_label(QWidget* p, const char* name, const QString& text, int px, int x, int y, int w, int h) {
  QLabel* l = label(p, name, text, x, y, w, h);
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(px);
  l->setFont(f);
  return l;
}

QLineEdit* edit(QWidget* p, const char* name, const QString& text, int x, int y, int w, int h = 24) {
  return place(new QLineEdit(text, p), name, x, y, w, h);
}

QPushButton* button(QWidget* p, const char* name, const QString& text, int x, int y, int w, int h = 28) {
  return place(new QPushButton(text, p), name, x, y, w, h);
}

QCheckBox* check(QWidget* p, const char* name, const QString& text, bool on, int x, int y, int w) {
  QCheckBox* c = place(new QCheckBox(text, p), name, x, y, w, 24);
  c->setChecked(on);
  return c;
}

QPlainTextEdit* memo(QWidget* p, const char* name, const QString& text, int x, int y, int w, int h) {
  QPlainTextEdit* m = place(new QPlainTextEdit(text, p), name, x, y, w, h);
  m->setLineWrapMode(QPlainTextEdit::NoWrap);
  return m;
}

QComboBox* combo(QWidget* p, const char* name, const QString& text, int x, int y, int w) {
  QComboBox* c = place(new QComboBox(p), name, x, y, w, 26);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->setEditText(text);
  return c;
}

}  // namespace

LinkWindowDesign LinkWindowDesign::build(QWidget* win) {
  LinkWindowDesign d;
  win->setWindowTitle(QStringLiteral("Form1"));
  win->resize(1470, 865);
  auto& adv = d.advanced;

  // Large displays.
  d.Label1 = big_label(win, "Label1", QStringLiteral("choix com"), 64, 10, 0, 840, 80);
  d.Label2 = big_label(win, "Label2", QStringLiteral("com..."), 27, 10, 82, 840, 40);
  d.Label18 = big_label(win, "Label18", QStringLiteral("---"), 35, 870, 10, 590, 50);

  // Port choice and opening.
  d.Button8 = button(win, "Button8", QStringLiteral("liste  COM disponibles"), 10, 130, 190);
  d.ComboBox1_port_com = combo(win, "ComboBox1_port_com", QString::fromLatin1(kInitialPortText), 210, 131, 200);
  d.ComboBox1_port_com->addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3")});
  d.ComboBox1_port_com->setCurrentIndex(-1);
  d.ComboBox1_port_com->setEditText(QString::fromLatin1(kInitialPortText));
  d.Button1 = button(win, "Button1", QStringLiteral("OpenCom"), 420, 130, 110);
  d.Button2 = button(win, "Button2", QStringLiteral("CloseCom"), 540, 130, 110);
  d.Button9 = button(win, "Button9", QStringLiteral("RS232-Hercule.exe"), 660, 130, 180);

  d.Label32 = label(win, "Label32", QStringLiteral("Roue encodeuse Arduino : 9600"), 10, 168, 230, 24);
  d.ComboBox_baudrate = combo(win, "ComboBox_baudrate", QString::fromLatin1(kInitialBaudText), 240, 167, 100);
  label(win, "Label4", QStringLiteral("Parity"), 360, 168, 50, 24);
  d.Edit4 = edit(win, "Edit4", QStringLiteral("N"), 410, 168, 40);
  label(win, "Label5", QStringLiteral("ByteSize"), 465, 168, 65, 24);
  d.Edit5 = edit(win, "Edit5", QStringLiteral("8"), 530, 168, 40);
  label(win, "Label6", QStringLiteral("StopBit"), 585, 168, 60, 24);
  d.Edit2 = edit(win, "Edit2", QStringLiteral("1"), 645, 168, 40);

  d.CheckBox_options_avancees =
      check(win, "CheckBox_options_avancees", QStringLiteral("Options avancées"), false, 10, 206, 170);
  d.Button4 = button(win, "Button4", QStringLiteral("enregistrer  paramètres"), 190, 204, 200);
  d.Button6 = button(win, "Button6", QStringLiteral("exit"), 400, 204, 100);
  d.Button3 = button(win, "Button3", QStringLiteral("exit programme"), 510, 204, 150);
  adv.insert(adv.end(), {d.Button4, d.Button3});

  // Polling interval, time-outs and modem lines.
  adv.push_back(label(win, "Label3", QStringLiteral("TIMER scrutation"), 10, 246, 130, 24));
  d.Edit6 = edit(win, "Edit6", QStringLiteral("10"), 140, 246, 60);
  adv.push_back(label(win, "Label8", QStringLiteral("T  i  m  e  O  u  t"), 230, 246, 200, 24));
  const char* captions[] = {"ReadIntervalTimeout (20)", "ReadTotalTimeoutMultiplier (10)",
                            "ReadTotalTimeoutConstant (100)", "WriteTotalTimeoutMultiplier (10)",
                            "WriteTotalTimeoutConstant (100)"};
  const char* caption_names[] = {"Label9", "Label10", "Label11", "Label12", "Label13"};
  const char* edit_names[] = {"Edit7", "Edit8", "Edit9", "Edit10", "Edit11"};
  const char* initial[] = {"10", "10", "100", "10", "100"};
  QLineEdit** edits[] = {&d.Edit7, &d.Edit8, &d.Edit9, &d.Edit10, &d.Edit11};
  for (int i = 0; i < 5; ++i) {
    const int y = 272 + 26 * i;
    adv.push_back(label(win, caption_names[i], QString::fromLatin1(captions[i]), 230, y, 240, 24));
    *edits[i] = edit(win, edit_names[i], QString::fromLatin1(initial[i]), 470, y, 60);
    adv.push_back(*edits[i]);
  }
  adv.push_back(d.Edit6);
  d.CheckBox1 = check(win, "CheckBox1", QStringLiteral("DTR"), true, 10, 280, 80);
  d.CheckBox2 = check(win, "CheckBox2", QStringLiteral("RTS"), true, 10, 306, 80);
  adv.insert(adv.end(), {d.CheckBox1, d.CheckBox2});

  // Diagnostic columns; the scan list takes their place when they are hidden.
  const char* heads[] = {"connexions", "lectures tentées", "lectures réussies", "contenus séparés"};
  const char* head_names[] = {"Label14", "Label15", "Label16", "Label17"};
  const char* memo_names[] = {"Memo3", "Memo1", "Memo4", "Memo2"};
  LinesView** memos[] = {&d.Memo3, &d.Memo1, &d.Memo4, &d.Memo2};
  for (int i = 0; i < 4; ++i) {
    const int x = 10 + 212 * i;
    adv.push_back(label(win, head_names[i], QString::fromUtf8(heads[i]), x, 410, 206, 22));
    // Their lines stay in memory: the columns keep only their last lines, as the link does.
    *memos[i] = place(new LinesView(win, QString()), memo_names[i], x, 434, 206, 420);
    (*memos[i])->set_line_limit(kDiagnosticLines);
    adv.push_back(*memos[i]);
  }
  d.Memo7 = memo(win, "Memo7", QStringLiteral("Memo7"), 10, 410, 842, 444);
  d.Memo7->setReadOnly(true);

  // Zeroing, start depth, sign and padding.
  d.SpeedButton1 = button(win, "SpeedButton1", QStringLiteral("ZERO margelle"), 870, 70, 140, 32);
  d.SpeedButton2 = button(win, "SpeedButton2", QStringLiteral("ZERO eau"), 1020, 70, 140, 32);
  d.SpeedButton4 = button(win, "SpeedButton4", QStringLiteral("compteur à zéro"), 1170, 70, 140, 32);
  d.SpeedButton3 = button(win, "SpeedButton3", QStringLiteral("Calibration"), 1320, 70, 140, 32);
  d.ComboBox2 = combo(win, "ComboBox2", QString(), 870, 112, 140);
  d.Label22 = label(win, "Label22", QStringLiteral(".. cm"), 1020, 112, 90, 26);
  d.CheckBox3 = check(win, "CheckBox3", QStringLiteral("sens positif"), true, 1170, 112, 140);
  adv.insert(adv.end(), {d.ComboBox2, d.Label22, d.CheckBox3});
  adv.push_back(
      label(win, "Label19", QStringLiteral("TEXTE Aligné à droite  code ASCII caractère début"), 870, 146, 380, 24));
  d.Edit13 = edit(win, "Edit13", QStringLiteral("160"), 1260, 146, 60);
  adv.push_back(label(win, "Label21", QStringLiteral("nb d'espaces à rajouter gauche"), 870, 174, 380, 24));
  d.Edit14 = edit(win, "Edit14", QStringLiteral("38"), 1260, 174, 60);
  adv.insert(adv.end(), {d.Edit13, d.Edit14});

  // Calibration panel, hidden at first.
  d.Panel_calibration = place(new QFrame(win), "Panel_calibration", 870, 204, 590, 150);
  d.Panel_calibration->setFrameShape(QFrame::Panel);
  d.Panel_calibration->setFrameShadow(QFrame::Raised);
  d.Panel_calibration->setAutoFillBackground(true);
  QWidget* pc = d.Panel_calibration;
  QLabel* title = label(pc, "Label_calibration", QStringLiteral("Calibration"), 10, 6, 200, 24);
  QFont tf = title->font();
  tf.setBold(true);
  title->setFont(tf);
  d.Edit_longueur = edit(pc, "Edit_longueur", QStringLiteral("5"), 10, 40, 50);
  label(pc, "Label23", QStringLiteral("mètres  =>  un tour représente"), 66, 40, 220, 24);
  d.Edit_circ = edit(pc, "Edit_circ", QStringLiteral("404"), 290, 40, 70);
  label(pc, "Label24", QStringLiteral("mm"), 366, 40, 30, 24);
  d.BitBtn_manu = button(pc, "BitBtn_manu", QStringLiteral("<- validation manuelle forcée"), 400, 38, 180);
  d.BitBtn_start = button(pc, "BitBtn_start", QStringLiteral("Start"), 10, 78, 100);
  d.BitBtn_stop = button(pc, "BitBtn_stop", QStringLiteral("Stop"), 120, 78, 100);
  d.BitBtn_stop->setEnabled(false);
  d.Label_tic = label(pc, "Label_tic", QStringLiteral("tics"), 240, 80, 150, 24);
  d.BitBtn_esc = button(pc, "BitBtn_esc", QStringLiteral("fermer"), 480, 112, 100);
  d.Panel_calibration->hide();

  // Subtitle buffer and acquisition switch.
  d.RadioGroup1 = place(new QGroupBox(win), "RadioGroup1", 870, 362, 200, 70);
  d.RadioGroup1_acquisition =
      place(new QRadioButton(QStringLiteral("acquisition -> *.srt"), d.RadioGroup1), "RadioGroup1_0", 8, 14, 185, 24);
  d.RadioGroup1_stop = place(new QRadioButton(QStringLiteral("stop"), d.RadioGroup1), "RadioGroup1_1", 8, 40, 185, 24);
  d.RadioGroup1_stop->setChecked(true);
  d.Button5 = button(win, "Button5", QStringLiteral("save ->"), 1080, 400, 80);
  // Read-only: the track lives in the link; edits here would never be saved.
  d.Memo5 = place(new LinesView(win, LinesView::default_spill_folder()), "Memo5", 870, 440, 290, 414);
  adv.insert(adv.end(), {d.RadioGroup1, d.Button5, d.Memo5});

  // Room of the re-timing tool.
  d.Panel1 = place(new QFrame(win), "Panel1", 1170, 362, 290, 218);
  d.Panel1->setFrameShape(QFrame::StyledPanel);
  d.Label27 = place(new ElidedLabel(QStringLiteral("fichier post-traité"), win), "Label27", 1170, 584, 290, 22);
  d.Memo6 = memo(win, "Memo6", QString(), 1170, 608, 290, 246);
  adv.insert(adv.end(), {d.Panel1, d.Label27, d.Memo6});

  for (QWidget* w : adv) w->hide();
  return d;
}

}  // namespace wellvue
