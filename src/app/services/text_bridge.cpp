#include "app/services/text_bridge.h"

#include "util/cp1252.h"

namespace wellvue {

QString to_qt(const std::string& cp1252) { return QString::fromStdString(cp1252_to_utf8(cp1252)); }

std::string from_qt(const QString& text) { return utf8_to_cp1252(text.toStdString()); }

}  // namespace wellvue
