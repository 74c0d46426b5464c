// What only a real window shows, on a Japanese desktop: clicks and keys
// reaching the logic, drops, the progress dialog and its cancel, the message
// box, focus and its marks, the About window, ending the program, the
// separator at every scale and texts that fit at larger fonts. What the
// window does is tested without a window in tests/window.
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "tests/support/test_files.h"
#include "ui/qt/application.h"
#include "ui/qt/file_lists.h"
#include "ui/qt/frm_about.h"
#include "ui/qt/frm_karvonel.h"

using karvonel::ui::FileList;
using karvonel::ui::FrmKarvonel;

namespace {

const QByteArray kEarlierOutput = "earlier\r\n";

// Runs `start`, which opens a modal window, and hands the first modal window
// that is a T to `act`, which must close it. Returns whether there was one.
// Five seconds on, whatever modal window is open is closed, so that the test
// fails rather than hangs.
template <typename T>
bool WhenModal(const std::function<void()>& start, const std::function<void(T*)>& act) {
  bool found = false;
  QTimer poll, give_up;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* wanted = qobject_cast<T*>(QApplication::activeModalWidget()); wanted && !found) {
      found = true;
      act(wanted);
    }
  });
  QObject::connect(&give_up, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget())
      modal->close();
  });
  poll.start(0);  // every turn of the event loop, a running conversion's too
  give_up.start(5000);
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
  karvonel::testing::WriteFileBytes(path, text.toStdString());
}

QByteArray Read(const std::filesystem::path& path) {
  return QByteArray::fromStdString(karvonel::testing::ReadFileBytes(path));
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

template <typename T = QWidget>
T* Find(QObject* window, const char* name) {
  return window->findChild<T*>(QLatin1String(name));
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir root_;
  QStringList messages_;

  std::filesystem::path Path(const QString& relative) const {
    return (root_.path() + '/' + relative).toStdString();
  }

  // The window on `folder` with the drives A and B. Its messages go to
  // messages_ unless `message_box`.
  std::unique_ptr<FrmKarvonel> Open(const QString& folder, bool message_box = false) {
    auto window = std::make_unique<FrmKarvonel>(
        std::vector<karvonel::window::Drive>{{Path("a"), "A"}, {Path("b"), "B"}}, Path(folder));
    if (!message_box)
      window->SetMessageFunction([this](const QString& text) { messages_.append(text); });
    window->show();
    return window;
  }

  // The output path, in the logic and in the output box.
  void ExpectOut(FrmKarvonel* window, const QString& out) {
    const QString path = out.isEmpty() ? out : root_.path() + '/' + out;
    QCOMPARE(QString::fromStdString(window->Logic().OutPath().string()), path);
    QCOMPARE(Find<QLineEdit>(window, "Txt2")->text(), path);
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

  // A click chooses, a click on empty space does not unchoose, typing edits.
  void choosingAFile() {
    const QString file = "a/my.data/q.v1.csv", out = "a/my.data/q.v1.igs";
    const auto window = Open(file.section('/', 0, -2));
    auto* fil1 = Find<FileList>(window.get(), "Fil1");
    const int row = Texts(fil1).indexOf(file.section('/', -1));
    Click(fil1, row);
    // A click on empty space leaves the choice as it is.
    QTest::mouseClick(fil1->viewport(), Qt::LeftButton, {}, {5, fil1->viewport()->height() - 5});
    QCOMPARE(Texts(fil1, true), QStringList{file.section('/', -1)});
    ExpectOut(window.get(), out);
    QCOMPARE(Find<QLineEdit>(window.get(), "Txt1")->text(), root_.path() + '/' + file);

    // The output path is taken as typed, until the file is chosen again.
    auto* txt2 = Find<QLineEdit>(window.get(), "Txt2");
    txt2->setFocus();
    QTest::keyClick(txt2, Qt::Key_End);
    QTest::keyClicks(txt2, "_2");
    ExpectOut(window.get(), out + "_2");
    Click(fil1, row);
    ExpectOut(window.get(), out);
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

  // A point list dropped on the file list is chosen; another file, dropped on
  // a text box, is refused and changes nothing.
  void droppingAFile() {
    const auto window = Open("a/my.data");
    QVERIFY(
        !Drop(Find(window.get(), "Txt2"), {QUrl::fromLocalFile(root_.path() + "/a/notes.txt")}));
    ExpectOut(window.get(), "");
    auto* fil1 = Find<FileList>(window.get(), "Fil1");
    QVERIFY(Drop(fil1->viewport(), {QUrl::fromLocalFile(root_.path() + "/b/only.csv")}));
    ExpectOut(window.get(), "b/only.igs");
    QCOMPARE(Texts(fil1, true), QStringList{"only.csv"});
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

  // Either way ends the program at once, without a question.
  void endingTheProgram() {
    for (const char* how : {"Cmd2", "mnuEnd"}) {
      const auto window = Open("a");
      QObject* control = Find<QObject>(window.get(), how);
      QTimer::singleShot(0, control, qstrcmp(how, "Cmd2") == 0 ? SLOT(click()) : SLOT(trigger()));
      QTimer give_up;  // not ended: fail
      give_up.callOnTimeout([] { QCoreApplication::exit(1); });
      give_up.start(5000);
      QVERIFY2(QApplication::exec() == 0, how);
    }
    QCOMPARE(messages_, QStringList());
  }

  // The window takes the focus when shown, with no window manager to give it;
  // each list marks its focused row (or itself, with no row current); the
  // input path box looks read-only.
  void focusAndItsMarks() {
    const auto window = Open("a");
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QVERIFY(Find(window.get(), "Drv1")->hasFocus());
    for (const char* list : {"Dir1", "Fil1"}) {
      Find(window.get(), list)->setFocus();
      QVERIFY2(ShowsFocusMark(Find(window.get(), list)), list);
    }
    auto* fil1 = Find<FileList>(window.get(), "Fil1");
    QTest::keyClick(fil1, Qt::Key_Down);  // the first file, chosen and current
    QCOMPARE(Texts(fil1, true), QStringList{"b.CSV"});
    QVERIFY(ShowsFocusMark(fil1));
    const auto base = [&](const char* box) {
      const QImage image = Find(window.get(), box)->grab().toImage();
      return image.pixelColor(image.width() - 4, image.height() / 2);
    };
    QCOMPARE(base("Txt1"), window->palette().color(QPalette::Window));
    QVERIFY(base("Txt1") != base("Txt2"));
  }

  // A folder name wider than the list scrolls sideways and shows whole as a
  // tooltip.
  void longFolderNames() {
    const QString name = QString("long-folder-name-").repeated(6);
    std::filesystem::create_directories(Path("c/" + name));
    const auto window = Open("c");
    auto* dir1 = Find<QTreeWidget>(window.get(), "Dir1");
    const QList<QTreeWidgetItem*> items = dir1->findItems(name, Qt::MatchRecursive);
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.front()->toolTip(0), name);
    QVERIFY(dir1->horizontalScrollBar()->maximum() > 0);
  }

  // The separator's dark row of pixels, at the scale the test runs with
  // (ctest runs it at 1, 1.25, 1.5 and 2: QT_SCALE_FACTOR).
  void separatorAtThisScale() {
    const auto window = Open("a");
    QWidget* line = Find(window.get(), "Line1");
    const QRect around = line->geometry().adjusted(0, -2, 0, 2);
    const QImage image = line->parentWidget()->grab(around).toImage();
    int dark_rows = 0;
    for (int y = 0; y < image.height(); ++y)
      dark_rows += qGray(image.pixel(image.width() / 2, y)) < 160;
    QVERIFY2(dark_rows >= 1, qPrintable(QString::number(image.devicePixelRatio())));
  }

  // A start folder that is gone: the lists show the nearest one left, and the
  // window says so once it is shown.
  void startFolderGone() {
    const auto window = Open("gone/away");
    QTRY_COMPARE(messages_.size(), 1);
    QCOMPARE(messages_.front(),
             QString("フォルダ %1/gone/away はありません。\n%1 を表示します").arg(root_.path()));
  }

  // At each size, every text in full and no control outside the window or
  // over another: the main window's and the About window's.
  void textsFitAtLargerFonts() {
    const auto window = Open("a");
    karvonel::ui::FrmAbout about;
    for (const int points : {9, 10, 12, 16}) {
      for (QWidget* form : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(&about)}) {
        QFont font = form->font();
        font.setPointSize(points);
        form->setFont(font);
        QWidget* client = form == &about ? &about : window->centralWidget();
        ExpectTextsFit(client, QString::number(points));
      }
    }
  }

  static void ExpectTextsFit(QWidget* client, const QString& points) {
    const QFontMetrics metrics(client->font());
    const auto controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QVERIFY(controls.size() == 10 || controls.size() == 3);
    for (const QWidget* control : controls) {
      const QString where = control->objectName() + " at " + points + " points";
      QVERIFY2(client->rect().contains(control->geometry()), qPrintable(where));
      for (const QWidget* other : controls) {
        QVERIFY2(other == control || !control->geometry().intersects(other->geometry()),
                 qPrintable(where + " over " + other->objectName()));
      }
      int text_height = metrics.height();
      if (const auto* label = qobject_cast<const QLabel*>(control)) {
        QVERIFY2(label->width() >= metrics.boundingRect(label->text()).width(), qPrintable(where));
      } else if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        text_height += 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
      } else if (qobject_cast<const QPushButton*>(control) == nullptr) {
        continue;
      }
      QVERIFY2(control->height() >= text_height, qPrintable(where));
    }
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
