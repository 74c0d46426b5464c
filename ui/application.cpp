#include "ui/application.h"

namespace karvonel::ui {

QIcon ApplicationIcon() {
  QIcon icon;
  for (const char* size : {"16", "32", "64", "128"}) {
    icon.addFile(QStringLiteral(":/karvonel/icons/karvonel-%1.png").arg(QLatin1String(size)));
  }
  return icon;
}

}  // namespace karvonel::ui
