// What the encoder link shows: captions and field texts of both windows, enabled states of the
// calibration buttons, and the lines of the text areas. The app routes them to its widgets.
#pragma once
#include <cstddef>
#include <string>

#include "encoder/depth_reading.h"

namespace wellvue {

// Controls whose text the link sets. "Link" is the link window, "Main" the main window.
enum class Control {
  LinkLabel1,        // "choix com": "ok  " + first burst, "CloseCom", number text of the last line
  LinkLabel2,        // "<port> : 9600,N,8,1"
  LinkLabel18,       // depth text (formatted from a reading by default)
  LinkLabelTic,      // tics since calibration start
  LinkLabel22,       // start depth "n cm"
  LinkComboBox2,     // start depth field
  LinkEditCirc,      // wheel circumference (mm)
  LinkComboBoxPort,  // port field text (ComboBox1_port_com)
  LinkComboBoxBaud,  // baud field text (ComboBox_baudrate)
  LinkCheckBox1,     // "DTR": "1" checked, "0" not
  MainLabel2,        // depth text line (formatted from a reading by default), or a zeroing's text
  MainLabel5,        // status label ("" when the port opens)
  MainLabel7,        // start depth "n cm"
  MainLabelTic,      // tics since calibration start
  MainComboBox1,     // start depth field
  MainEditCirc,      // wheel circumference (mm)
  MainPanelOpenCom,  // "Port COM RS232" button: "Port " + port name
};

// Buttons whose enabled state the link sets.
enum class Button {
  LinkBitBtnStart,
  LinkBitBtnStop,
  MainBitBtnStart,
  MainBitBtnStop,
};

// Text areas of the link window.
enum class Memo {
  Memo1,  // "lectures tentées"
  Memo2,  // "contenus séparés"
  Memo3,  // "connexions"
  Memo4,  // "lectures réussies"
  Memo5,  // the subtitle track
};

// Every text is CP1252. The default implementation shows nothing (tools, tests).
class LinkView {
 public:
  virtual ~LinkView() = default;
  virtual void set_text(Control, const std::string& /*text*/) {}
  virtual void set_enabled(Button, bool /*enabled*/) {}
  // A decoded line's reading, with the borehole name the depth line starts with. By default shown
  // as the station's texts: the depth text in the link window, the depth line in the main window.
  virtual void show_reading(const DepthReading& reading, const std::string& line_prefix) {
    const std::string text = depth_reading_text(reading);
    set_text(Control::LinkLabel18, text);
    set_text(Control::MainLabel2, line_prefix + text);
  }
  virtual void append_line(Memo, const std::string& /*line*/) {}
  // The area was emptied (Memo5 at an open or an acquisition start, or its lines replaced).
  virtual void clear(Memo) {}
  // The n oldest lines were dropped (diagnostic columns keep their last 5,000 lines).
  virtual void drop_first_lines(Memo, std::size_t /*n*/) {}
  // The port list items were replaced (fill_port_lists).
  virtual void port_list_changed() {}
  // The encoder link went down (true) or came back (false): the depth on show is stale until it
  // is back.
  virtual void show_link_lost(bool /*lost*/) {}
};

}  // namespace wellvue
