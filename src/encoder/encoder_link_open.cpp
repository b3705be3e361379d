#include <cstdint>
#include <limits>

#include "encoder/encoder_link.h"
#include "encoder/port_messages.h"
#include "util/conversion_error.h"
#include "util/numbers.h"

namespace wellvue {

namespace {

const char* const kTimeoutLabels[5] = {"ReadIntervalTimeout ", "ReadTotalTimeoutMultiplier ",
                                       "ReadTotalTimeoutConstant ", "WriteTotalTimeoutMultiplier ",
                                       "WriteTotalTimeoutConstant "};

std::uint32_t timeout_value(const std::string& text) {
  const std::int32_t v = parse_int(text);
  // The port's record holds unsigned 32-bit values; a negative one wraps as it would there.
  return static_cast<std::uint32_t>(v);
}

std::array<std::uint32_t, 5> as_array(const PortTimeouts& t) {
  return {t.read_interval, t.read_multiplier, t.read_constant, t.write_multiplier, t.write_constant};
}

}  // namespace

void EncoderLink::open_com_begin(OpenJob& job) {
  // Reopening: the reads of the old port end before it closes.
  reader_.stop();
  port_.close();
  trace(Memo::Memo3, " PortStr= " + job.port_name);
  trace(Memo::Memo3, "Param\xE8tres <" + job.line_parameters + ">");
}

OpenJob EncoderLink::open_begin() {
  OpenJob job;
  ++state_.open_count;
  trace(Memo::Memo3, "  " + int_text(state_.open_count) + " ==============");
  state_.baud_index = fields_.baud_item_index;
  trace(Memo::Memo1, "== O P E N ========== " + int_text(state_.open_count));
  std::string baud;
  if (fields_.baud_item_index >= 0 && fields_.baud_item_index < static_cast<int>(fields_.baud_items.size())) {
    baud = fields_.baud_items[static_cast<std::size_t>(fields_.baud_item_index)];
  }
  job.port_name = fields_.ComboBox1_port_com;
  job.line_parameters = baud + "," + fields_.Edit4 + "," + fields_.Edit5 + "," + fields_.Edit2;
  set_text(Control::LinkLabel2, "<" + job.port_name + "> : " + job.line_parameters);
  job.timeout_texts = {fields_.Edit7, fields_.Edit8, fields_.Edit9, fields_.Edit10, fields_.Edit11};
  job.interval_text = fields_.Edit6;
  open_com_begin(job);
  return job;
}

void EncoderLink::open_work(OpenJob& job) {
  job.opened = port_.open(job.port_name);
  if (!job.opened) {
    job.failure = port_.open_failure();
    if (job.failure == OpenFailure::Busy) job.holders = port_holders(job.port_name);
    return;
  }
  job.handle = port_.handle();
  job.configured = port_.configure();
  job.before = port_.timeouts();
  PortTimeouts t{};
  try {
    t.read_interval = timeout_value(job.timeout_texts[0]);
    t.read_multiplier = timeout_value(job.timeout_texts[1]);
    t.read_constant = timeout_value(job.timeout_texts[2]);
    t.write_multiplier = timeout_value(job.timeout_texts[3]);
    t.write_constant = timeout_value(job.timeout_texts[4]);
  } catch (const ConversionError& e) {
    job.timeout_error = e.what();
    return;
  }
  port_.set_timeouts(t);
  job.after = port_.timeouts();
  if (job.pause) clock_.pause_ms(1000);
  if (job.open_com_only || !job.configured) return;
  try {
    const std::int32_t interval = parse_int(job.interval_text);
    job.interval_ms = interval < 0 ? 0u : static_cast<std::uint32_t>(interval);
  } catch (const ConversionError& e) {
    job.interval_error = e.what();
    return;
  }
  port_.set_dtr(true);
  job.first_read = port_.read_burst(0);
  if (job.pause) clock_.pause_ms(500);
}

bool EncoderLink::open_com_finish(OpenJob& job) {
  if (!job.opened) {
    const std::string message = "ERREUR  OpenCom : port en utilisation ou inexistant  <" + job.port_name + ">   ";
    if (job.port_name == "port com") state_.port_index = -1;
    // What went wrong and what to do, before the message itself.
    const std::string why = open_failure_text(job.failure, job.port_name, job.holders);
    if (!why.empty()) trace(Memo::Memo3, why);
    trace(Memo::Memo3, message);
    if (state_.port_index > 0) prompter_.inform(why.empty() ? message : message + "\n\n" + why);
    return false;
  }
  state_.port_index = fields_.port_item_index;
  state_.baud_index = fields_.baud_item_index;
  set_text(Control::MainLabel5, "");
  trace(Memo::Memo3, "GET avant_______");
  const auto before = as_array(job.before);
  for (int i = 0; i < 5; ++i) trace(Memo::Memo3, kTimeoutLabels[i] + int_text(before[static_cast<std::size_t>(i)]));
  if (!job.timeout_error.empty()) throw ConversionError(job.timeout_error);
  trace(Memo::Memo3, "SET apr\xE8s_______");
  const auto after = as_array(job.after);
  for (int i = 0; i < 5; ++i) trace(Memo::Memo3, kTimeoutLabels[i] + int_text(after[static_cast<std::size_t>(i)]));
  trace(Memo::Memo3, "DCB record");
  trace(Memo::Memo3, " FComportHandle= " + int_text(job.handle));
  // What the port's settings record holds: 9600 baud, binary, RTS enabled, DTR disabled, 8N1,
  // XON/XOFF characters, and a flow-control threshold of a quarter of the 8192-byte queue.
  static const std::pair<const char*, int> kRecord[] = {
      {" DCBlength = ", 28}, {" BaudRate = ", 9600}, {" Flags = ", 4097}, {" wReserved = ", 0}, {" XonLim = ", 2048},
      {" XoffLim = ", 1},    {" ByteSize = ", 8},    {" Parity = ", 0},   {" StopBits = ", 0},  {" XonChar = ", 17},
      {" XoffChar = ", 19},  {" ErrorChar = ", 0},   {" EofChar = ", 0},  {" EvtChar = ", 0},   {" wReserved1 = ", 0}};
  for (const auto& [label, value] : kRecord) trace(Memo::Memo3, label + int_text(value));
  trace(Memo::Memo3, std::string(" result = ") + (job.configured ? "1" : "0"));
  return job.configured;
}

void EncoderLink::open_finish(OpenJob& job) {
  if (!open_com_finish(job)) return;
  if (!job.interval_error.empty()) throw ConversionError(job.interval_error);
  set_text(Control::LinkCheckBox1, "1");
  framer_.reset();
  state_.previous_burst = framer_.push(job.first_read).lines;
  set_text(Control::LinkLabel1, "ok  " + job.first_read);
  state_.poll_count = 0;
  const std::int64_t reset_ms = track_ms_now();
  clear_memo(Memo::Memo5);
  state_.line_count = 0;
  state_.time_origin_ms = 0;
  state_.tics = 0;
  state_.tic_offset = 0;
  rebase_ = false;
  // The count starts again from the board's: the depth model restarts here.
  depth_event(DepthEvent::CounterReset, reset_ms);
  lost_at_.reset();
  port_name_ = job.port_name;
  set_text(Control::MainPanelOpenCom, "Port " + job.port_name);
  link_lost_ = false;
  if (lost_shown_) {
    lost_shown_ = false;
    view_.show_link_lost(false);
  }
  // A lost port comes back by the stable name of its device, with the line settings of this open
  // (the time-outs stay with the port).
  reopen_name_ = stable_port_name(job.port_name);
  const bool rts = fields_.CheckBox2;
  reader_.start(job.interval_ms, [this, name = reopen_name_, stamp = port_name_stamp(reopen_name_), rts] {
    if (!may_be_the_same_device(name, stamp) || !port_.open(name)) return false;
    if (!port_.configure()) {
      port_.close();
      return false;
    }
    port_.set_dtr(true);
    port_.set_rts(rts);
    return true;
  });
}

bool EncoderLink::Button1Click() {
  OpenJob job = open_begin();
  open_work(job);
  open_finish(job);
  return polling();
}

void EncoderLink::close_without_pause() {
  close_com();
  // The display stays marked: the board is still away until an open finds it.
  link_lost_ = false;
  set_text(Control::LinkLabel1, "CloseCom");
  trace(Memo::Memo1, "========== c l o s e == " + int_text(state_.open_count));
  trace(Memo::Memo1, "  ");
  trace(Memo::Memo1, "  ");
}

void EncoderLink::Button2Click() {
  close_without_pause();
  clock_.pause_ms(200);
}

void EncoderLink::Timer1Timer() { reader_.kick(); }

}  // namespace wellvue
