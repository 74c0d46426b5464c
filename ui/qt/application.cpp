#include "ui/qt/application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace karvonel::ui {

QIcon ApplicationIcon() {
  QIcon icon;
  for (const char* size : {"16", "32", "64", "128"}) {
    icon.addFile(QStringLiteral(":/karvonel/icons/karvonel-%1.png").arg(QLatin1String(size)));
  }
  return icon;
}

QTranslator* InstallQtTranslations() {
  auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
  if (!translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator.get())) {
    return nullptr;
  }
  return translator.release();
}

}  // namespace karvonel::ui
