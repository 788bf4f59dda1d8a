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

// Collects what the program prints and hands it on in large pieces: every write to a file or a
// pipe is a system call, every line of `tree` would be one.
class OutputWriter : public std::streambuf {
 public:
  explicit OutputWriter(HANDLE handle) : handle_(handle) { setp(buffer_, buffer_ + kSize); }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  int sync() override { return Drain() ? 0 : -1; }

  // Writes the start of `pending` it can take whole; how many bytes it took.
  virtual std::size_t Emit(std::string_view pending) {
    for (std::size_t done = 0; done < pending.size();) {
      DWORD n = 0;
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(pending.size() - done, 1 << 30));
      if (!::WriteFile(handle_, pending.data() + done, chunk, &n, nullptr) || n == 0) {
        Fail(::GetLastError());
        return pending.size();
      }
      done += n;
    }
    return pending.size();
  }
  void Fail(DWORD error) {
    // A reader that stopped reading (`| more` quit) ends the output as it ends a Linux
    // program's: no complaint about it.
    if (error != ERROR_NO_DATA && error != ERROR_BROKEN_PIPE && error != ERROR_PIPE_NOT_CONNECTED)
      failed_ = true;
    stopped_ = true;
  }

  HANDLE handle_;

 private:
  bool Drain() {
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    const std::size_t taken = stopped_ ? pending.size() : Emit(pending);
    const std::size_t rest = pending.size() - taken;
    std::memmove(buffer_, pbase() + taken, rest);
    setp(buffer_, buffer_ + kSize);
    pbump(static_cast<int>(rest));
    return !failed_;
  }

  static constexpr std::size_t kSize = 64 * 1024;
  char buffer_[kSize];
  bool failed_ = false;
  bool stopped_ = false;
};

// Writes UTF-8 to a console window as UTF-16, whatever the console's code page; a character
// cut by the buffer's end waits for the rest.
class ConsoleWriter : public OutputWriter {
 public:
  using OutputWriter::OutputWriter;

 protected:
  std::size_t Emit(std::string_view pending) override {
    const std::size_t whole = WholeUtf8Length(pending);
    const std::wstring text = WideFromUtf8(pending.substr(0, whole));
    for (std::size_t done = 0; done < text.size();) {
      DWORD n = 0;
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 16384));
      if (!::WriteConsoleW(handle_, text.data() + done, chunk, &n, nullptr) || n == 0) {
        Fail(::GetLastError());
        return pending.size();
      }
      done += n;
    }
    return whole;
  }
};

// A console window gets UTF-16; a pipe or file gets the bytes unchanged (binary mode: no
// CR LF for "\n").
void SetUp(std::ostream& stream, FILE* file, DWORD which) {
  ::_setmode(::_fileno(file), _O_BINARY);
  HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  // Never freed: the streams are flushed after every static object is gone.
  stream.rdbuf(::GetConsoleMode(handle, &mode) ? new ConsoleWriter(handle)
                                               : new OutputWriter(handle));
}

}  // namespace

int RunConsoleProgram(int argc, char** argv, int (*program)(int argc, char** argv)) {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  SetUp(std::cout, stdout, STD_OUTPUT_HANDLE);
  // Errors stay unbuffered (std::cerr writes at every <<, after flushing std::cout), so they
  // keep their place among the output.
  SetUp(std::cerr, stderr, STD_ERROR_HANDLE);
  std::clog.rdbuf(std::cerr.rdbuf());
  return FinishOutput(program(argc, argv));
}

}  // namespace qvm
