// Shows what the encoder link writes: captions and fields of the link window and of the main
// window (its typed controls), the enabled calibration buttons and the text areas.
#pragma once
#include <QPointer>
#include <QWidget>

#include "app/link_window/link_window_design.h"
#include "app/link_window/main_window_controls.h"
#include "encoder/link_fields.h"
#include "encoder/link_view.h"

namespace wellvue {

class QtLinkView : public LinkView {
 public:
  QtLinkView(LinkWindowDesign& design, MainWindowControls main);
  // The link's own fields, read back when the port list changes (the link is made after its view).
  void set_fields(const LinkFields* fields) { fields_ = fields; }

  void set_text(Control c, const std::string& text) override;
  void set_enabled(Button b, bool enabled) override;
  void append_line(Memo m, const std::string& line) override;
  void clear(Memo m) override;
  void drop_first_lines(Memo m, std::size_t n) override;
  void port_list_changed() override;
  // The main window's depth greyed and marked, the link window's depth greyed, and the main
  // window's port button's caption, while the link is down; all as before once it is back.
  void show_link_lost(bool lost) override;
  bool link_lost_shown() const { return link_lost_; }

  LinesView* memo_widget(Memo m) const;

 private:
  void show_depth_line();
  void show_port_caption();

  LinkWindowDesign& d_;
  MainWindowControls main_;
  const LinkFields* fields_ = nullptr;
  bool link_lost_ = false;
  QString depth_line_;    // MainLabel2 as the link set it
  QString port_caption_;  // MainPanelOpenCom as the link set it
  bool have_depth_line_ = false;
  bool have_port_caption_ = false;
  QString label2_style_;   // Label2's own style sheet, put back once the link is back
  QString label18_style_;  // the same for the link window's depth
};

}  // namespace wellvue
