#include "app/main_window/station.h"

#include <QCoreApplication>

#include "app/main_window/station_backend.h"
#include "util/decimal_separator.h"

namespace wellvue {

Station::Station(StationOptions options) : boundary_(prompter_) {
  QCoreApplication::setApplicationName(kApplicationTitle);
  init_decimal_separator_from_locale();

  MainFormOptions form_options;
  form_options.boundary = &boundary_;
  main_ = std::make_unique<TFormMain>(station_backend(options.test_source), prompter_, form_options);
  prompter_.set_parent(main_.get());
  // The window is designed visible: FormShow runs now and asks the engine whether it can start.
  main_->show();

  LinkWindowOptions link_options;
  link_options.boundary = &boundary_;
  link_ = std::make_unique<TForm1>(main_.get(), prompter_, link_options);

  TForm1* link = link_.get();
  StationLinks links;
  links.show_link_window = [link] {
    link->show();
    link->raise();
    link->activateWindow();
    link->setFocus();
  };
  links.water_zero = [link] { link->link().SpeedButton2Click(); };
  links.curb_zero_at_tics = [link] {
    DepthState& s = link->link().state();
    s.curb_zero = s.tics;
  };
  links.save_settings = [link] { link->sauve_param(); };
  main_->set_links(std::move(links));
}

Station::~Station() {
  // The link window refers to the main window: it goes first.
  link_.reset();
  main_.reset();
}

}  // namespace wellvue
