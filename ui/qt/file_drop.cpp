#include "ui/qt/file_drop.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>

namespace karvonel::ui {
namespace {

std::filesystem::path LocalPath(const QUrl& url) {
#ifdef _WIN32
  return std::filesystem::path(url.toLocalFile().toStdWString());
#else
  // The URL carries the name's bytes percent-encoded; those that are not UTF-8
  // stay encoded in the URL and come back here unchanged, where toLocalFile
  // would put U+FFFD in their place.
  return std::filesystem::path(
      QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
#endif
}

}  // namespace

std::vector<std::filesystem::path> DroppedFiles(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls())
    return {};
  std::vector<std::filesystem::path> files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile())
      return {};
    files.push_back(LocalPath(url));
  }
  return files;
}

}  // namespace karvonel::ui
