#include "app/win32/FindField.h"

#include <string>

#include "app/win32/WideText.h"

namespace qvm {

FindField::FindField(HWND field, Win32TreeView& tree, const CategoryTree& nodes)
    : field_(field), tree_(tree), nodes_(nodes) {
  ::SendMessageW(field_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Find a name"));
}

void FindField::Open() {
  if (finder_.Empty()) finder_.Build(nodes_);
  // Over the bottom of the tree, inside its border: the window's layout stays as it is.
  RECT tree;
  ::GetWindowRect(tree_.Window(), &tree);
  ::MapWindowPoints(nullptr, ::GetParent(field_), reinterpret_cast<POINT*>(&tree), 2);
  RECT own;
  ::GetWindowRect(field_, &own);
  const int height = own.bottom - own.top;
  ::SetWindowPos(field_, HWND_TOP, tree.left + 2, tree.bottom - height - 2,
                 tree.right - tree.left - 4, height, SWP_SHOWWINDOW);
  ::SetFocus(field_);
  ::SendMessageW(field_, EM_SETSEL, 0, -1);
}

void FindField::Close() {
  ::ShowWindow(field_, SW_HIDE);
  ::SetFocus(tree_.Window());
}

bool FindField::Search(bool next, bool backward) {
  if (finder_.Empty()) finder_.Build(nodes_);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(field_)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(field_, text.data(), static_cast<int>(text.size()))));
  const NodeHandle found = finder_.Find(Cp1252FromWide(text), tree_.Selection(), backward, !next);
  notFound_ = found == 0 && !text.empty();
  ::InvalidateRect(field_, nullptr, TRUE);
  if (found) tree_.GoTo(found);
  return found != 0;
}

}  // namespace qvm
