#include "encoder/encoder_link.h"
#include "encoder/posix_serial_port.h"

#include <algorithm>

#include "util/conversion_error.h"
#include "util/numbers.h"

namespace wellvue {

EncoderLink::EncoderLink(SerialPort& port, Clock& clock, Prompter& prompter, LinkView& view, Post post)
    : port_(port),
      clock_(clock),
      prompter_(prompter),
      view_(view),
      memos_{LineLog(kDiagnosticLines), LineLog(kDiagnosticLines), LineLog(kDiagnosticLines), LineLog(kDiagnosticLines),
             LineLog(0)},
      reader_(
          port, std::move(post),
          [this](const std::string& bytes, PollReader::ReadTime completed) { on_read(bytes, completed); },
          [this](bool lost, const std::string& reason, PollReader::ReadTime at) { on_link(lost, reason, at); }) {}

EncoderLink::~EncoderLink() { reader_.stop(); }

const LineLog& EncoderLink::memo(Memo m) const { return memos_[static_cast<std::size_t>(m)]; }

void EncoderLink::trace(Memo m, std::string line) {
  const std::string shown = line;
  const std::size_t dropped = memos_[static_cast<std::size_t>(m)].append(std::move(line));
  if (dropped > 0) view_.drop_first_lines(m, dropped);
  view_.append_line(m, shown);
  if (m == Memo::Memo5 && track_listener_.line) track_listener_.line(shown);
}

void EncoderLink::clear_memo(Memo m) {
  memos_[static_cast<std::size_t>(m)].clear();
  view_.clear(m);
  if (m == Memo::Memo5 && track_listener_.cleared) track_listener_.cleared();
}

void EncoderLink::set_track_lines(const std::vector<std::string>& lines) {
  clear_memo(Memo::Memo5);
  append_track_lines(lines);
}

void EncoderLink::append_track_lines(const std::vector<std::string>& lines) {
  for (const auto& l : lines) trace(Memo::Memo5, l);
}

void EncoderLink::set_text(Control c, const std::string& text) {
  // The link keeps the values it writes into fields that it also reads.
  switch (c) {
    case Control::LinkLabel22:
      fields_.Label22 = text;
      break;
    case Control::LinkComboBox2:
      fields_.ComboBox2 = text;
      break;
    case Control::LinkEditCirc:
      fields_.Edit_circ = text;
      break;
    case Control::LinkComboBoxPort:
      fields_.ComboBox1_port_com = text;
      break;
    case Control::LinkComboBoxBaud:
      fields_.ComboBox_baudrate = text;
      break;
    case Control::LinkCheckBox1:
      fields_.CheckBox1 = text == "1";
      break;
    case Control::MainLabel7:
      main_.Label7 = text;
      break;
    case Control::MainComboBox1:
      main_.ComboBox1 = text;
      break;
    case Control::MainEditCirc:
      main_.Edit_circ = text;
      break;
    default:
      break;
  }
  view_.set_text(c, text);
}

void EncoderLink::set_enabled(Button b, bool on) {
  switch (b) {
    case Button::LinkBitBtnStart:
      fields_.BitBtn_start_enabled = on;
      break;
    case Button::LinkBitBtnStop:
      fields_.BitBtn_stop_enabled = on;
      break;
    case Button::MainBitBtnStart:
      main_.BitBtn_start_enabled = on;
      break;
    case Button::MainBitBtnStop:
      main_.BitBtn_stop_enabled = on;
      break;
  }
  view_.set_enabled(b, on);
}

// ---- Serial port layer ----------------------------------------------------------------------

bool EncoderLink::open_com(const std::string& port_name, const std::string& line_parameters) {
  OpenJob job;
  job.open_com_only = true;
  job.port_name = port_name;
  job.line_parameters = line_parameters;
  job.timeout_texts = {fields_.Edit7, fields_.Edit8, fields_.Edit9, fields_.Edit10, fields_.Edit11};
  open_com_begin(job);
  open_work(job);
  return open_com_finish(job);
}

std::string EncoderLink::read_com() { return port_.read_burst(0); }

void EncoderLink::close_com() {
  reader_.stop();
  port_.close();
}

void EncoderLink::set_dtr(bool on) { port_.set_dtr(on); }
void EncoderLink::set_rts(bool on) { port_.set_rts(on); }

void EncoderLink::fill_port_lists() { fill_port_lists(discover_serial_ports()); }

void EncoderLink::fill_port_lists(const std::vector<std::string>& system_ports) {
  std::vector<SerialPortInfo> ports;
  for (const std::string& name : system_ports) ports.push_back({name, {}, {}});
  fill_port_lists(ports);
}

void EncoderLink::fill_port_lists(const std::vector<SerialPortInfo>& system_ports) {
  // No serial device found: the list keeps its items (the layout's defaults).
  if (!system_ports.empty()) {
    // Sorted by kernel name: a port index kept in the settings file names the same port whether or
    // not the device has a stable name.
    std::vector<SerialPortInfo> ports = system_ports;
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.kernel_path < b.kernel_path; });
    fields_.port_items.clear();
    fields_.port_labels.clear();
    for (const SerialPortInfo& p : ports) {
      fields_.port_items.push_back(p.name());
      fields_.port_labels.push_back(p.label());
    }
  } else {
    std::sort(fields_.port_items.begin(), fields_.port_items.end());
    fields_.port_labels.clear();
  }
  view_.port_list_changed();
  const int n_ports = static_cast<int>(fields_.port_items.size());
  if (n_ports > 0 && state_.port_index >= -1 && state_.port_index < n_ports) {
    const int i = state_.port_index;
    set_text(Control::LinkComboBoxPort, i < 0 ? std::string() : fields_.port_items[static_cast<std::size_t>(i)]);
    fields_.port_item_index = i;
  }
  fields_.baud_items.clear();
  for (int rate : kBaudRates) fields_.baud_items.push_back(int_text(rate));
  const int n_bauds = static_cast<int>(fields_.baud_items.size());
  if (state_.baud_index >= -1 && state_.baud_index < n_bauds) {
    const int i = state_.baud_index;
    set_text(Control::LinkComboBoxBaud, i < 0 ? std::string() : fields_.baud_items[static_cast<std::size_t>(i)]);
    fields_.baud_item_index = i;
  }
}

}  // namespace wellvue
