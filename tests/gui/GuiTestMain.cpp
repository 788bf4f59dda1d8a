// The GUI tests share one application object; they never need a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QtGlobal>

int main(int argc, char** argv) {
  // Test discovery runs the binary outside ctest's environment, so choose the platform here.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
