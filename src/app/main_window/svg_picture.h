// A picture drawn from an SVG resource, stretched over the whole widget (the window's logo).
#pragma once
#include <QWidget>

class QSvgRenderer;

namespace wellvue {

class SvgPicture : public QWidget {
 public:
  SvgPicture(const QString& resource, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QSvgRenderer* renderer_;
};

}  // namespace wellvue
