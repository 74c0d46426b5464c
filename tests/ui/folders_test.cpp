// The drive list's choice of mounts, the drive of a folder, the parents of a
// folder and what the directory and file lists read from a folder.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ui/folders.h"

using karvonel::ui::Drive;
using karvonel::ui::Mount;

namespace {

// "root|type|name" entries separated by ";"; a type ending in "!" is not ready.
QList<Mount> ParseMounts(const QString& text) {
  QList<Mount> mounts;
  for (const QString& entry : text.split(u';', Qt::SkipEmptyParts)) {
    const QStringList field = entry.split(u'|');
    QByteArray type = field.value(1).toUtf8();
    const bool ready = !type.endsWith('!');
    if (!ready) {
      type.chop(1);
    }
    mounts.append({field.value(0), type, field.value(2), ready});
  }
  return mounts;
}

QList<Drive> ParseDrives(const QString& roots) {
  QList<Drive> drives;
  for (const QString& root : roots.split(u';')) {
    drives.append({root, root});
  }
  return drives;
}

QStringList Texts(const QList<karvonel::ui::FolderEntry>& entries) {
  QStringList texts;
  for (const karvonel::ui::FolderEntry& entry : entries) {
    texts.append(entry.text);
  }
  return texts;
}

void WriteFile(const QString& path) {
  QFile file(path);
  QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
  file.write("1,2,3\n");
}

}  // namespace

class FoldersTest : public QObject {
  Q_OBJECT

 private slots:
  void userDrives_data() {
    QTest::addColumn<QString>("mounts");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("root and home only") << "/|ext4|;/home|ext4|"
                                        << "/home/kim" << QStringList{"/", "/home/kim"};
    QTest::newRow("home with a trailing slash") << ""
                                                << "/home/kim/" << QStringList{"/", "/home/kim"};
    QTest::newRow("removable media, sorted, volume names shown")
        << "/run/media/kim/DATA|exfat|DATA;/media/kim/usb|vfat|STICK;/mnt|ext4|"
        << "/home/kim"
        << QStringList{"/", "/home/kim", "/media/kim/usb [STICK]", "/mnt", "/run/media/kim/DATA"};
    QTest::newRow("pseudo, system and not ready file systems left out")
        << "/proc|proc|;/sys|sysfs|;/dev|devtmpfs|;/run|tmpfs|;/mnt/ram|tmpfs|;"
           "/boot|ext4|;/media/cd|iso9660|;/media/card|vfat!|;/snap/core|squashfs|;/var/lib/"
           "docker|overlay|"
        << "/home/kim" << QStringList{"/", "/home/kim", "/media/cd"};
    QTest::newRow("a name only like /mediaX is no media folder")
        << "/mediaX|ext4|;/mntdata|ext4|"
        << "/home/kim" << QStringList{"/", "/home/kim"};
    QTest::newRow("each root once") << "/media/a|ext4|;/media/a/|ext4|;/home/kim|ext4|"
                                    << "/home/kim" << QStringList{"/", "/home/kim", "/media/a"};
  }

  void userDrives() {
    QFETCH(QString, mounts);
    QFETCH(QString, home);
    QFETCH(QStringList, labels);
    QStringList shown;
    for (const Drive& drive : karvonel::ui::UserDrives(ParseMounts(mounts), home)) {
      shown.append(drive.label);
      QVERIFY2(drive.label.startsWith(drive.root), qPrintable(drive.label));
    }
    QCOMPARE(shown, labels);
  }

  void driveIndexFor_data() {
    QTest::addColumn<QString>("roots");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("index");

    const QString linux_drives = "/;/home/kim;/media/kim/usb";
    QTest::newRow("a folder on the root") << linux_drives << "/work/main" << 0;
    QTest::newRow("below home") << linux_drives << "/home/kim/data" << 1;
    QTest::newRow("a sibling of home with the same start") << linux_drives << "/home/kimberly" << 0;
    QTest::newRow("removable medium") << linux_drives << "/media/kim/usb/pts" << 2;
    QTest::newRow("longest root wins whatever the order") << "/media/kim/usb;/"
                                                          << "/media/kim/usb" << 0;
    QTest::newRow("no drive holds it") << "/home/kim"
                                       << "/etc" << -1;
    QTest::newRow("drive letters") << "C:/;D:/"
                                   << "D:/data/pts" << 1;
  }

  void driveIndexFor() {
    QFETCH(QString, roots);
    QFETCH(QString, folder);
    QFETCH(int, index);
    QCOMPARE(karvonel::ui::DriveIndexFor(ParseDrives(roots), folder), index);
  }

  void folderChain_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("chain");

    QTest::newRow("root") << "/" << QStringList{"/"};
    QTest::newRow("deeper") << "/work/main/examples"
                            << QStringList{"/", "/work", "/work/main", "/work/main/examples"};
    QTest::newRow("trailing slash") << "/work/" << QStringList{"/", "/work"};
#ifdef _WIN32
    QTest::newRow("drive root") << "C:/" << QStringList{"C:/"};
    QTest::newRow("on a drive") << "C:/data/pts" << QStringList{"C:/", "C:/data", "C:/data/pts"};
#endif
  }

  void folderChain() {
    QFETCH(QString, folder);
    QFETCH(QStringList, chain);
    QStringList shown;
    for (const std::filesystem::path& step : karvonel::ui::FolderChain(folder.toStdString())) {
      shown.append(QString::fromStdString(step.generic_string()));
    }
    QCOMPARE(shown, chain);
  }

  void readFolderSortsAndFilters() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir root(dir.path());
    for (const char* name : {"b.csv", "A.CSV", "c.Csv", "notes.txt", "x.csv.bak", "csv",
                             ".hidden.csv", "Points.csv"}) {
      WriteFile(root.filePath(QString::fromUtf8(name)));
    }
    for (const char* name : {"sub.csv", "Zeta", "alpha", ".git"}) {
      QVERIFY(root.mkdir(QString::fromUtf8(name)));
    }
    QVERIFY(QFile::link(root.filePath("b.csv"), root.filePath("link.csv")));
    QVERIFY(QFile::link(root.filePath("nowhere.csv"), root.filePath("dangling.csv")));

    const karvonel::ui::FolderListing listing = karvonel::ui::ReadFolder(dir.path().toStdString());
    QCOMPARE(listing.error, QString());
    QCOMPARE(Texts(listing.folders), (QStringList{"alpha", "sub.csv", "Zeta"}));
    QCOMPARE(Texts(listing.point_lists),
             (QStringList{"A.CSV", "b.csv", "c.Csv", "link.csv", "Points.csv"}));
  }
};

QTEST_GUILESS_MAIN(FoldersTest)
#include "folders_test.moc"
