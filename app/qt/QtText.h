// The core's CP1252 texts at the Qt boundary.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/Cp1252.h"

namespace qvm {

inline QString ToQString(std::string_view cp1252) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp1252.size()));
  for (char c : cp1252)
    out += QChar(static_cast<char16_t>(CodePointOfCp1252(static_cast<unsigned char>(c))));
  return out;
}

// Characters CP1252 cannot hold become "?".
inline std::string FromQString(const QString& text) {
  auto converted = Cp1252FromUtf8(text.toStdString());
  if (converted) return *converted;
  std::string out;
  for (QChar ch : text) {
    auto one = Cp1252FromUtf8(QString(ch).toStdString());
    out += one ? *one : std::string("?");
  }
  return out;
}

}  // namespace qvm
