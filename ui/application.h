// What both windows share: the application's title, its icon and the twip
// measure of their layouts.
#pragma once

#include <QIcon>
#include <QRect>
#include <QString>

#include "karvonel/version.h"

namespace karvonel::ui {

// The title of every message box that names no title of its own.
inline const QString kApplicationTitle = QString::fromLatin1(kProjectName);

// The application icon, at 16x16 and 32x32 pixels and larger.
QIcon ApplicationIcon();

// Window layouts are given in twips; 15 twips make one pixel (Qt scales pixels
// for high-DPI screens).
inline constexpr int kTwipsPerPixel = 15;

constexpr QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

}  // namespace karvonel::ui
