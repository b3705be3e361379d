// The review window's deliverables: the H.264 export with a progress bar and the inspection report,
// each run off the GUI thread so the window keeps painting.
#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/report/report_pdf.h"
#include "app/review/deliverable_dialogs.h"
#include "app/review/review_window.h"
#include "app/services/text_bridge.h"
#include "capture/gst/export_pipeline.h"
#include "export/export_job.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

// Runs work on a worker thread under a modal progress dialog (a busy bar when the work gives no
// fraction); true when it ran to its end without being cancelled.
bool run_with_progress(
    QWidget* parent, const QString& label, bool can_cancel,
    const std::function<void(std::atomic<double>& fraction, const std::atomic<bool>& cancel)>& work) {
  std::atomic<double> fraction{-1};
  std::atomic<bool> cancel{false};
  std::atomic<bool> done{false};
  QProgressDialog dialog(label, can_cancel ? QStringLiteral("Annuler") : QString(), 0, 1000, parent);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(0);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  if (!can_cancel) dialog.setCancelButton(nullptr);
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    const double f = fraction.load();
    if (f < 0) dialog.setRange(0, 0);
    else {
      dialog.setRange(0, 1000);
      dialog.setValue(static_cast<int>(f * 1000));
    }
    if (dialog.wasCanceled()) cancel = true;
    if (done) loop.quit();
  });
  std::thread worker([&] {
    work(fraction, cancel);
    done = true;
  });
  poll.start(100);
  loop.exec();
  worker.join();
  return !cancel;
}

std::string stem_path(const std::string& video) {
  std::filesystem::path p(video);
  return (p.parent_path() / p.stem()).string();
}

}  // namespace

bool ReviewWindow::export_to(const std::string& output, std::string& error, bool burn) {
  exporting::ExportOptions options;
  options.recording = video_path_;
  options.format = output.ends_with(".mp4") ? exporting::ExportFormat::Mp4 : exporting::ExportFormat::Matroska;
  options.burn = burn;
  options.output = output;
  options.replace = true;  // the operator was asked already
  exporting::ExportResult result;
  const bool ran = run_with_progress(this, QStringLiteral("Export en H.264…"), true,
                                     [&](std::atomic<double>& fraction, const std::atomic<bool>& cancel) {
                                       gst::GstExportBackend backend;
                                       result = exporting::run_export(
                                           options, backend, [&](double f) { fraction = f; }, cancel);
                                     });
  if (!ran || result.status != exporting::ExportStatus::Done) {
    error = result.message.empty() ? "export annulé" : result.message;
    return false;
  }
  return true;
}

bool ReviewWindow::report_to(const std::string& pdf, std::string& error, const std::string& site,
                             const std::string& operator_name) {
  bool written = false;
  run_with_progress(this, QStringLiteral("Rapport d'inspection…"), false,
                    [&](std::atomic<double>&, const std::atomic<bool>&) {
                      written = write_recording_report(video_path_, pdf, ReportOptions{site, operator_name}, error);
                    });
  return written;
}

// An existing file is replaced only when the operator says so.
bool ReviewWindow::may_write(const std::string& path) {
  std::error_code ec;
  if (path.empty()) return false;
  if (!std::filesystem::exists(path, ec)) return true;
  return prompter_.ask_yes_no(utf8_to_cp1252("Le fichier " + path + " existe déjà. Le remplacer ?"));
}

void ReviewWindow::export_video() {
  DeliverableChoices choices = load_deliverable_choices(choices_file_);
  ExportDialog dialog(stem_path(video_path_), choices, this);
  if (dialog.exec() != QDialog::Accepted || !may_write(dialog.output())) return;
  choices.mp4 = dialog.mp4();
  choices.burn = dialog.burn();
  save_deliverable_choices(choices_file_, choices);
  std::string output = dialog.output();
  // The container is the one chosen, whatever the name typed ends with.
  if (!output.ends_with(choices.mp4 ? ".mp4" : ".mkv")) output += choices.mp4 ? ".mp4" : ".mkv";
  std::string error;
  if (export_to(output, error, choices.burn)) {
    prompter_.inform(utf8_to_cp1252("Vidéo exportée : " + output));
  } else {
    prompter_.inform(utf8_to_cp1252("Export impossible : " + error));
  }
}

void ReviewWindow::write_report() {
  DeliverableChoices choices = load_deliverable_choices(choices_file_);
  ReportDialog dialog(stem_path(video_path_), choices, this);
  if (dialog.exec() != QDialog::Accepted || !may_write(dialog.output())) return;
  choices.site = dialog.site();
  choices.operator_name = dialog.operator_name();
  save_deliverable_choices(choices_file_, choices);
  std::string error;
  if (report_to(dialog.output(), error, choices.site, choices.operator_name)) {
    prompter_.inform(utf8_to_cp1252("Rapport écrit : " + dialog.output()));
  } else {
    prompter_.inform(utf8_to_cp1252("Rapport impossible : " + error));
  }
}

}  // namespace wellvue
