#include "app/recording/qt_recording_host.h"

#include <QEventLoop>
#include <QPointer>
#include <memory>

#include "app/services/text_bridge.h"

namespace wellvue {

std::string QtRecordingHost::video_folder() { return main_.video_folder(); }

std::string QtRecordingHost::prefix() { return from_qt(main_.Edit_nom_prefixe->text()); }

bool QtRecordingHost::with_date() { return main_.CheckBox1->isChecked(); }

// The model's depth line, not the label: the label may carry a disconnection notice beside it.
std::string QtRecordingHost::depth_text() { return link_window_.model().depth_text(); }

void QtRecordingHost::set_depth_text(const std::string& text) {
  link_window_.model().set_depth_text(text);
  main_.Label2->setText(to_qt(text));
}

std::string QtRecordingHost::status_text() { return from_qt(main_.Label5->text()); }

void QtRecordingHost::set_status_text(const std::string& text) { main_.Label5->setText(to_qt(text)); }

void QtRecordingHost::close_port() { link_window_.Button2Click(); }

void QtRecordingHost::open_port() {
  // Shared with the completion, which may come after this call returned (window gone).
  struct Wait {
    bool done = false;
    QEventLoop loop;
  };
  auto wait = std::make_shared<Wait>();
  link_window_.Button1Click([wait](bool) {
    wait->done = true;
    wait->loop.quit();
  });
  if (!wait->done) wait->loop.exec();
}

void QtRecordingHost::show_acquisition(int index) {
  LinkWindowDesign& d = link_window_.design();
  QRadioButton* item = index == 0 ? d.RadioGroup1_acquisition : d.RadioGroup1_stop;
  if (item) item->setChecked(true);
}

bool QtRecordingHost::choose_video_folder() { return main_.Panel_repClick(); }

void QtRecordingHost::show_warning(const std::string& text) { main_.show_status_notice(text); }

void QtRecordingHost::show_idle() { main_.show_recording_stopped(); }

}  // namespace wellvue
