// Turns the operator's manual (Markdown with pictures) into "Manuel Wellvue.pdf" with Qt's own
// PDF writer, so the build needs no TeX or other converter.
//   wellvue-manual-pdf SOURCE.md OUTPUT.pdf
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {

// Every picture is loaded from the source's folder and fitted to the text width; a missing one
// fails the build rather than leaving a hole in the manual.
bool place_images(QTextDocument& doc, const QDir& base, double text_width) {
  bool ok = true;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid() || !fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat image_format = fragment.charFormat().toImageFormat();
      const QString name = image_format.name();
      const QImage image(base.filePath(name));
      if (image.isNull()) {
        std::fprintf(stderr, "wellvue-manual-pdf: picture not found: %s\n", qPrintable(base.filePath(name)));
        ok = false;
        continue;
      }
      // The layout draws a picture at its own size and crops it to the box, so the picture is
      // scaled here to the box, at twice its pixels so it stays sharp on paper.
      const double width = std::min<double>(text_width, image.width() * 0.5);
      QImage fitted = image.scaledToWidth(static_cast<int>(2 * width), Qt::SmoothTransformation);
      fitted.setDevicePixelRatio(2.0);
      doc.addResource(QTextDocument::ImageResource, QUrl(name), fitted);
      image_format.setWidth(fitted.width() / 2.0);
      image_format.setHeight(fitted.height() / 2.0);
      QTextCursor cursor(&doc);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(image_format);
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // Fonts and layout need a platform plugin but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: wellvue-manual-pdf SOURCE.md OUTPUT.pdf\n");
    return 2;
  }
  QFile source(QString::fromLocal8Bit(argv[1]));
  if (!source.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "wellvue-manual-pdf: cannot read %s\n", argv[1]);
    return 1;
  }
  const QString text = QString::fromUtf8(source.readAll());
  const QString output = QString::fromLocal8Bit(argv[2]);

  {
    // The writer closes its file when it goes; only a whole file takes the final name.
    QPdfWriter writer(output + ".part");
    writer.setTitle(QStringLiteral("Manuel Wellvue"));
    writer.setCreator(QStringLiteral("Wellvue"));
    writer.setResolution(150);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    // Printing lays the text out at 96 units an inch inside its own 2 cm margins.
    const double text_width = (writer.pageLayout().paintRect(QPageLayout::Millimeter).width() - 40.0) * 96.0 / 25.4;
    if (!place_images(doc, QFileInfo(source).absoluteDir(), text_width)) return 1;
    doc.print(&writer);
  }
  QFile::remove(output);
  if (!QFile::rename(output + ".part", output)) {
    std::fprintf(stderr, "wellvue-manual-pdf: cannot write %s\n", qPrintable(output));
    return 1;
  }
  return 0;
}
