#include "app/win32/DialogTemplate.h"

namespace qvm {
namespace {

class Writer {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(std::wstring_view text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  std::vector<DWORD> Finish() const {
    std::vector<DWORD> out((words_.size() + 1) / 2, 0);
    for (std::size_t i = 0; i < words_.size(); ++i)
      out[i / 2] |= static_cast<DWORD>(words_[i]) << (i % 2 ? 16 : 0);
    return out;
  }

 private:
  std::vector<WORD> words_;
};

}  // namespace

std::vector<DWORD> DialogTemplate(const DialogSpec& spec) {
  Writer w;
  w.Word(1);       // dlgVer
  w.Word(0xFFFF);  // signature: the extended template
  w.Dword(0);      // helpID
  w.Dword(spec.exStyle);
  w.Dword(spec.style);
  w.Word(0);  // no items
  w.Word(static_cast<WORD>(spec.x));
  w.Word(static_cast<WORD>(spec.y));
  w.Word(static_cast<WORD>(spec.cx));
  w.Word(static_cast<WORD>(spec.cy));
  w.Word(0);  // no menu
  w.Word(0);  // the dialog class
  w.Text(spec.title);
  if (spec.style & DS_SETFONT) {
    w.Word(spec.pointSize);
    w.Word(FW_NORMAL);
    w.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
    w.Text(spec.typeface);
  }
  return w.Finish();
}

}  // namespace qvm
