// The encoder link: owns DepthState, the link window's fields, the diagnostic columns and the
// subtitle track, and has one method per handler of the link. Every method runs on the owner
// thread (the GUI thread in the app); serial reads run on the reader thread of the polling.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "encoder/burst_framer.h"
#include "encoder/clock.h"
#include "encoder/depth_reading.h"
#include "encoder/depth_record_sink.h"
#include "encoder/depth_state.h"
#include "encoder/line_log.h"
#include "encoder/link_fields.h"
#include "encoder/link_view.h"
#include "encoder/poll_reader.h"
#include "encoder/serial_port.h"
#include "encoder/serial_port_discovery.h"
#include "util/prompter.h"
#include "util/srt_entry.h"

namespace wellvue {

// A calibration that changes the circumference by more than this share is asked about first.
inline constexpr double kPlausibleCircumferenceChange = 0.25;

// Baud table of the baud list; the port always runs at index 6, 9600.
inline constexpr std::array<int, 13> kBaudRates = {110,   300,   600,   1200,  2400,  4800,  9600,
                                                   14400, 19200, 38400, 56000, 57600, 115200};

// An "OpenCom" in three steps so that the waiting part (the port open, 1.5 s of pauses, the
// first read) can run on a worker thread while the owner thread goes on:
//   OpenJob job = link.open_begin();              // owner thread
//   link.open_work(job);                          // any thread; touches only the port and clock
//   link.open_finish(job);                        // owner thread; may throw ConversionError
// The owner must not call other port methods of the link between begin and finish.
struct OpenJob {
  bool open_com_only = false;  // only the port layer's open, not the whole "OpenCom"
  // Snapshot taken by open_begin.
  std::string port_name;
  std::string line_parameters;
  std::array<std::string, 5> timeout_texts;  // Edit7 .. Edit11
  std::string interval_text;                 // Edit6
  bool pause = true;                         // the 1000 ms and 500 ms pauses
  // Results of open_work.
  bool opened = false;                      // the device opened
  OpenFailure failure = OpenFailure::None;  // why it did not
  std::vector<std::string> holders;         // who holds it, when it is held
  bool configured = false;                  // ... and took its settings (the open's result)
  long long handle = -1;
  PortTimeouts before{};
  PortTimeouts after{};
  std::string timeout_error;   // conversion error of a time-out field (the port stays open)
  std::string interval_error;  // conversion error of Edit6 (polling does not start)
  std::uint32_t interval_ms = 0;
  std::string first_read;  // the read right after the open
};

// The wheel's position and the depth on show at a press of the operator (Start, Observation),
// taken after the reads already made, so that what happens while a question is open counts once.
struct DepthPress {
  std::int32_t tics = 0;
  double depth_m = 0.0;
  std::optional<double> water_depth_m;  // none without a water zero, or above it
};

class EncoderLink {
 public:
  using Post = std::function<void(std::function<void()>)>;
  // post delivers the reader thread's completed reads to the owner thread.
  EncoderLink(SerialPort& port, Clock& clock, Prompter& prompter, LinkView& view, Post post);
  ~EncoderLink();
  EncoderLink(const EncoderLink&) = delete;
  EncoderLink& operator=(const EncoderLink&) = delete;

  DepthState& state() { return state_; }
  const DepthState& state() const { return state_; }
  LinkFields& fields() { return fields_; }
  MainFields& main_fields() { return main_; }
  // Memo1 to Memo5 (Memo5 is the subtitle track).
  const LineLog& memo(Memo m) const;
  const std::deque<std::string>& track() const { return memo(Memo::Memo5).lines(); }
  // Replaces the track's lines (a file loaded into it).
  void set_track_lines(const std::vector<std::string>& lines);
  // Appends lines to the track (entries written outside the polling, such as closing entries).
  void append_track_lines(const std::vector<std::string>& lines);
  // The track's entry numbers are kept here alone: the number of the next entry (counted now),
  // a fresh numbering for a new track (-1: no entry yet), or the last number kept when entries
  // already counted are dropped.
  std::int32_t next_entry_number() { return ++state_.entry_number; }
  void restart_entry_numbering(std::int32_t last = -1) { state_.entry_number = last; }
  // Receives the conversion errors of polls run by the reader thread's completions (the
  // handler boundary of the owner). Without one they propagate out of the posted call.
  void set_error_handler(std::function<void(const std::string& text)> handler) { error_handler_ = std::move(handler); }

  // ---- Serial port layer -----------------------------------------------------------------
  // Synchronous open of the port with the traces of Memo3; pauses 1000 ms. Throws
  // ConversionError for a time-out field that is not a whole number (the port stays open).
  bool open_com(const std::string& port_name, const std::string& line_parameters);
  // Blocking read of one burst on the calling thread.
  std::string read_com();
  void close_com();
  void set_dtr(bool on);
  void set_rts(bool on);
  // Fills the port list from the system's serial ports (the layout items when there are none)
  // and the baud list from the baud table, and selects port_index and baud_index.
  void fill_port_lists();
  void fill_port_lists(const std::vector<std::string>& system_ports);
  // The same with the stable names and descriptions of the devices shown beside them.
  void fill_port_lists(const std::vector<SerialPortInfo>& system_ports);
  double elapsed_ms() { return clock_.elapsed_ms(); }
  void pause_ms(double ms) { clock_.pause_ms(ms); }

  // ---- "OpenCom" and "CloseCom" ----------------------------------------------------------
  OpenJob open_begin();
  void open_work(OpenJob& job);
  void open_finish(OpenJob& job);
  // "OpenCom": the three steps in a row on the calling thread; true when polling started.
  bool Button1Click();
  // "CloseCom": stops polling, closes the port, traces; then pauses 200 ms.
  void Button2Click();
  // The same without the pause (the caller waits, or not, as it sees fit).
  void close_without_pause();
  bool polling() const { return reader_.running(); }
  // The port was found gone and is looked for once a second; polling() stays true meanwhile.
  bool link_lost() const { return link_lost_; }
  // The name a lost port is opened again by: the stable name of the device opened, when it has
  // one.
  const std::string& reopen_name() const { return reopen_name_; }
  // Handles now every read already completed, and returns the moment after them (nullopt when not
  // polling): an entry timed by it comes after their entries and before those of later reads.
  std::optional<PollReader::ReadTime> handle_completed_reads() { return reader_.handle_completed(); }

  // ---- Polling -------------------------------------------------------------------------
  // A timer tick: wakes the reader if it waits for the owner. Reads follow one another by
  // themselves, so an owner without a timer needs no ticks.
  void Timer1Timer();
  // Handles one completed read, not a timer: the board's count in `read` becomes the depth, its
  // texts and the track's entry (what the reader thread delivers). Throws ConversionError where a
  // field or a count does not convert; the polling goes on.
  void Timer1Timer(const std::string& read);

  // ---- Live subtitle track ---------------------------------------------------------------
  std::string time_code_now();
  // Switches the subtitle track on or off: selects item `index` of the acquisition switch (0
  // "acquisition -> *.srt": the track is emptied and starts again under the borehole name;
  // 1 "stop") and runs its handler.
  void RadioGroup1Click(int index);
  // The same for the item already in fields().RadioGroup1.
  void RadioGroup1Click();
  // Saves the track as "TestVLC.srt" in the working directory.
  void Button5Click();
  // Saves the track to `path` (CP1252 bytes, CR LF after every line); throws FileError
  // with "Impossible de créer le fichier %s" when it cannot be written.
  void save_track(const std::string& path) const;
  // Observes the subtitle track: each line as it is appended, and each emptying; and is asked
  // before each time code is taken, so that it can bring a pinned origin up to date first.
  struct TrackListener {
    std::function<void(const std::string& line)> line;
    std::function<void()> cleared;
    std::function<void()> before_time_code;
  };
  void set_track_listener(TrackListener listener) { track_listener_ = std::move(listener); }
  // Pins the track's time origin to origin_ms, a time of elapsed_ms(): a track that starts counts
  // from it (its start standing at 00:00:00,000) instead of from its first time code, and a
  // track under way moves to it. nullopt unpins; the origin in use stays.
  void set_track_origin(std::optional<std::int64_t> origin_ms);
  // Receives the decoded lines and the link's events while it acquires; null: nobody. The sink
  // must outlive the link or be unset first.
  void set_depth_record_sink(DepthRecordSink* sink) { depth_sink_ = sink ? sink : &no_depth_sink_; }

  // ---- Readings ----------------------------------------------------------------------------
  // Told every decoded line's reading, after the view and the depth record. An id to remove it by.
  using ReadingListener = std::function<void(const DepthReading&)>;
  int add_reading_listener(ReadingListener listener);
  void remove_reading_listener(int id);
  // The reading of the last decoded line; nullopt before any.
  const std::optional<DepthReading>& last_reading() const { return last_reading_; }
  // The reading the present count and references give now (a recording's last entry carries it).
  DepthReading reading_now() const;
  // Its depth line as the main window shows it: the borehole name, the depth, the water depth.
  std::string depth_line_now() const { return state_.track_prefix + depth_reading_text(reading_now()); }

  // ---- Depth references of a recording ----------------------------------------------------
  // The depth that the present count gives with the present references.
  double depth_at(std::int32_t tics) const;
  DepthPress press_now();
  // The start's zero question answered Yes: the wheel's position at the press becomes the curb,
  // whatever the board's own count is; start depth, water zero, recording offset and the track's
  // counters start again. The board is not reset: the cable drawn since the press still counts.
  void zero_counters_at(const DepthPress& press);
  // A recording's track begins (the acquisition switch on, a fresh numbering and poll count);
  // `from` given (the zero question answered No): the depth goes on from the one on show at that
  // press, the cable drawn since counting once.
  void begin_recording_track(const std::optional<DepthPress>& from);
  // Start of the closing entries: where the last entry ended ("00:00:00,000" before any).
  const std::string& closing_start_code();

  // ---- Zeroing and calibration ----------------------------------------------------------
  // The curb zero: asks, then curb_zero_now().
  void SpeedButton1Click();
  // The curb zero without asking: the camera is at the curb now, so the current count stands for the
  // start depth (a recording's offset no longer applies) and a zeroing entry goes in.
  void curb_zero_now();
  // A depth corrected at a known mark (a casing shoe, a marked length of cable): from now on the
  // depth counts from `true_depth_m` here; the shift is marked in the track and the depth record.
  void correct_depth_to(double true_depth_m);
  // The water level zero: asks, then counts the water depth from the current count (an entry).
  void SpeedButton2Click();
  // Tells how to reset the board (one turn is 24 sectors of 15 degrees).
  void SpeedButton4Click();
  // The start depth from the start depth field (ComboBox2), shown on the main window.
  void ComboBox2Click();
  // A start depth chosen elsewhere (the main window's curb panel, which shows it).
  void set_start_depth_cm(std::int32_t cm);
  void ComboBox2Enter();
  void ComboBox2KeyDown(int key);  // Enter (13) applies it
  // Calibration: the count at the start mark, then the circumference from the length run to the
  // stop mark; `sender` says whose buttons change.
  void BitBtn_startClick(Sender sender);
  void BitBtn_stopClick(Sender sender);
  // Calibration by hand: the circumference typed goes to both windows' fields.
  void BitBtn_manuClick(Sender sender);

 private:
  void trace(Memo m, std::string line);
  void clear_memo(Memo m);
  void set_text(Control c, const std::string& text);
  void set_enabled(Button b, bool on);
  void decode_line(const std::string& line);
  void title_step();
  void depth_entry(const std::string& depth_line);
  // An entry of the polling into the track, line by line.
  void write_entry(const SrtEntry& entry);
  // Runs a change of the references after the reads already made: it takes the latest count, and
  // its entry is timed after their entries and before those of the reads still to come.
  void after_reads_made(const std::function<void()>& change);
  void curb_zero_after_reads();
  void water_zero_after_reads();
  void correct_depth_after_reads(double true_depth_m);
  void start_depth_from_field(bool set_field);
  // Shows a start depth on both windows' labels and fields (set_field: the link's field too).
  void show_start_depth(bool set_field);
  // Asks before taking a circumference far from the one in use; true when it may be taken.
  bool plausible_circumference(double mm_per_turn);
  void on_read(const std::string& bytes, PollReader::ReadTime completed);
  void on_link(bool lost, const std::string& reason, PollReader::ReadTime at);
  // The entry that shows a loss of the link in the track, up to now; restored: the link is back.
  void gap_entry(bool restored);
  std::string time_code_of(double ms);
  // time_code_now() for the end of an entry: never before the end of the entry before it.
  std::string entry_end_code();
  // A zeroing entry: its number, its time line (timed after the reads already made) and its text.
  void zeroing_entry(const std::string& text);
  // track_prefix from the borehole name, as a title entry sets it.
  std::string borehole_prefix() const;
  // The reading of the current state at track_ms.
  DepthReading reading_at(std::int64_t track_ms, std::optional<std::int64_t> raw = std::nullopt) const;
  void depth_event(DepthEvent event, std::int64_t track_ms, const std::string& detail = {});
  // Milliseconds of the track's clock at `ms` of the link's clock, without starting the track.
  std::int64_t track_ms_of(double ms) const;
  std::int64_t track_ms_now() const;
  // A circumference other than the last one seen during this acquisition is a calibration event.
  void note_circumference(double metres_per_turn);
  // The circumference field was set by a calibration.
  void circumference_typed();
  void open_com_begin(OpenJob& job);
  bool open_com_finish(OpenJob& job);
  // The circumference field in metres per turn; throws ConversionError when it is no number.
  double circumference_m() const;
  int edit13_code() const;
  int edit14_count() const;
  std::size_t prefix_width() const;

  SerialPort& port_;
  Clock& clock_;
  Prompter& prompter_;
  LinkView& view_;
  DepthState state_;
  LinkFields fields_;
  MainFields main_;
  std::array<LineLog, 5> memos_;
  BurstFramer framer_;
  std::string padding_line_;
  std::function<void(const std::string&)> error_handler_;
  TrackListener track_listener_;
  std::optional<std::int64_t> pinned_origin_;
  DepthRecordSink no_depth_sink_;
  DepthRecordSink* depth_sink_ = &no_depth_sink_;
  std::optional<DepthReading> last_reading_;
  std::vector<std::pair<int, ReadingListener>> reading_listeners_;
  int next_listener_id_ = 0;
  std::optional<double> recorded_metres_per_turn_;  // the circumference last told to the sink
  // While a delivered read is handled: when it completed. Its lines take their time codes from it.
  std::optional<PollReader::ReadTime> read_time_;
  bool link_lost_ = false;
  bool lost_shown_ = false;                      // the view shows the link as lost
  std::optional<PollReader::ReadTime> lost_at_;  // when the link went down
  bool rebase_ = false;                          // the next count sets tic_offset
  std::string port_name_;                        // the port of the last open
  std::string reopen_name_;
  PollReader reader_;
};

}  // namespace wellvue
