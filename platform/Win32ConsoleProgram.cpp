#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "platform/ConsoleProgram.h"
#include "platform/Win32Text.h"

namespace qvm {
namespace {

// Writes UTF-8 to a console window as UTF-16, whatever the console's code page; a character
// cut by the buffer's end waits for the rest.
class ConsoleWriter : public std::streambuf {
 public:
  explicit ConsoleWriter(HANDLE console) : console_(console) { setp(buffer_, buffer_ + kSize); }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    std::size_t whole = WholeUtf8Length(pending);
    std::wstring text = WideFromUtf8(pending.substr(0, whole));
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
      DWORD n = 0;
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
      ok = ::WriteConsoleW(console_, text.data() + done, chunk, &n, nullptr) && n > 0;
      done += n;
    }
    std::size_t rest = pending.size() - whole;
    std::memmove(buffer_, pbase() + whole, rest);
    setp(buffer_, buffer_ + kSize);
    pbump(static_cast<int>(rest));
    return ok;
  }

  static constexpr std::size_t kSize = 4096;
  HANDLE console_;
  char buffer_[kSize];
};

// A console window gets UTF-16; a pipe or file gets the bytes unchanged (binary mode: no
// CR LF for "\n").
void SetUp(std::ostream& stream, FILE* file, DWORD which) {
  ::_setmode(::_fileno(file), _O_BINARY);
  HANDLE handle = ::GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode))
    return;
  // Never freed: the streams are flushed after every static object is gone.
  stream.rdbuf(new ConsoleWriter(handle));
}

}  // namespace

int RunConsoleProgram(int argc, char** argv, int (*program)(int argc, char** argv)) {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  SetUp(std::cout, stdout, STD_OUTPUT_HANDLE);
  SetUp(std::cerr, stderr, STD_ERROR_HANDLE);
  std::clog.rdbuf(std::cerr.rdbuf());
  int status = program(argc, argv);
  std::cout.flush();
  std::cerr.flush();
  return status;
}

}  // namespace qvm
