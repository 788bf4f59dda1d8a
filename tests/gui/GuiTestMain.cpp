// The GUI tests share one application object; they never need a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QtGlobal>

#include "app/qt/QtMessageBox.h"

namespace {

// A message box nobody scripted would wait for a click forever: answer it (OK, or No to a
// question) and let the test fail unless it scripts its own.
class UnexpectedMessages : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    qvm::QtMessageBox::SetScript([](std::string_view text, const qvm::MessageStyle& style) {
      ADD_FAILURE() << "unexpected message box: " << text;
      return style.yesNo ? qvm::MessageAnswer::No : qvm::MessageAnswer::Ok;
    });
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Test discovery runs the binary outside ctest's environment, so choose the platform here.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new UnexpectedMessages);
  return RUN_ALL_TESTS();
}
