// The link window's SRT re-timing panel: each button forwards to the re-timing tool, the source
// list being the link's subtitle track and the output list Memo6.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

#include "app/link_window/settings_host.h"
#include "app/link_window/srt_file_choice.h"
#include "app/link_window/tform1.h"
#include "app/services/text_bridge.h"

namespace wellvue {
namespace {

std::filesystem::path to_path(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::filesystem::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// Keeps a plain-data field equal to what the operator types in a widget.
void bind_field(QLineEdit* edit, std::string& field) {
  QObject::connect(edit, &QLineEdit::textChanged, edit, [&field](const QString& t) { field = from_qt(t); });
}

}  // namespace

void TForm1::wire_retiming() {
  bind_field(rp_.Edit_temps_avi, tool_->avi_duration);
  bind_field(rp_.Edit_temps_srt, tool_->srt_duration);
  bind_field(rp_.Edit_decalage, tool_->offset);
  d_.Memo6->setReadOnly(false);  // the operator may correct lines before saving
  connect(rp_.SpeedButton5, &QPushButton::clicked, this, [this] { run([this] { SpeedButton5Click(); }); });
  connect(rp_.Button_calcul, &QPushButton::clicked, this, [this] { Button_calculClick(); });
  connect(rp_.Button_t0, &QPushButton::clicked, this, [this] { Button_t0Click(); });
  connect(rp_.Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
}

void TForm1::run_retiming(const std::function<void()>& handler) {
  // What an operation appended before it failed stays in the output list, shown or not as the
  // tool left it.
  boundary_->run(handler);
  show_output();
}

void TForm1::pull_output() {
  // The output list as the operator sees it, hand edits included. Read block by block: the
  // plain text of the list would turn the no-break spaces that align the depths into blanks.
  SubtitleLines& out = tool_->output();
  out.clear();
  const QTextDocument* doc = d_.Memo6->document();
  if (doc->isEmpty()) return;
  out.reserve(static_cast<std::size_t>(doc->blockCount()));
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) out.push_back(from_qt(b.text()));
}

void TForm1::show_output() {
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(tool_->output().size()));
  for (const std::string& l : tool_->output()) lines << to_qt(l);
  d_.Memo6->setPlainText(lines.join(QLatin1Char('\n')));
  d_.Memo6->setVisible(tool_->output_visible());
}

void TForm1::SpeedButton5Click() {
  if (!tool_->may_load(link_->fields().RadioGroup1 == 0)) return;
  const QString chosen = options_.choose_srt_file
                             ? options_.choose_srt_file()
                             : choose_srt_file(this, srt_dialog_start_folder(to_qt(host_->video_folder())));
  if (chosen.isEmpty()) return;
  if (!tool_->choose_file(to_path(chosen))) return;
  const QFileInfo info(chosen);
  d_.Label27->setText(QDir::toNativeSeparators(info.absoluteFilePath()));
  d_.Label27->setToolTip(d_.Label27->text());
  rp_.Label28->setText(info.fileName());
  rp_.Label28->setToolTip(info.fileName());
  // The file replaces the subtitle track: the link must not write into it any more. An open
  // under way would clear the track once over, so the load waits for it, after its close.
  Button2Click();
  model_->once_opened([this] { run_retiming([this] { load_after_close(); }); });
}

void TForm1::load_after_close() {
  const LoadedListsLayout layout = loaded_lists_layout(memo5_designed_);
  d_.Memo5->setGeometry(layout.source);
  d_.Memo6->setGeometry(layout.output);
  link_->set_track_lines(tool_->load_chosen_file());
  rp_.Edit_temps_srt->setText(to_qt(tool_->srt_duration));
}

void TForm1::Button_calculClick() {
  pull_output();
  const auto& track = link_->track();
  const SubtitleLines source(track.begin(), track.end());
  run_retiming([&] { tool_->scale(source); });
}

void TForm1::Button_t0Click() {
  const auto& track = link_->track();
  const SubtitleLines source(track.begin(), track.end());
  run_retiming([&] { tool_->reset_t0(source); });
}

void TForm1::Button7Click() {
  pull_output();
  boundary_->run([this] { tool_->save(); });
}

}  // namespace wellvue
