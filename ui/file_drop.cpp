#include "ui/file_drop.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>
#include <system_error>

#include "ui/folders.h"

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

std::filesystem::path DroppedPointList(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) {
    return {};
  }
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) {
    return {};
  }
  const std::filesystem::path file = LocalPath(urls.front());
  std::error_code error;
  if (!file.has_filename() || !std::filesystem::is_regular_file(file, error) ||
      !PathText(file.filename()).endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
    return {};
  }
  return file;
}

}  // namespace karvonel::ui
