// karvonel: the window program. Starts in the current folder.
#include <QApplication>

#include "ui/qt/application.h"
#include "ui/qt/frm_karvonel.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(karvonel::ui::kApplicationTitle);
  QApplication::setDesktopFileName(QStringLiteral("karvonel"));
  QApplication::setWindowIcon(karvonel::ui::ApplicationIcon());
  karvonel::ui::InstallQtTranslations();
  karvonel::ui::FrmKarvonel window;
  window.show();
  return QApplication::exec();
}
