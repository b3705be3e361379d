// The form design of the capture configuration dialog: every control with its design caption,
// items and state. The logic that fills and enables them is in graph_config_form.cpp.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/graph_config/graph_config_form.h"

namespace wellvue {
namespace {

template <typename W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text) { return named(new QLabel(text, parent), name); }

// Check boxes are designed grayed; filling sets each to checked or unchecked.
QCheckBox* grayed_box(QWidget* parent, const char* name, const QString& text) {
  auto* box = named(new QCheckBox(text, parent), name);
  box->setCheckState(Qt::PartiallyChecked);
  return box;
}

QComboBox* drop_down_list(QWidget* parent, const char* name) {
  auto* combo = named(new QComboBox(parent), name);
  combo->setEditable(false);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  combo->setMinimumContentsLength(24);
  return combo;
}

}  // namespace

void TFGraphConfig::build_form() {
  setWindowTitle(QString::fromLatin1(kCaption));
  setModal(true);

  // Sources.
  GroupBox1 = named(new QGroupBox(QStringLiteral(" Capture Sources "), this), "GroupBox1");
  Label1 = label(GroupBox1, "Label1", QStringLiteral("Video"));
  cbVSources = drop_down_list(GroupBox1, "cbVSources");
  Label2 = label(GroupBox1, "Label2", QStringLiteral("Audio"));
  cbASources = drop_down_list(GroupBox1, "cbASources");
  auto* sources = new QGridLayout(GroupBox1);
  sources->addWidget(Label1, 0, 0);
  sources->addWidget(cbVSources, 0, 1);
  sources->addWidget(Label2, 1, 0);
  sources->addWidget(cbASources, 1, 1);
  sources->setColumnStretch(1, 1);

  // Compressors.
  GroupBox2 = named(new QGroupBox(QStringLiteral(" Compresseurs possibles"), this), "GroupBox2");
  cbVComp = grayed_box(GroupBox2, "cbVComp", QStringLiteral("Video"));
  cbVComps = drop_down_list(GroupBox2, "cbVComps");
  cbAComp = grayed_box(GroupBox2, "cbAComp", QStringLiteral("Audio"));
  cbAComps = drop_down_list(GroupBox2, "cbAComps");
  auto* compressors = new QGridLayout(GroupBox2);
  compressors->addWidget(cbVComp, 0, 0);
  compressors->addWidget(cbVComps, 0, 1);
  compressors->addWidget(cbAComp, 1, 0);
  compressors->addWidget(cbAComps, 1, 1);
  compressors->setColumnStretch(1, 1);

  // Free-text compressor name.
  Label9 = label(this, "Label9", QStringLiteral("Compresseur choisi (si vide alors aucun)"));
  Edit4 = named(new QLineEdit(QStringLiteral("DV Video Encoder"), this), "Edit4");

  // Advice column.
  Label10 = label(this, "Label10", QStringLiteral("Conseils"));
  QPalette advice = Label10->palette();
  advice.setColor(QPalette::WindowText, Qt::red);
  Label10->setPalette(advice);
  QFont heading = Label10->font();
  heading.setBold(true);
  Label10->setFont(heading);
  Label11 = label(this, "Label11", QStringLiteral("Choisir : ASUS USB2.0 Webcam"));
  Label15 = label(this, "Label15", QStringLiteral("<=  si vide alors :"));
  Label13 = label(this, "Label13", QStringLiteral("cocher [x] Vidéo et choisir "));
  Label12 = label(this, "Label12", QStringLiteral("DVD Video Encoder"));
  Label14 = label(this, "Label14", QStringLiteral("puis valider par le bouton  [OK]"));

  // Settings that travel hidden.
  cbWantPreview = grayed_box(this, "cbWantPreview", QStringLiteral("Preview"));
  cbWantCapture = grayed_box(this, "cbWantCapture", QStringLiteral("Capture"));
  cbWantBitmaps = grayed_box(this, "cbWantBitmaps", QStringLiteral("Bitmaps"));
  cbWantAudio = grayed_box(this, "cbWantAudio", QStringLiteral("Audio"));
  cbWantDVAudio = grayed_box(this, "cbWantDVAudio", QStringLiteral("DV Audio"));
  cbWantAudioPreview = grayed_box(this, "cbWantAudioPreview", QStringLiteral("Audio preview"));
  cbDoPreallocCaptureFile = grayed_box(this, "cbDoPreallocCaptureFile", QStringLiteral("Preallocate capture file"));
  cbUseTempFile = grayed_box(this, "cbUseTempFile", QStringLiteral("Use temp file"));
  Label3 = label(this, "Label3", QStringLiteral("CaptureFileName"));
  Edit1 = named(new QLineEdit(this), "Edit1");
  Label4 = label(this, "Label4", QStringLiteral("TempCaptureFileName"));
  Edit2 = named(new QLineEdit(this), "Edit2");
  Label5 = label(this, "Label5", QStringLiteral("Prealloc file size"));
  Edit3 = named(new QLineEdit(this), "Edit3");
  Label6 = label(this, "Label6", QStringLiteral("Mb"));
  Label7 = label(this, "Label7", QStringLiteral("DV Resolution"));
  cbDVResolution = drop_down_list(this, "cbDVResolution");
  cbDVResolution->addItems({QStringLiteral("dont worry"), QStringLiteral("Full"), QStringLiteral("Half"),
                            QStringLiteral("Quater"), QStringLiteral("DC")});
  Label8 = label(this, "Label8", QStringLiteral("BitmapPixelFormat"));
  cbPixelFormat = drop_down_list(this, "cbPixelFormat");
  cbPixelFormat->addItems({QStringLiteral("pfDevice"), QStringLiteral("pf1bit"), QStringLiteral("pf4bit"),
                           QStringLiteral("pf8bit"), QStringLiteral("pf15bit"), QStringLiteral("pf16bit"),
                           QStringLiteral("pf24bit"), QStringLiteral("pf32bit"), QStringLiteral("pfCustom")});

  Button1 = named(new QPushButton(QStringLiteral("OK"), this), "Button1");
  Button1->setDefault(true);
  Button2 = named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

  // Left: the choices; right: the advice beside what it speaks of ("<=" points at Edit4).
  auto* advice_top = new QVBoxLayout;
  advice_top->addWidget(Label10);
  advice_top->addWidget(Label11);
  advice_top->addStretch(1);
  auto* advice_empty = new QVBoxLayout;
  advice_empty->addWidget(Label13);
  advice_empty->addWidget(Label12);
  advice_empty->addWidget(Label14);
  advice_empty->addStretch(1);

  auto* hidden = new QGridLayout;
  hidden->addWidget(cbWantPreview, 0, 0);
  hidden->addWidget(cbWantCapture, 0, 1);
  hidden->addWidget(cbWantBitmaps, 1, 0);
  hidden->addWidget(cbWantAudio, 1, 1);
  hidden->addWidget(cbWantDVAudio, 2, 0);
  hidden->addWidget(cbWantAudioPreview, 2, 1);
  hidden->addWidget(cbDoPreallocCaptureFile, 3, 0);
  hidden->addWidget(cbUseTempFile, 3, 1);
  hidden->addWidget(Label3, 4, 0);
  hidden->addWidget(Edit1, 4, 1);
  hidden->addWidget(Label4, 5, 0);
  hidden->addWidget(Edit2, 5, 1);
  hidden->addWidget(Label5, 6, 0);
  hidden->addWidget(Edit3, 6, 1);
  hidden->addWidget(Label6, 6, 2);
  hidden->addWidget(Label7, 7, 0);
  hidden->addWidget(cbDVResolution, 7, 1);
  hidden->addWidget(Label8, 8, 0);
  hidden->addWidget(cbPixelFormat, 8, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 8, 0, 0);
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);

  auto* grid = new QGridLayout(this);
  grid->addWidget(GroupBox1, 0, 0);
  grid->addLayout(advice_top, 0, 1);
  grid->addWidget(GroupBox2, 1, 0);
  grid->addWidget(Label9, 2, 0);
  grid->addWidget(Edit4, 3, 0);
  grid->addWidget(Label15, 3, 1);
  grid->addLayout(advice_empty, 4, 1);
  grid->addLayout(hidden, 5, 0, 1, 2);
  grid->addLayout(buttons, 6, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  grid->setHorizontalSpacing(16);
}

}  // namespace wellvue
