// The core's CP1252 texts at the Qt boundary.
#pragma once

#include <QFile>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Cp1252.h"
#include "platform/PathText.h"

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

// File names at the Qt boundary, as Qt encodes them for this system.
inline QString QStringFromPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(Utf8FromPath(path)));
}
inline std::filesystem::path PathFromQString(const QString& name) {
  return PathFromUtf8(QFile::encodeName(name).toStdString());
}

}  // namespace qvm
