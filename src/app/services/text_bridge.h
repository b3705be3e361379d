// The edge between the core's CP1252 texts and Qt's QString.
#pragma once
#include <QString>
#include <string>

namespace wellvue {

QString to_qt(const std::string& cp1252);
std::string from_qt(const QString& text);

}  // namespace wellvue
