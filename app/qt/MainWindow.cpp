#include "app/qt/MainWindow.h"

#include <QIcon>

#include "app/Startup.h"
#include "app/qt/QtText.h"

namespace qvm {

MainWindow::MainWindow(GameDatabase& db, QWidget* parent) : QWidget(parent), db_(db) {
  setWindowTitle(ToQString(ProgramTitle()));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  QIcon icon;
  icon.addFile(":/icons/102/32.png", QSize(32, 32));
  icon.addFile(":/icons/102/16.png", QSize(16, 16));
  setWindowIcon(icon);
  setFixedSize(762, 569);
}

}  // namespace qvm
