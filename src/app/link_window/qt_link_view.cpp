#include "app/link_window/qt_link_view.h"

#include <QAbstractButton>
#include <QSignalBlocker>

#include "app/main_window/image_button.h"
#include "app/services/text_bridge.h"

namespace wellvue {
namespace {

void set_label(QLabel* l, const QString& text) {
  if (l) l->setText(text);
}

// Programmatic texts go to the field as typed text; signals are kept so the link's own copy
// (already equal) is written back harmlessly.
void set_edit(QLineEdit* e, const QString& text) {
  if (e && e->text() != text) e->setText(text);
}

void set_combo_text(QComboBox* c, const QString& text) {
  if (c && c->currentText() != text) c->setEditText(text);
}

// The main window's "Port COM RS232" is an image button; a plain button or label also works.
void set_caption(QWidget* w, const QString& text) {
  if (auto* ib = qobject_cast<ImageButton*>(w)) {
    ib->set_caption(text);
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
  }
}

}  // namespace

QtLinkView::QtLinkView(LinkWindowDesign& design, MainWindowControls main) : d_(design), main_(std::move(main)) {}

void QtLinkView::set_text(Control c, const std::string& text) {
  const QString t = to_qt(text);
  switch (c) {
    case Control::LinkLabel1:
      set_label(d_.Label1, t);
      break;
    case Control::LinkLabel2:
      set_label(d_.Label2, t);
      break;
    case Control::LinkLabel18:
      set_label(d_.Label18, t);
      break;
    case Control::LinkLabelTic:
      set_label(d_.Label_tic, t);
      break;
    case Control::LinkLabel22:
      set_label(d_.Label22, t);
      break;
    case Control::LinkComboBox2:
      set_combo_text(d_.ComboBox2, t);
      break;
    case Control::LinkEditCirc:
      set_edit(d_.Edit_circ, t);
      break;
    case Control::LinkComboBoxPort:
      set_combo_text(d_.ComboBox1_port_com, t);
      break;
    case Control::LinkComboBoxBaud:
      set_combo_text(d_.ComboBox_baudrate, t);
      break;
    case Control::LinkCheckBox1:
      d_.CheckBox1->setChecked(text == "1");
      break;
    case Control::MainLabel2:
      depth_line_ = t;
      have_depth_line_ = true;
      show_depth_line();
      break;
    case Control::MainLabel5:
      set_label(main_.Label5.data(), t);
      break;
    case Control::MainLabel7:
      set_label(main_.Label7.data(), t);
      break;
    case Control::MainLabelTic:
      set_label(main_.Label_tic.data(), t);
      break;
    case Control::MainComboBox1:
      set_combo_text(main_.ComboBox1.data(), t);
      break;
    case Control::MainEditCirc:
      set_edit(main_.Edit_circ.data(), t);
      break;
    case Control::MainPanelOpenCom:
      port_caption_ = t;
      have_port_caption_ = true;
      show_port_caption();
      break;
  }
}

void QtLinkView::show_depth_line() {
  auto* l = main_.Label2.data();
  if (!l) return;
  if (!link_lost_) {
    if (have_depth_line_) l->setText(depth_line_);
    return;
  }
  const QString base = have_depth_line_ ? depth_line_ : l->text();
  l->setText(base + QString::fromUtf8("   encodeur déconnecté"));
}

void QtLinkView::show_port_caption() {
  QWidget* w = main_.Panel_open_com.data();
  if (!w) return;
  if (!link_lost_) {
    if (have_port_caption_) set_caption(w, port_caption_);
    return;
  }
  const QString base = have_port_caption_ ? port_caption_ : QStringLiteral("Port");
  set_caption(w, base + QString::fromUtf8(" : déconnecté"));
}

void QtLinkView::show_link_lost(bool lost) {
  if (lost == link_lost_) return;
  auto* l = main_.Label2.data();
  if (l && lost && !have_depth_line_) {
    // The depth on show came from elsewhere (the recording's reset): keep it as the base.
    depth_line_ = l->text();
    have_depth_line_ = true;
  }
  link_lost_ = lost;
  if (l) {
    if (lost) {
      label2_style_ = l->styleSheet();
      l->setStyleSheet(QStringLiteral("color: #808080;"));
    } else {
      l->setStyleSheet(label2_style_);
    }
  }
  // The link window's own depth is as stale as the main window's.
  if (lost) {
    label18_style_ = d_.Label18->styleSheet();
    d_.Label18->setStyleSheet(QStringLiteral("color: #808080;"));
  } else {
    d_.Label18->setStyleSheet(label18_style_);
  }
  show_depth_line();
  show_port_caption();
}

void QtLinkView::set_enabled(Button b, bool enabled) {
  QWidget* w = nullptr;
  switch (b) {
    case Button::LinkBitBtnStart:
      w = d_.BitBtn_start;
      break;
    case Button::LinkBitBtnStop:
      w = d_.BitBtn_stop;
      break;
    case Button::MainBitBtnStart:
      w = main_.BitBtn_start.data();
      break;
    case Button::MainBitBtnStop:
      w = main_.BitBtn_stop.data();
      break;
  }
  if (w) w->setEnabled(enabled);
}

LinesView* QtLinkView::memo_widget(Memo m) const {
  switch (m) {
    case Memo::Memo1:
      return d_.Memo1;
    case Memo::Memo2:
      return d_.Memo2;
    case Memo::Memo3:
      return d_.Memo3;
    case Memo::Memo4:
      return d_.Memo4;
    case Memo::Memo5:
      return d_.Memo5;
  }
  return nullptr;
}

void QtLinkView::append_line(Memo m, const std::string& line) {
  if (LinesView* w = memo_widget(m)) w->append_line(line);
}

void QtLinkView::clear(Memo m) {
  if (LinesView* w = memo_widget(m)) w->clear_lines();
}

void QtLinkView::drop_first_lines(Memo m, std::size_t n) {
  if (LinesView* w = memo_widget(m)) w->drop_first_lines(n);
}

void QtLinkView::port_list_changed() {
  if (!fields_) return;
  const LinkFields& f = *fields_;
  QComboBox* c = d_.ComboBox1_port_com;
  const QSignalBlocker block(c);
  c->clear();
  // Each item shows its label; its data is the name to open, which the port field takes.
  for (std::size_t i = 0; i < f.port_items.size(); ++i) {
    const std::string& label =
        i < f.port_labels.size() && !f.port_labels[i].empty() ? f.port_labels[i] : f.port_items[i];
    c->addItem(to_qt(label), to_qt(f.port_items[i]));
  }
  const int index = f.port_item_index;
  if (index >= 0 && index < c->count()) c->setCurrentIndex(index);
  else c->setCurrentIndex(-1);
  c->setEditText(to_qt(f.ComboBox1_port_com));

  QComboBox* b = d_.ComboBox_baudrate;
  const QSignalBlocker block_baud(b);
  b->clear();
  for (const std::string& item : f.baud_items) b->addItem(to_qt(item));
  const int baud = f.baud_item_index;
  if (baud >= 0 && baud < b->count()) b->setCurrentIndex(baud);
  else b->setCurrentIndex(-1);
  b->setEditText(to_qt(f.ComboBox_baudrate));
}

}  // namespace wellvue
