// What both windows share: the application's title, its icon, Qt's own texts
// in the user's language and the twip measure of their layouts.
#pragma once

#include <QIcon>
#include <QRect>
#include <QString>

#include "window/texts.h"

class QTranslator;

namespace karvonel::ui {

// The title of every message box that names no title of its own.
inline const QString kApplicationTitle = QString::fromUtf8(window::kApplicationTitle);

// The application icon, at 16x16 and 32x32 pixels and larger.
QIcon ApplicationIcon();

// Installs Qt's translation of its own texts (the text boxes' context menu,
// standard buttons) for the language of the default locale, the system's
// unless set otherwise. Returns it, owned by the application, or null when Qt
// has none for that language. Needs the application object.
QTranslator* InstallQtTranslations();

// Window layouts are given in twips; 15 twips make one pixel (Qt scales pixels
// for high-DPI screens).
inline constexpr int kTwipsPerPixel = 15;

constexpr QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

}  // namespace karvonel::ui
