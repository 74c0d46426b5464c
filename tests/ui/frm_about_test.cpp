// The About window's layout, texts and keys, and the application icon both
// windows show.
#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QtEndian>
#include <filesystem>

#include "ui/application.h"
#include "ui/frm_about.h"
#include "ui/frm_karvonel.h"

using karvonel::ui::FrmAbout;

class FrmAboutTest : public QObject {
  Q_OBJECT

 private slots:
  void geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Lbl1") << "Lbl1" << QRect(240, 240, 3015, 255);
    QTest::newRow("Lbl2") << "Lbl2" << QRect(480, 720, 2775, 255);
    QTest::newRow("Cmd1") << "Cmd1" << QRect(2640, 1200, 1215, 375);
  }

  void geometry() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    FrmAbout about;
    about.show();
    QCOMPARE(about.size(), QSize(3990 / 15, 1695 / 15));
    QWidget* control = about.findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
  }

  void texts() {
    FrmAbout about;
    QCOMPARE(about.windowTitle(), QString("バージョン表示"));
    QCOMPARE(about.findChild<QLabel*>("Lbl1")->text(), QString("Karvonel  Ver 1.20 00"));
    QCOMPARE(about.findChild<QPushButton*>("Cmd1")->text(), QString("O  K"));
    // The maker's notice: one line that fits its label.
    auto* notice = about.findChild<QLabel*>("Lbl2");
    QVERIFY(!notice->text().isEmpty());
    QVERIFY(!notice->text().contains(u'\n'));
    QVERIFY2(notice->fontMetrics().horizontalAdvance(notice->text()) <= notice->width(),
             qPrintable(notice->text()));
  }

  void focusIsOnTheButton() {
    FrmAbout about;
    about.show();
    QApplication::setActiveWindow(&about);
    QVERIFY(QTest::qWaitForWindowActive(&about));
    auto* ok = about.findChild<QPushButton*>("Cmd1");
    QCOMPARE(QApplication::focusWidget(), ok);
    // Its focus mark shows before any key is pressed.
    const QImage focused = ok->grab().toImage();
    ok->clearFocus();
    QVERIFY(focused != ok->grab().toImage());
  }

  void onlyTheButtonOrTheCloseBoxCloses_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
    QTest::newRow("Return") << int(Qt::Key_Return) << false;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << false;
    QTest::newRow("Space presses the button") << int(Qt::Key_Space) << true;
  }

  void onlyTheButtonOrTheCloseBoxCloses() {
    QFETCH(int, key);
    QFETCH(bool, closes);
    FrmAbout about;
    about.show();
    auto* ok = about.findChild<QPushButton*>("Cmd1");
    QVERIFY(!ok->isDefault() && !ok->autoDefault());
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key(key));
    QCOMPARE(about.isVisible(), !closes);
  }

  void bothWindowsShowTheApplicationIcon() {
    FrmAbout about;
    karvonel::ui::FrmKarvonel main_window({}, std::filesystem::current_path());
    for (QWidget* window : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&main_window)}) {
      const QList<QSize> sizes = window->windowIcon().availableSizes();
      QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)),
               qPrintable(window->windowTitle()));
    }
  }

  // The Windows icon file: 32x32 in 2 colours, 32x32 in 16 colours and 16x16
  // in 16 colours, each a bitmap of that depth that a reader can decode.
  void iconFileHasTheThreeImages() {
    const QString path = QStringLiteral(KARVONEL_SOURCE_DIR "/ui/icons/karvonel.ico");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.size() > 6 + 3 * 16);
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(data.data() + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(data.data() + at); };
    QCOMPARE(u16(4), quint16(3));
    const int expected[3][3] = {{32, 2, 1}, {32, 16, 4}, {16, 16, 4}};  // size, colours, bits
    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), 3);
    for (int i = 0; i < 3; ++i) {
      const qsizetype entry = 6 + 16 * i;
      QCOMPARE(int(quint8(data[entry])), expected[i][0]);
      QCOMPARE(int(quint8(data[entry + 2])), expected[i][1]);
      const quint32 offset = u32(entry + 12);
      QVERIFY(offset + 40 <= quint32(data.size()));
      QCOMPARE(int(u16(offset + 14)), expected[i][2]);  // the bitmap's own bit count
      QVERIFY(reader.jumpToImage(i));
      QCOMPARE(reader.read().size(), QSize(expected[i][0], expected[i][0]));
    }
  }
};

QTEST_MAIN(FrmAboutTest)
#include "frm_about_test.moc"
