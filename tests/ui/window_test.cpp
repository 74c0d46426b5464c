// The window program as a user meets it on a Japanese desktop: choosing a
// point list, the two paths, conversions and their messages, dropped files,
// the About window, ending the program, and texts that fit at larger fonts.
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "ui/application.h"
#include "ui/file_lists.h"
#include "ui/frm_about.h"
#include "ui/frm_karvonel.h"

using karvonel::ui::FileList;

namespace {

const QByteArray kEarlierOutput = "earlier\r\n";

// Runs `start`, which opens a modal window, and hands the first modal window
// that is a T to `act`, which must close it. Returns whether there was one.
// After five seconds without one it closes whatever modal window is open, so
// that the test fails rather than hangs.
template <typename T>
bool WhenModal(const std::function<void()>& start, const std::function<void(T*)>& act) {
  bool found = false;
  QElapsedTimer clock;
  clock.start();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* wanted = qobject_cast<T*>(modal)) {
      timer.stop();
      found = true;
      act(wanted);
    } else if (clock.elapsed() > 5000) {
      timer.stop();
      if (modal != nullptr)
        modal->close();
    }
  });
  timer.start(0);  // every turn of the event loop, a running conversion's too
  start();
  return found;
}

// Desktop styles put icons on standard buttons; this one does too.
class ButtonIconStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    return hint == SH_DialogButtonBox_ButtonsHaveIcons
               ? 1
               : QProxyStyle::styleHint(hint, option, widget, data);
  }
};

void Write(const std::filesystem::path& path, const QByteArray& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text.toStdString();
}

QByteArray Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
}

// A path's bytes; the tests name their own files in UTF-8.
QByteArray Bytes(const std::filesystem::path& path) {
  return QByteArray::fromStdString(path.string());
}

QStringList Texts(const FileList* list, bool selected_only = false) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) {
    if (!selected_only || list->item(row)->isSelected())
      texts.append(list->item(row)->text());
  }
  return texts;
}

void Click(FileList* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(row)).center());
}

// Drags `urls` onto `target` and drops them. Returns whether the drag was taken.
bool Drop(QWidget* target, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  data.setText(urls.front().toString());  // as file managers add
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
  QDragEnterEvent enter(target->rect().center(), actions, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(target->rect().center(), actions, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(target, &drop);
  return enter.isAccepted();
}

// Whether `control`, which has the focus, looks different without it.
bool ShowsFocusMark(QWidget* control) {
  const QImage focused = control->grab().toImage();
  control->clearFocus();
  const bool differs = focused != control->grab().toImage();
  control->setFocus();
  return differs;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir root_;
  QStringList messages_;

  std::filesystem::path Path(const QString& relative) const {
    return (root_.path() + '/' + relative).toStdString();
  }

  // The window on `folder` with the drives A and B. Its
  // messages go to messages_ unless `message_box`.
  std::unique_ptr<karvonel::ui::FrmKarvonel> Open(const QString& folder, bool message_box = false) {
    auto window = std::make_unique<karvonel::ui::FrmKarvonel>(
        QList<karvonel::ui::Drive>{{root_.path() + "/a", "A"}, {root_.path() + "/b", "B"}},
        Path(folder));
    if (!message_box)
      window->SetMessageFunction([this](const QString& text) { messages_.append(text); });
    window->show();
    return window;
  }

  template <typename T = QWidget>
  static T* Find(QObject* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
  }

 private slots:
  void initTestCase() {
    QVERIFY(root_.isValid());
    QVERIFY(QDir::setCurrent(root_.path()));  // where "para.sec" goes
    for (const char* file : {"a/pts.csv", "a/b.CSV", "a/notes.txt", "a/.hidden.csv",
                             "a/sub.csv/x.txt", "a/my.data/q.v1.csv", "b/only.csv"})
      Write(Path(file), "1,2,3\r\n4,5,6\r\n");
    // As on a Japanese desktop: Qt's own texts in Japanese, icons on buttons.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QVERIFY(karvonel::ui::InstallQtTranslations() != nullptr);
    QApplication::setStyle(new ButtonIconStyle);
  }

  void init() { messages_.clear(); }

  void cleanupTestCase() { std::filesystem::remove_all(Path("sjis")); }  // names Qt cannot remove

  void choosingAFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("out");
    QTest::newRow("csv") << QString("a/pts.csv") << QString("a/pts.igs");
    QTest::newRow("upper-case extension") << QString("a/b.CSV") << QString("a/b.igs");
    QTest::newRow("full stops") << QString("a/my.data/q.v1.csv") << QString("a/my.data/q.v1.igs");
  }

  void choosingAFile() {
    QFETCH(QString, file);
    QFETCH(QString, out);
    const auto window = Open(file.section('/', 0, -2));
    auto* fil1 = Find<FileList>(window.get(), "Fil1");
    const int row = Texts(fil1).indexOf(file.section('/', -1));
    Click(fil1, row);
    // A click on empty space leaves the choice as it is.
    QTest::mouseClick(fil1->viewport(), Qt::LeftButton, {}, {5, fil1->viewport()->height() - 5});
    QCOMPARE(Texts(fil1, true), QStringList{file.section('/', -1)});
    const QString in_text = root_.path() + '/' + file;
    const QString out_text = root_.path() + '/' + out;
    QCOMPARE(Bytes(window->InPath()), in_text.toUtf8());
    QCOMPARE(Bytes(window->OutPath()), out_text.toUtf8());
    QCOMPARE(Find<QLineEdit>(window.get(), "Txt1")->text(), in_text);
    auto* txt2 = Find<QLineEdit>(window.get(), "Txt2");
    QCOMPARE(txt2->text(), out_text);

    // The output path is taken as typed, until the file is chosen again.
    txt2->setFocus();
    QTest::keyClick(txt2, Qt::Key_End);
    QTest::keyClicks(txt2, "_2");
    QCOMPARE(Bytes(window->OutPath()), (out_text + "_2").toUtf8());
    Click(fil1, row);
    QCOMPARE(txt2->text(), out_text);
    QCOMPARE(Bytes(window->OutPath()), out_text.toUtf8());
  }

  // データ/点.csv and データ/田.csv in Shift_JIS: names that are not UTF-8 and
  // whose texts are the same, "\uFFFD_.csv".
  void namesThatAreNotUtf8() {
    const std::filesystem::path folder = Path("sjis") / "\x83\x66\x81\x5B\x83\x5E";
    Write(folder / "\x93\x5F.csv", "1,2,3\r\n");
    Write(folder / "\x95\x5F.csv", "1,2,3\r\n");
    const auto window = Open("sjis");
    auto* dir1 = Find<QTreeWidget>(window.get(), "Dir1");
    dir1->setFocus();
    dir1->setCurrentItem(dir1->findItems("\uFFFDf\uFFFD[\uFFFD^", Qt::MatchRecursive).value(0));
    QTest::keyClick(dir1, Qt::Key_Return);
    auto* fil1 = Find<FileList>(window.get(), "Fil1");
    QCOMPARE(Texts(fil1), (QStringList{"\uFFFD_.csv", "\uFFFD_.csv"}));
    Click(fil1, 1);
    QCOMPARE(Bytes(window->InPath()), Bytes(folder / "\x95\x5F.csv"));
    QCOMPARE(Bytes(window->OutPath()), Bytes(folder / "\x95\x5F.igs"));
    QTest::mouseClick(Find(window.get(), "Cmd1"), Qt::LeftButton);
    QCOMPARE(messages_, QStringList{"変換しました"});
    QCOMPARE(std::filesystem::file_size(folder / "\x95\x5F.igs"), std::uintmax_t{9 * 82});
    QVERIFY(!std::filesystem::exists(folder / "\x93\x5F.igs"));

    // Edited in the same folder, the path keeps the folder's own name.
    auto* txt2 = Find<QLineEdit>(window.get(), "Txt2");
    txt2->setText(txt2->text().replace("\uFFFD_.igs", "out.igs"));
    QCOMPARE(Bytes(window->OutPath()), Bytes(folder / "out.igs"));
    // Dropped, the name comes percent-encoded in the file's URL.
    const QByteArray url = "file://" + Bytes(folder / "\x93\x5F.csv").toPercentEncoding("/");
    QVERIFY(Drop(window.get(), {QUrl::fromEncoded(url)}));
    QCOMPARE(Bytes(window->InPath()), Bytes(folder / "\x93\x5F.csv"));
  }

  void converting_data() {
    QTest::addColumn<QByteArray>("input");  // empty: none chosen; "-": deleted after the choice
    QTest::addColumn<QString>("out");       // null: as derived; %F: the folder
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArrayList>("data");  // of the Parameter Data records; none: no output
    const QString warning = QString(
        "変換しました\n\n注意：3 つの数値がそろっていない行が 2 "
        "行あります（最初は 1 行目）。足りない値は 0 として変換しました");
    QTest::newRow("converted") << QByteArray("1,2,3\r\n4,5,6\r\n") << QString()
                               << QString("変換しました")
                               << QByteArrayList{"116, 1, 2, 3;", "116, 4, 5, 6;"};
    QTest::newRow("incomplete lines")
        << QByteArray("1 2 3\n4,5,6\nX,Y,Z\n") << QString() << warning
        << QByteArrayList{"116, 123, 0, 0;", "116, 4, 5, 6;", "116, 0, 0, 0;"};
    QTest::newRow("none chosen") << QByteArray() << QString()
                                 << QString("ファイル名を選択してください") << QByteArrayList();
    QTest::newRow("input deleted")
        << QByteArray("-") << QString() << QString("ファイル名が存在しません") << QByteArrayList();
    QTest::newRow("no output folder")
        << QByteArray("1,2,3\n") << QString("%F/none/pts.igs")
        << QString("出力先のフォルダが存在しません：%F/none") << QByteArrayList();
    QTest::newRow("output box emptied")
        << QByteArray("1,2,3\n") << QString("") << QString("出力ファイル名を入力してください")
        << QByteArrayList();
  }

  void converting() {
    QFETCH(QByteArray, input);
    QFETCH(QString, out);
    QFETCH(QString, message);
    QFETCH(QByteArrayList, data);
    const QString name = QString("run-") + QTest::currentDataTag();
    const QString folder = root_.path() + '/' + name;
    Write(Path(name + "/pts.csv"), input);
    Write(Path(name + "/pts.igs"), kEarlierOutput);
    const auto window = Open(name);
    if (!input.isEmpty())
      Click(Find<FileList>(window.get(), "Fil1"), 0);
    if (!out.isNull())
      Find<QLineEdit>(window.get(), "Txt2")->setText(out.replace("%F", folder));
    if (input == "-")
      std::filesystem::remove(Path(name + "/pts.csv"));
    QTest::mouseClick(Find(window.get(), "Cmd1"), Qt::LeftButton);

    QCOMPARE(messages_, QStringList{message.replace("%F", folder)});
    QVERIFY(QApplication::overrideCursor() == nullptr);
    const QByteArray output = Read(Path(name + "/pts.igs"));
    if (data.isEmpty()) {
      QCOMPARE(output, kEarlierOutput);
      return;
    }
    // Start, 4 Global, 2 Directory Entry records a point, its Parameter Data, Terminate.
    const int points = int(data.size());
    QCOMPARE(output.size(), (1 + 4 + 3 * points + 1) * 82);
    for (int i = 0; i < points; ++i)
      QCOMPARE(output.mid((5 + 2 * points + i) * 82, 64), data[i].leftJustified(64));
  }

  void cancellingALongConversion() {
    Write(Path("long/big.csv"), QByteArray("1.5,-2.5,3.25\n").repeated(300000));
    Write(Path("long/big.igs"), kEarlierOutput);
    const auto window = Open("long");
    window->SetProgressDelay(std::chrono::milliseconds(0));
    Click(Find<FileList>(window.get(), "Fil1"), 0);
    bool busy_cursor = false;
    QVERIFY(WhenModal<QProgressDialog>(
        [&] { QTest::mouseClick(Find(window.get(), "Cmd1"), Qt::LeftButton); },
        [&](QProgressDialog* progress) {
          busy_cursor = QApplication::overrideCursor() != nullptr;
          progress->findChild<QPushButton*>()->click();
        }));
    QVERIFY(busy_cursor);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(messages_, QStringList{"変換を取り消しました。出力ファイルは変更されていません"});
    QCOMPARE(Read(Path("long/big.igs")), kEarlierOutput);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(Path("long")), {}),
             std::ptrdiff_t{2});  // no temporary file
  }

  void droppingAFile_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("onto");
    QTest::addColumn<QString>("out");  // empty: refused, nothing changes
    QTest::newRow("file list") << QStringList{"b/only.csv"} << QString("Fil1") << "b/only.igs";
    QTest::newRow("upper-case, output box")
        << QStringList{"a/b.CSV"} << QString("Txt2") << "a/b.igs";
    QTest::newRow("a folder") << QStringList{"a/sub.csv"} << QString("Fil1") << QString();
    QTest::newRow("another file") << QStringList{"a/notes.txt"} << QString("Txt2") << QString();
    QTest::newRow("a missing file") << QStringList{"a/gone.csv"} << QString("Fil1") << QString();
    QTest::newRow("two") << QStringList{"a/pts.csv", "b/only.csv"} << QString("Fil1") << QString();
  }

  void droppingAFile() {
    QFETCH(QStringList, files);
    QFETCH(QString, onto);
    QFETCH(QString, out);
    const auto window = Open("a/my.data");
    QList<QUrl> urls;
    for (const QString& file : files)
      urls.append(QUrl::fromLocalFile(root_.path() + '/' + file));
    QWidget* target = Find(window.get(), onto.toLatin1().constData());
    if (auto* list = qobject_cast<QAbstractScrollArea*>(target))
      target = list->viewport();
    QCOMPARE(Drop(target, urls), !out.isEmpty());

    const QString in_text = out.isEmpty() ? QString() : root_.path() + '/' + files[0];
    const QString out_text = out.isEmpty() ? QString() : root_.path() + '/' + out;
    QCOMPARE(Bytes(window->InPath()), in_text.toUtf8());
    QCOMPARE(Bytes(window->OutPath()), out_text.toUtf8());
    QCOMPARE(Find<QLineEdit>(window.get(), "Txt2")->text(), out_text);
    QCOMPARE(Texts(Find<FileList>(window.get(), "Fil1"), true),
             out.isEmpty() ? QStringList() : QStringList{files[0].mid(2)});
    QCOMPARE(messages_, QStringList());
  }

  // Under Qt's Japanese texts and a style that puts icons on buttons.
  void messageBoxAndQtTexts() {
    const auto window = Open("a", true);
    QStringList seen;  // title, text, icon (0: none), each button
    int width = 0;
    QVERIFY(WhenModal<QMessageBox>(
        [&] { QTest::mouseClick(Find(window.get(), "Cmd1"), Qt::LeftButton); },
        [&](QMessageBox* box) {
          seen << box->windowTitle() << box->text() << QString::number(box->icon());
          for (const QAbstractButton* button : box->buttons())
            seen << button->text() + (button->icon().isNull() ? "" : " with an icon");
          width = box->width();
          box->buttons().value(0)->click();
        }));
    QCOMPARE(seen, (QStringList{"PrjKarvonel", "ファイル名を選択してください", "0", "OK"}));
    // Room for the title in bold with frame buttons on either side.
    QFont bold = QApplication::font();
    bold.setBold(true);
    QVERIFY2(width >= QFontMetrics(bold).horizontalAdvance("PrjKarvonel") + 160,
             qPrintable(QString::number(width)));

    const std::unique_ptr<QMenu> menu(
        Find<QLineEdit>(window.get(), "Txt2")->createStandardContextMenu());
    QCOMPARE(menu->actions().value(0)->text(), QString("元に戻す(&U)\tCtrl+Z"));
  }

  // At the start: the folder's point lists, no hidden file, folder or other file, and the
  // focus mark on the drive list. About shows the version and takes OK only.
  void startAndAbout() {
    const auto window = Open("a");
    QCOMPARE(Texts(Find<FileList>(window.get(), "Fil1")), (QStringList{"b.CSV", "pts.csv"}));
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QVERIFY(ShowsFocusMark(Find(window.get(), "Drv1")));

    QStringList seen;  // title, version, the OK button's focus mark, open after Escape
    QVERIFY(WhenModal<karvonel::ui::FrmAbout>(
        [&] { Find<QAction>(window.get(), "mnuAbout")->trigger(); },
        [&](karvonel::ui::FrmAbout* about) {
          auto* ok = Find<QPushButton>(about, "Cmd1");
          const bool marked = QTest::qWaitForWindowActive(about) && ShowsFocusMark(ok);
          QTest::keyClick(ok, Qt::Key_Escape);
          seen << about->windowTitle() << Find<QLabel>(about, "Lbl1")->text()
               << (marked && ok->hasFocus() ? "focus mark" : "")
               << (about->isVisible() ? "open" : "");
          QTest::mouseClick(ok, Qt::LeftButton);
        }));
    QCOMPARE(seen, (QStringList{"バージョン表示", "Karvonel  Ver 1.20 00", "focus mark", "open"}));
    QVERIFY(QApplication::activeModalWidget() == nullptr);  // OK closed it
  }

  void endingTheProgram_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "Cmd2";
    QTest::newRow("File > Exit") << "mnuEnd";
  }

  void endingTheProgram() {
    QFETCH(QString, how);
    const auto window = Open("a");
    QObject* control = Find<QObject>(window.get(), how.toLatin1().constData());
    QTimer::singleShot(0, control, how == "Cmd2" ? SLOT(click()) : SLOT(trigger()));
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // not ended: fail
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(messages_, QStringList());  // no question asked
  }

  void textsFitAtLargerFonts_data() {
    QTest::addColumn<int>("points");
    for (int points : {9, 10, 12, 16})
      QTest::addRow("%d points", points) << points;
  }

  // Every text in full; no control outside the window or over another.
  void textsFitAtLargerFonts() {
    QFETCH(int, points);
    const auto window = Open("a");
    QFont font = window->font();
    font.setPointSize(points);
    window->setFont(font);
    const QFontMetrics metrics(font);
    QWidget* client = window->centralWidget();
    const QList<QWidget*> controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 10);
    for (const QWidget* control : controls) {
      const QString name = control->objectName();
      QVERIFY2(client->rect().contains(control->geometry()), qPrintable(name));
      for (const QWidget* other : controls) {
        QVERIFY2(other == control || !control->geometry().intersects(other->geometry()),
                 qPrintable(name + " " + other->objectName()));
      }
      int text_height = metrics.height();
      if (const auto* label = qobject_cast<const QLabel*>(control)) {
        QVERIFY2(label->width() >= metrics.boundingRect(label->text()).width(), qPrintable(name));
      } else if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        text_height += 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
      } else if (qobject_cast<const QPushButton*>(control) == nullptr) {
        continue;
      }
      QVERIFY2(control->height() >= text_height, qPrintable(name));
    }
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
