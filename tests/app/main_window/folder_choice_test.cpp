// The video folder choice, "Voir la dernière vidéo" and the chooser's own rules, on the real
// chooser dialog driven as the operator would.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include "app/main_window/folder_chooser.h"
#include "app/services/text_bridge.h"
#include "form_fixture.h"

namespace wellvue {
namespace {

// Plays the operator's steps, one per chooser that is up (a step that keeps it open is followed
// by the next one on the same chooser).
class ChooserHand {
 public:
  using Step = std::function<void(FolderChooser&)>;
  explicit ChooserHand(std::vector<Step> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* chooser = qobject_cast<FolderChooser*>(QApplication::activeModalWidget());
      if (!chooser || next_ >= steps_.size()) return;
      if (++shown_steps_ == 1) start_path_ = chooser->path_edit->text();
      steps_[next_++](*chooser);
    });
    timer_.start(30);
  }
  std::size_t steps_done() const { return shown_steps_; }
  QString first_path() const { return start_path_; }

 private:
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::size_t shown_steps_ = 0;
  QString start_path_;
  QTimer timer_;
};

ChooserHand::Step type_and_ok(const QString& path) {
  return [path](FolderChooser& c) {
    c.path_edit->setText(path);
    c.ok_button->click();
  };
}
ChooserHand::Step cancel() {
  return [](FolderChooser& c) { c.cancel_button->click(); };
}

enum class Target { Existing, New, NewNested, File, Empty };

struct ChoiceCase {
  const char* name;
  Target target;
  std::deque<bool> answers;  // to the creation question
  bool then_cancel;          // a last step cancels the chooser (it stayed open)
  bool chosen;               // the folder became the video folder
  bool exists_after;         // the target is a folder afterwards
  std::size_t questions;     // creation questions asked
};

class FolderChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(FolderChoice, TakesCreatesOrLeavesEverything) {
  const ChoiceCase& c = GetParam();
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString before = tmp.path() + "/avant";
  ASSERT_TRUE(QDir().mkpath(before));
  QString target;
  switch (c.target) {
    case Target::Existing:
      target = tmp.path() + "/puits";
      QDir().mkpath(target);
      break;
    case Target::New:
      target = tmp.path() + "/nouveau";
      break;
    case Target::NewNested:
      target = tmp.path() + "/a/b/c";
      break;
    case Target::File: {
      target = tmp.path() + "/fichier";
      QFile file(target);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      break;
    }
    case Target::Empty:
      target = "";
      break;
  }

  FormFixture f;
  TFormMain& m = *f.form;
  m.set_video_folder(from_qt(before));
  const QString caption = m.windowTitle();
  for (bool a : c.answers) f.prompter.add_answer(a);
  std::vector<ChooserHand::Step> steps{type_and_ok(target)};
  if (c.then_cancel) steps.push_back(cancel());
  ChooserHand hand(steps);
  QTest::mouseClick(m.Panel_rep, Qt::LeftButton, {}, QPoint(10, 10));

  EXPECT_EQ(hand.steps_done(), steps.size());
  EXPECT_EQ(hand.first_path(), before);  // the chooser opens on the present folder
  std::size_t questions = 0;
  std::vector<std::string> informs;
  for (const auto& s : f.prompter.shown()) {
    if (s.kind == ScriptedPrompter::Kind::YesNo) ++questions;
    else informs.push_back(s.text);
  }
  EXPECT_EQ(questions, c.questions);
  if (c.chosen) {
    EXPECT_EQ(m.video_folder(), from_qt(target));
    EXPECT_EQ(m.windowTitle(), QString::fromUtf8(TFormMain::kCaptionPrefix) + target);
    ASSERT_FALSE(informs.empty());
    EXPECT_EQ(informs.back(), "r\xE9pertoire choisi : \n\n" + from_qt(target));
  } else {
    EXPECT_EQ(m.video_folder(), from_qt(before));
    EXPECT_EQ(m.windowTitle(), caption);
  }
  if (!target.isEmpty()) {
    EXPECT_EQ(QFileInfo(target).isDir(), c.exists_after);
  }
  EXPECT_EQ(f.saves, 0);  // the settings file is written only at closing
}

INSTANTIATE_TEST_SUITE_P(
    VideoFolder, FolderChoice,
    ::testing::Values(ChoiceCase{"Existing", Target::Existing, {}, false, true, true, 0},
                      ChoiceCase{"NewCreatedOnYes", Target::New, {true}, false, true, true, 1},
                      ChoiceCase{"NestedCreatedOnYes", Target::NewNested, {true}, false, true, true, 1},
                      ChoiceCase{"NewRefusedThenCancelled", Target::New, {false}, true, false, false, 1},
                      ChoiceCase{"AFileIsNoFolder", Target::File, {}, true, false, false, 0},
                      ChoiceCase{"EmptyPathKeepsTheChooser", Target::Empty, {}, true, false, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FolderChoice, CancelLeavesFolderCaptionAndMessagesAlone) {
  FormFixture f;
  TFormMain& m = *f.form;
  m.set_video_folder("/nulle/part");  // a folder that does not exist: the chooser starts empty
  const QString caption = m.windowTitle();
  ChooserHand hand({cancel()});
  QTest::mouseClick(m.Panel_rep, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(hand.steps_done(), 1u);
  EXPECT_EQ(hand.first_path(), QString());
  EXPECT_EQ(m.video_folder(), "/nulle/part");
  EXPECT_EQ(m.windowTitle(), caption);
  EXPECT_TRUE(f.prompter.shown().empty());
}

TEST(FolderChoice, ACreationThatFailsIsToldAndChangesNothing) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  // Under a plain file no folder can be made, whoever runs the test.
  const QString blocked = tmp.path() + "/un_fichier";
  QFile file(blocked);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const QString target = blocked + "/videos";
  FormFixture f;
  TFormMain& m = *f.form;
  m.set_video_folder(from_qt(tmp.path()));
  f.prompter.add_answer(true);
  ChooserHand hand({type_and_ok(target), cancel()});
  QTest::mouseClick(m.Panel_rep, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(m.video_folder(), from_qt(tmp.path()));
  EXPECT_EQ(f.prompter.texts().back(),
            "Impossible de cr\xE9"
            "er le r\xE9pertoire " +
                from_qt(target));
  EXPECT_EQ(hand.steps_done(), 2u);  // the chooser stayed open after the failure
}

TEST(ViewRecordings, AnExistingFolderIsOpenedOnTheDesktop) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  FormFixture f;
  f.form->set_video_folder(from_qt(tmp.path()));
  f.form->choix_couleur();  // as the settings reading does at start: the button comes alive
  QTest::mouseClick(f.form->Panel_visionner, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(f.opened, std::vector<QString>{tmp.path()});
  EXPECT_TRUE(f.prompter.shown().empty());
  EXPECT_FALSE(f.form->Panel_visionner->is_pressed());
}

TEST(ViewRecordings, AFolderDeletedSinceIsToldThenChosenAgain) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString gone = tmp.path() + "/efface";
  const QString fresh = tmp.path() + "/neuf";
  ASSERT_TRUE(QDir().mkpath(fresh));
  FormFixture f;
  TFormMain& m = *f.form;
  m.set_video_folder(from_qt(gone));
  m.choix_couleur();
  ChooserHand hand({type_and_ok(fresh)});
  QTest::mouseClick(m.Panel_visionner, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(f.opened.empty());
  const std::vector<std::string> expected = {
      " R\xE9pertoire " + from_qt(gone) + " introuvable\n\n Choisir un r\xE9pertoire vid\xE9o valide ...",
      "r\xE9pertoire choisi : \n\n" + from_qt(fresh)};
  EXPECT_EQ(f.prompter.texts(), expected);
  EXPECT_EQ(m.video_folder(), from_qt(fresh));
}

TEST(FolderChooser, ARelativeNameIsTakenInsideTheFolderShown) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  ScriptedPrompter prompter({true});
  FolderChooser chooser(tmp.path(), prompter);
  chooser.path_edit->setText("campagne 2024");
  chooser.accept();
  EXPECT_EQ(chooser.result(), QDialog::Accepted);
  EXPECT_EQ(chooser.folder(), tmp.path() + "/campagne 2024");
  EXPECT_TRUE(QFileInfo(tmp.path() + "/campagne 2024").isDir());
}

// A folder of the system typed by hand (root can write to "/") is refused with the reason; the
// operator's own folder is taken.
TEST(FolderChooser, RefusesTheSystemsFoldersWithTheReason) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  struct Case {
    QString typed;
    bool taken;
  };
  for (const Case& c : {Case{"/", false}, Case{"/usr/share", false}, Case{"/etc", false}, Case{"/proc/self", false},
                        Case{tmp.path(), true}}) {
    SCOPED_TRACE(c.typed.toStdString());
    ScriptedPrompter prompter;
    FolderChooser chooser(tmp.path(), prompter);
    chooser.path_edit->setText(c.typed);
    chooser.accept();
    EXPECT_EQ(chooser.result() == QDialog::Accepted, c.taken);
    if (!c.taken) {
      ASSERT_EQ(prompter.texts().size(), 1u);
      EXPECT_NE(prompter.texts()[0].find("appartient au syst\xE8me"), std::string::npos) << prompter.texts()[0];
    }
  }
}

}  // namespace
}  // namespace wellvue
