// A small JSON writer for the commands' --json output: compact, one document per run, UTF-8.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace qvm::cli {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  // Ends the document with a newline once every array and object is closed.
  ~JsonWriter();
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The name of the next member of the current object (UTF-8).
  void Key(std::string_view utf8);
  void String(std::string_view utf8);
  // A text of the game's code page, written as UTF-8.
  void Cp1252String(std::string_view cp1252);
  void Number(std::int64_t value);
  void Bool(bool value);

  // Member shorthands.
  void Member(std::string_view key, std::string_view utf8) {
    Key(key);
    String(utf8);
  }
  void Cp1252Member(std::string_view key, std::string_view cp1252) {
    Key(key);
    Cp1252String(cp1252);
  }
  void Member(std::string_view key, std::int64_t value) {
    Key(key);
    Number(value);
  }

 private:
  void BeforeValue();
  std::ostream& out_;
  // One flag per open array or object: true once it holds a value.
  std::vector<bool> open_;
  bool afterKey_ = false;
  bool wroteSomething_ = false;
};

// `utf8` as a JSON string literal, quotes included: '"' and '\' escaped, control characters
// as \n, \r, \t, \b, \f or \u00XX; everything else as it is.
std::string JsonQuoted(std::string_view utf8);

}  // namespace qvm::cli
