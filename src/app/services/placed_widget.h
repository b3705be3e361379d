// Design helper of the hand-laid windows: names a widget as the form's control and puts it at its
// designed place and size.
#pragma once
#include <QString>

namespace wellvue {

template <class W>
W* place(W* w, const char* name, int x, int y, int width, int height) {
  w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(x, y, width, height);
  return w;
}

}  // namespace wellvue
