#include "app/recording/qt_recording_host.h"


#include "app/services/text_bridge.h"

namespace wellvue {

std::string QtRecordingHost::video_folder() { return main_.video_folder(); }

std::string QtRecordingHost::prefix() { return from_qt(main_.Edit_nom_prefixe->text()); }

bool QtRecordingHost::with_date() { return main_.CheckBox1->isChecked(); }

void QtRecordingHost::set_depth_text(const std::string& text) { main_.Label2->setText(to_qt(text)); }

std::string QtRecordingHost::status_text() { return from_qt(main_.Label5->text()); }

void QtRecordingHost::set_status_text(const std::string& text) { main_.Label5->setText(to_qt(text)); }

void QtRecordingHost::show_acquisition(int index) {
  LinkWindowDesign& d = link_window_.design();
  QRadioButton* item = index == 0 ? d.RadioGroup1_acquisition : d.RadioGroup1_stop;
  if (item) item->setChecked(true);
}

bool QtRecordingHost::choose_video_folder() { return main_.Panel_repClick(); }

void QtRecordingHost::show_warning(const std::string& text) { main_.show_status_notice(text); }

void QtRecordingHost::show_idle() { main_.show_recording_stopped(); }

}  // namespace wellvue
