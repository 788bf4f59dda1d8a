#include "cli/Json.h"

#include <ostream>

#include "platform/Cp1252.h"

namespace qvm::cli {

std::string JsonQuoted(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

JsonWriter::~JsonWriter() {
  if (wroteSomething_ && open_.empty()) out_ << '\n';
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!open_.empty()) {
    if (open_.back()) out_ << ',';
    open_.back() = true;
  }
  wroteSomething_ = true;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  out_ << '{';
  open_.push_back(false);
}

void JsonWriter::EndObject() {
  out_ << '}';
  open_.pop_back();
}

void JsonWriter::BeginArray() {
  BeforeValue();
  out_ << '[';
  open_.push_back(false);
}

void JsonWriter::EndArray() {
  out_ << ']';
  open_.pop_back();
}

void JsonWriter::Key(std::string_view utf8) {
  BeforeValue();
  out_ << JsonQuoted(utf8) << ':';
  afterKey_ = true;
}

void JsonWriter::String(std::string_view utf8) {
  BeforeValue();
  out_ << JsonQuoted(utf8);
}

void JsonWriter::Cp1252String(std::string_view cp1252) { String(Utf8FromCp1252(cp1252)); }

void JsonWriter::Number(std::int64_t value) {
  BeforeValue();
  out_ << value;
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ << (value ? "true" : "false");
}

}  // namespace qvm::cli
