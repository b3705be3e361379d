// Qt's own dialogs speak French once the station has installed the translations.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include "app/services/french_translations.h"

namespace wellvue {
namespace {

TEST(FrenchTranslations, QtDialogsAndButtonsAreFrench) {
  ASSERT_FALSE(install_french_translations().isEmpty());
  // The texts a file dialog and a standard button box show, as Qt translates them.
  QFileDialog dialog(nullptr, QString(), QDir::tempPath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  QStringList labels;
  for (auto* label : dialog.findChildren<QLabel*>()) labels << label->text();
  const QString all = labels.join('|');
  EXPECT_TRUE(all.contains(QStringLiteral("Voir dans"))) << all.toStdString();
  EXPECT_TRUE(all.contains(QStringLiteral("Nom de fichier"))) << all.toStdString();
  QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Open)->text(), QStringLiteral("Ouvrir"));
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annuler"));
}

}  // namespace
}  // namespace wellvue
