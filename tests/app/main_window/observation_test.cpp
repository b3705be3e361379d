// The photo and observation buttons and keys, and the observation dialog, on real widgets: what
// the operator's keys and clicks give the station, and nothing before a camera is chosen.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_window/observation_dialog.h"
#include "form_fixture.h"
#include "util/observation_codes.h"

namespace wellvue {
namespace {

// Acts on each modal dialog of the given name once it is the active one, in turn.
class DialogHand {
 public:
  using Act = std::function<void(QDialog*)>;
  explicit DialogHand(std::vector<std::pair<QString, Act>> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (next_ >= steps_.size()) return;
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d || d->objectName() != steps_[next_].first || d == last_) return;
      last_ = d;
      steps_[next_++].second(d);
    });
    timer_.start(30);
  }
  std::size_t done() const { return next_; }

 private:
  std::vector<std::pair<QString, Act>> steps_;
  std::size_t next_ = 0;
  QDialog* last_ = nullptr;
  QTimer timer_;
};

void click_code(QDialog* d, const QString& code) {
  auto* list = d->findChild<QListWidget*>("ListBox_codes");
  ASSERT_NE(list, nullptr);
  const auto items = list->findItems(code, Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1) << code.toStdString();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.front()).center());
}

struct Station {
  FormFixture f;
  int photos = 0;
  int reviews = 0;
  std::vector<std::pair<std::string, std::string>> observed;
  std::vector<std::string> codes = {"Tubage : joint", "Cr\xC3\xA9pine haut", "Objet tomb\xC3\xA9"};
  std::vector<std::vector<std::string>> saved;

  Station() {
    StationLinks links = f.form->links();
    links.take_photo = [this] { ++photos; };
    links.review_last = [this] { ++reviews; };
    links.observe = [this](const std::string& c, const std::string& n) { observed.emplace_back(c, n); };
    links.observation_codes = [this] { return codes; };
    links.save_observation_codes = [this](const std::vector<std::string>& l) {
      saved.push_back(l);
      codes.clear();
      for (const std::string& s : l)
        if (!s.empty()) codes.push_back(s);
    };
    f.form->set_links(links);
    f.form->config()->WantCapture = true;
  }
  // The offscreen platform gives the activation back to no window when a dialog closes; a window
  // manager gives it to the main window.
  void key(Qt::Key k) {
    f.form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
    QTest::keyClick(f.form.get(), k);
  }
};

TEST(ObservationButtons, NothingBeforeTheCameraChoiceThenKeysAndButtonsAct) {
  Station s;
  TFormMain& m = *s.f.form;
  // Every dialog that opens is counted and cancelled.
  int dialogs = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ++dialogs;
      d->reject();
    }
  });
  closer.start(30);
  for (ImageButton* b : {m.Panel_photo, m.Panel_observation}) EXPECT_FALSE(b->is_enabled_button());
  const QPoint home = m.Panel_photo->pos();
  s.key(Qt::Key_F5);
  s.key(Qt::Key_F6);
  QTest::mousePress(m.Panel_observation, Qt::LeftButton, {}, QPoint(60, 20));
  QTest::mouseRelease(m.Panel_observation, Qt::LeftButton, {}, QPoint(60, 20));
  EXPECT_EQ(s.photos, 0);
  EXPECT_EQ(dialogs, 0);
  EXPECT_EQ(m.Panel_photo->pos(), home);  // a key leaves no button pressed

  // The camera choice, cancelled: the buttons come alive all the same, like the start button.
  m.traite_down(m.Panel_choix_cam);
  EXPECT_EQ(dialogs, 1);
  for (ImageButton* b : {m.Panel_photo, m.Panel_observation}) EXPECT_TRUE(b->is_enabled_button());

  s.key(Qt::Key_F5);
  EXPECT_EQ(s.photos, 1);
  EXPECT_EQ(m.Panel_photo->pos(), home);
  QTest::mousePress(m.Panel_photo, Qt::LeftButton, {}, QPoint(60, 20));
  QTest::mouseRelease(m.Panel_photo, Qt::LeftButton, {}, QPoint(60, 20));
  EXPECT_EQ(s.photos, 2);
  EXPECT_EQ(m.Panel_photo->pos(), home);
  EXPECT_EQ(dialogs, 1);
  // F6 opens the observation dialog now (cancelled here: nothing logged).
  s.key(Qt::Key_F6);
  EXPECT_EQ(dialogs, 2);
  EXPECT_TRUE(s.observed.empty());
  EXPECT_TRUE(s.f.prompter.texts().empty());
}

// The field keys act whatever has the focus: a field of the main window, or another window of the
// station (as the link window is).
TEST(CommandKeys, ActWhateverHasTheFocus) {
  Station s;
  TFormMain& m = *s.f.form;
  m.set_button_states(TFormMain::ButtonStates::Ready);
  m.set_button_states(TFormMain::ButtonStates::Recording);  // the zeros come alive
  QLineEdit other;
  other.show();
  struct Focus {
    const char* name;
    QWidget* widget;
  };
  for (const Focus& focus : {Focus{"a field of the main window", m.Edit_nom_prefixe}, Focus{"another window", &other}}) {
    SCOPED_TRACE(focus.name);
    focus.widget->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(focus.widget->window()));
    focus.widget->setFocus();
    const int photos = s.photos;
    const int water_zeros = s.f.water_zeros;
    const bool panel = m.Panel_margelle->isVisible();
    QTest::keyClick(focus.widget, Qt::Key_F5);
    QTest::keyClick(focus.widget, Qt::Key_F8);
    QTest::keyClick(focus.widget, Qt::Key_F4);
    EXPECT_EQ(s.photos, photos + 1);
    EXPECT_EQ(s.f.water_zeros, water_zeros + 1);
    EXPECT_NE(m.Panel_margelle->isVisible(), panel);
  }
}

// "Revoir" waits for a recording to look at: neither its key nor its button act before a stop.
TEST(ReviewButton, OnlyAfterARecordingStopped) {
  Station s;
  TFormMain& m = *s.f.form;
  m.set_button_states(TFormMain::ButtonStates::Ready);
  EXPECT_FALSE(m.Panel_revoir->is_enabled_button());
  s.key(Qt::Key_F7);
  EXPECT_EQ(s.reviews, 0);
  m.set_button_states(TFormMain::ButtonStates::Recording);
  m.set_button_states(TFormMain::ButtonStates::Stopped);
  EXPECT_TRUE(m.Panel_revoir->is_enabled_button());
  s.key(Qt::Key_F7);
  QTest::mousePress(m.Panel_revoir, Qt::LeftButton, {}, QPoint(60, 20));
  QTest::mouseRelease(m.Panel_revoir, Qt::LeftButton, {}, QPoint(60, 20));
  EXPECT_EQ(s.reviews, 2);
}

TEST(ObservationButtons, F6PicksACodeWithANoteAndEscapeOrNoPickGivesNothing) {
  Station s;
  TFormMain& m = *s.f.form;
  m.set_button_states(TFormMain::ButtonStates::Ready);
  {
    // Escape, after a code was picked: nothing logged.
    DialogHand hand({{"ObservationDialog", [](QDialog* d) {
                        click_code(d, QString::fromUtf8("Cr\xC3\xA9pine haut"));
                        QTest::keyClick(d->findChild<QListWidget*>("ListBox_codes"), Qt::Key_Escape);
                      }}});
    s.key(Qt::Key_F6);
    EXPECT_EQ(hand.done(), 1u);
  }
  {
    // Enter with no code picked (the list's own current row is no pick): the dialog stays.
    DialogHand hand({{"ObservationDialog", [](QDialog* d) {
                        QTest::keyClick(d->findChild<QListWidget*>("ListBox_codes"), Qt::Key_Return);
                        EXPECT_TRUE(d->isVisible());
                        EXPECT_FALSE(d->findChild<QPushButton*>("Button_save")->isEnabled());
                        d->findChild<QPushButton*>("Button_cancel")->click();
                      }}});
    s.key(Qt::Key_F6);
    EXPECT_EQ(hand.done(), 1u);
  }
  EXPECT_TRUE(s.observed.empty());
  {
    // One click picks, a note typed, Enter in the note saves.
    DialogHand hand({{"ObservationDialog", [](QDialog* d) {
                        click_code(d, QString::fromUtf8("Objet tomb\xC3\xA9"));
                        auto* note = d->findChild<QLineEdit*>("Edit_note");
                        note->setFocus();
                        QTest::keyClicks(note, "sac coinc");
                        note->insert(QString::fromUtf8("\xC3\xA9"));  // typed keys are ASCII only
                        QTest::keyClick(note, Qt::Key_Return);
                      }}});
    s.key(Qt::Key_F6);
    EXPECT_EQ(hand.done(), 1u);
  }
  {
    // The button, a pick and Enter on the list: no note.
    DialogHand hand({{"ObservationDialog", [](QDialog* d) {
                        click_code(d, "Tubage : joint");
                        QTest::keyClick(d->findChild<QListWidget*>("ListBox_codes"), Qt::Key_Enter);
                      }}});
    QTest::mousePress(m.Panel_observation, Qt::LeftButton, {}, QPoint(60, 20));
    QTest::mouseRelease(m.Panel_observation, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(hand.done(), 1u);
  }
  const std::vector<std::pair<std::string, std::string>> expected = {{"Objet tomb\xC3\xA9", "sac coinc\xC3\xA9"},
                                                                     {"Tubage : joint", ""}};
  EXPECT_EQ(s.observed, expected);
  EXPECT_EQ(s.photos, 0);
}

TEST(ObservationDialog, TheListEditorWritesTheCodesAndTheListReloads) {
  Station s;
  s.f.form->set_button_states(TFormMain::ButtonStates::Ready);
  DialogHand hand({{"ObservationDialog",
                    [](QDialog* d) {
                      // Clicked from the event loop: the editor's own loop runs inside the click,
                      // and a timer's handler does not run again while it is under way.
                      QTimer::singleShot(0, d->findChild<QPushButton*>("Button_edit_list"), &QPushButton::click);
                    }},
                   {"CodeListEditor", [](QDialog* e) {
                      auto* text = e->findChild<QPlainTextEdit*>("Memo_codes");
                      EXPECT_EQ(text->toPlainText().toStdString(),
                                "Tubage : joint\nCr\xC3\xA9pine haut\nObjet tomb\xC3\xA9\n");
                      text->setPlainText(QString::fromUtf8("Racines\nVenue d'eau\n"));
                      e->findChild<QPushButton*>("Button_save_list")->click();
                    }}});
  // Back in the same dialog once the editor closed: its list as reloaded, then a pick saved.
  QTimer check;
  std::vector<std::string> shown;
  bool checked = false;
  QObject::connect(&check, &QTimer::timeout, [&] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (checked || hand.done() < 2 || !d || d->objectName() != "ObservationDialog") return;
    checked = true;
    auto* list = d->findChild<QListWidget*>("ListBox_codes");
    for (int i = 0; i < list->count(); ++i) shown.push_back(list->item(i)->text().toStdString());
    click_code(d, "Venue d'eau");
    d->findChild<QPushButton*>("Button_save")->click();
  });
  check.start(40);
  s.key(Qt::Key_F6);
  ASSERT_EQ(s.saved.size(), 1u);
  EXPECT_EQ(s.saved[0], (std::vector<std::string>{"Racines", "Venue d'eau", ""}));
  EXPECT_EQ(shown, (std::vector<std::string>{"Racines", "Venue d'eau"}));
  ASSERT_EQ(s.observed.size(), 1u);
  EXPECT_EQ(s.observed[0].first, "Venue d'eau");
}

}  // namespace
}  // namespace wellvue

namespace wellvue {
namespace {

// A station that gives no list still offers the usual codes, and no editing.
TEST(ObservationDialog, WithoutAListTheUsualCodesAndNoEditing) {
  ObservationDialog d({}, {});
  ASSERT_EQ(d.codes_list()->count(), static_cast<int>(default_observation_codes().size()));
  EXPECT_EQ(d.codes_list()->item(0)->text().toStdString(), default_observation_codes()[0]);
  EXPECT_FALSE(d.edit_button()->isEnabled());
  EXPECT_FALSE(d.save_button()->isEnabled());
}

}  // namespace
}  // namespace wellvue
