// The main window as a user meets it: layout, tab order, menus, the three
// lists, the two paths, conversions and their messages, the About window and
// the two ways to end the program.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "ui/application.h"
#include "ui/file_lists.h"
#include "ui/frm_about.h"
#include "ui/frm_karvonel.h"

using karvonel::ui::DirectoryList;
using karvonel::ui::FileList;
using karvonel::ui::FrmAbout;
using karvonel::ui::FrmKarvonel;

namespace {

const QByteArray kTwoPoints = "1,2,3\r\n4,5,6\r\n";
const QByteArray kEarlierOutput = "earlier\r\n";

// Hands the first modal window that is a T to `act`, which must close it,
// while the code under test runs an event loop. Gives up after five seconds and
// closes whatever modal window is open, so that a test fails instead of hanging.
template <typename T>
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(T*)> act) {
    clock_.start();
    timer_.setInterval(0);  // every turn of the event loop, even a running conversion's
    QObject::connect(&timer_, &QTimer::timeout, [this, act] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* wanted = qobject_cast<T*>(modal)) {
        timer_.stop();
        found_ = true;
        act(wanted);
      } else if (clock_.elapsed() > 5000) {
        timer_.stop();
        if (modal != nullptr) {
          modal->close();
        }
      }
    });
    timer_.start();
  }
  bool Found() const { return found_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  bool found_ = false;
};

bool WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Native(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// The texts of the list's entries, or of its selected entries.
QStringList Texts(const QListWidget* list, bool selected = false) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) {
    if (!selected || list->item(row)->isSelected()) {
      texts.append(list->item(row)->text());
    }
  }
  return texts;
}

// A path the window holds, as text; the tests name their files in UTF-8.
QString Text(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

void ClickItem(FileList* list, const QString& name) {
  const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
  QVERIFY2(found.size() == 1, qPrintable(name));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(found.front()).center());
}

// Opens an entry of the directory list with Enter or with a double-click.
void OpenEntry(DirectoryList* list, const QString& name, bool double_click) {
  const QList<QTreeWidgetItem*> found =
      list->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  QVERIFY2(found.size() == 1, qPrintable(name));
  if (double_click) {
    // The window system sends the first click, then the double-click.
    const QPoint at = list->visualItemRect(found.front()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  } else {
    list->setFocus();
    list->setCurrentItem(found.front());
    QTest::keyClick(list, Qt::Key_Return);
  }
}

// Qt's texts in Japanese and a style that puts icons on standard buttons, as
// on a Japanese desktop, for as long as it lives.
class JapaneseDesktop {
 public:
  JapaneseDesktop() : style_(QApplication::style()->name()) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    translator_ = karvonel::ui::InstallQtTranslations();
    translated = translator_ != nullptr;
    QApplication::setStyle(new ButtonIconStyle);
  }
  ~JapaneseDesktop() {
    QApplication::setStyle(style_);
    QCoreApplication::removeTranslator(translator_);
    delete translator_;
    QLocale::setDefault(QLocale::c());
  }
  JapaneseDesktop(const JapaneseDesktop&) = delete;
  JapaneseDesktop& operator=(const JapaneseDesktop&) = delete;

  bool translated = false;

 private:
  class ButtonIconStyle : public QProxyStyle {
   public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
      return hint == SH_DialogButtonBox_ButtonsHaveIcons
                 ? 1
                 : QProxyStyle::styleHint(hint, option, widget, data);
    }
  };

  QString style_;
  QTranslator* translator_ = nullptr;
};

// The file's own name: on Linux its bytes.
QByteArray Bytes(const std::filesystem::path& path) {
  return QByteArray::fromStdString(path.string());
}

// Drags `data` onto `target` and drops it there. Returns whether the drag was
// accepted; the drop is delivered either way.
bool Drop(QWidget* target, const QMimeData& data) {
  const QPoint at = target->rect().center();
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  return enter.isAccepted();
}

// A click that goes through the window system, so a modal window blocks it.
void ClickThroughWindowSystem(QWidget* window, QWidget* target) {
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                    target->mapTo(window, target->rect().center()));
}

}  // namespace

class FrmKarvonelTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;
  QStringList messages_;

  QString Path(const QString& relative) const { return QDir(root_.path()).filePath(relative); }

  // The window on `folder`, with the drives A, B and one that is missing; its
  // messages go to messages_.
  std::unique_ptr<FrmKarvonel> Open(const QString& folder) {
    auto window = std::make_unique<FrmKarvonel>(
        QList<karvonel::ui::Drive>{{Path("a"), "A"}, {Path("b"), "B"}, {Path("missing"), "M"}},
        karvonel::ui::FsPath(folder));
    window->SetMessageFunction([this](const QString& text) { messages_.append(text); });
    window->show();
    return window;
  }

  template <typename T>
  static T* Control(QWidget* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
  }

 private slots:
  void initTestCase() {
    QVERIFY(root_.isValid());
    // The conversion leaves "para.sec" in the current folder.
    QVERIFY(QDir::setCurrent(root_.path()));
    QDir root(root_.path());
    for (const char* folder : {"a", "a/my.data", "a/sub", "b"}) {
      QVERIFY(root.mkpath(QLatin1String(folder)));
    }
    for (const char* file :
         {"a/pts.csv", "a/b.CSV", "a/notes.txt", "a/my.data/q.csv", "b/only.csv"}) {
      QVERIFY(WriteText(Path(QLatin1String(file)), kTwoPoints));
    }
  }

  void init() { messages_.clear(); }

  void geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Drv1") << "Drv1" << QRect(120, 120, 2655, 300);
    QTest::newRow("Dir1") << "Dir1" << QRect(120, 480, 2655, 2400);
    QTest::newRow("Fil1") << "Fil1" << QRect(2880, 480, 2655, 2430);
    QTest::newRow("Txt1") << "Txt1" << QRect(120, 3360, 5415, 270);
    QTest::newRow("Lbl1") << "Lbl1" << QRect(120, 3000, 855, 255);
    QTest::newRow("Cmd1") << "Cmd1" << QRect(120, 4680, 1215, 255);
    QTest::newRow("Lbl2") << "Lbl2" << QRect(120, 3960, 1215, 255);
    QTest::newRow("Txt2") << "Txt2" << QRect(120, 4320, 5415, 270);
    QTest::newRow("Cmd2") << "Cmd2" << QRect(4320, 4680, 1215, 255);
    QTest::newRow("Line1") << "Line1" << QRect(120, 3720, 5415, 15);
  }

  void geometry() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    const auto window = Open(Path("a"));
    QWidget* control = window->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget(), window->centralWidget());
    QCOMPARE(window->centralWidget()->size(), QSize(5655 / 15, 5070 / 15));  // below the menus
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    // At the default font only a label grows, to the right and down into free
    // space, where its text would be cut (textsFitTheirControls).
    const QRect placed = control->geometry();
    if (qobject_cast<QLabel*>(control) != nullptr) {
      QCOMPARE(placed.topLeft(), pixels.topLeft());
      QCOMPARE(placed.size().expandedTo(pixels.size()), placed.size());
    } else {
      QCOMPARE(placed, pixels);
    }
    // The layout is fixed: a larger window moves and stretches nothing.
    window->resize(window->width() + 200, window->height() + 150);
    QCoreApplication::processEvents();
    QCOMPARE(control->geometry(), placed);
  }

  void textsFitTheirControls_data() {
    QTest::addColumn<int>("points");
    QTest::newRow("9 points") << 9;
    QTest::newRow("10 points") << 10;
    QTest::newRow("12 points") << 12;
    QTest::newRow("16 points: the window grows") << 16;
  }

  void textsFitTheirControls() {
    QFETCH(int, points);
    const auto window = Open(Path("a"));
    QFont font = window->font();
    font.setPointSize(points);
    window->setFont(font);
    QWidget* client = window->centralWidget();
    QTRY_VERIFY(window->size().height() > client->height());  // the menus above the client
    const QList<QWidget*> controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 10);
    // Controls side by side stay side by side.
    QCOMPARE(Control<QWidget>(window.get(), "Dir1")->y(),
             Control<QWidget>(window.get(), "Fil1")->y());
    QCOMPARE(Control<QWidget>(window.get(), "Cmd1")->y(),
             Control<QWidget>(window.get(), "Cmd2")->y());
    for (const QWidget* control : controls) {
      const QRect placed = control->geometry();
      QVERIFY2(client->rect().contains(placed), qPrintable(control->objectName()));
      for (const QWidget* other : controls) {
        QVERIFY2(other == control || !placed.intersects(other->geometry()),
                 qPrintable(control->objectName() + " " + other->objectName()));
      }
      if (const auto* label = qobject_cast<const QLabel*>(control)) {
        QCOMPARE(label->font().pointSize(), points);
        const QSize text = label->fontMetrics()
                               .boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, label->text())
                               .size();
        QCOMPARE(label->size().expandedTo(text), label->size());
      } else if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
        QVERIFY2(box->height() - 2 * frame >= box->fontMetrics().height(),
                 qPrintable(box->objectName()));
      } else if (qobject_cast<const QPushButton*>(control) != nullptr) {
        QVERIFY2(control->height() >= control->fontMetrics().height(),
                 qPrintable(control->objectName()));
      }
    }
  }

  void tabOrderStartsAtTheDriveList() {
    const auto window = Open(Path("a"));
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Drv1"));
    QStringList order;
    for (int step = 0; step < 7; ++step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(order, (QStringList{"Dir1", "Fil1", "Txt1", "Cmd1", "Txt2", "Cmd2", "Drv1"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Cmd2"));
  }

  // Before any key is pressed, the focused control looks different from the
  // same control without the focus.
  void focusMarkFromTheStart() {
    const auto window = Open(Path("a"));
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto* drv1 = Control<QComboBox>(window.get(), "Drv1");
    QVERIFY(drv1->hasFocus());
    const QImage focused = drv1->grab().toImage();
    drv1->clearFocus();
    QVERIFY(focused != drv1->grab().toImage());
  }

  void openFolderStaysInView_data() {
    QTest::addColumn<bool>("by_enter");
    QTest::newRow("at the start") << false;
    QTest::newRow("opened with Enter") << true;
  }

  // A folder far down with more sub-folders than the list shows.
  void openFolderStaysInView() {
    QFETCH(bool, by_enter);
    const QString deep = Path("many/1/2/3/4/5/6/7/8");
    for (int i = 0; i < 40; ++i) {
      QVERIFY(QDir().mkpath(QStringLiteral("%1/sub%2").arg(deep).arg(i, 2, 10, QChar(u'0'))));
    }
    const auto window = Open(by_enter ? Path("many/1/2/3/4/5/6/7") : deep);
    auto* dir1 = Control<DirectoryList>(window.get(), "Dir1");
    if (by_enter) {
      OpenEntry(dir1, "8", true);
    }
    QCOMPARE(Text(dir1->Path()), deep);
    QCOMPARE(dir1->currentItem()->text(0), QString("8"));
    QTRY_VERIFY(dir1->viewport()->rect().contains(dir1->visualItemRect(dir1->currentItem())));
  }

  void choiceKeepsItsHighlight_data() {
    QTest::addColumn<bool>("on_empty_space");  // or Ctrl and a click on the chosen file
    QTest::newRow("click on empty space") << true;
    QTest::newRow("Ctrl+click on the chosen file") << false;
  }

  void choiceKeepsItsHighlight() {
    QFETCH(bool, on_empty_space);
    const auto window = Open(Path("a"));
    auto* fil1 = Control<FileList>(window.get(), "Fil1");
    ClickItem(fil1, "pts.csv");
    const QPoint at = on_empty_space ? QPoint(10, fil1->viewport()->height() - 5)
                                     : fil1->visualItemRect(fil1->item(1)).center();
    QVERIFY(on_empty_space == (fil1->itemAt(at) == nullptr));
    QTest::mouseClick(fil1->viewport(), Qt::LeftButton,
                      on_empty_space ? Qt::NoModifier : Qt::ControlModifier, at);
    QCOMPARE(Texts(fil1, true), QStringList{"pts.csv"});
    QCOMPARE(Text(window->InPath()), Native(Path("a/pts.csv")));
  }

  void captions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("Lbl1") << "Lbl1" << QStringLiteral("ファイル名");
    QTest::newRow("Lbl2") << "Lbl2" << QStringLiteral("出力ファイル名");
    QTest::newRow("Cmd1") << "Cmd1" << QStringLiteral("変\u3000換");
    QTest::newRow("Cmd2") << "Cmd2" << QStringLiteral("取\u3000消");
    QTest::newRow("Txt1 empty") << "Txt1" << QString();
    QTest::newRow("Txt2 empty") << "Txt2" << QString();
  }

  void captions() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    const auto window = Open(Path("a"));
    QCOMPARE(window->windowTitle(), QString("Karvonel"));
    QWidget* control = window->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->property("text").toString(), text);
  }

  void menus() {
    const auto window = Open(Path("a"));
    const QList<QAction*> headings = window->menuBar()->actions();
    QCOMPARE(headings.size(), 2);
    const QStringList expected[] = {{"ファイル(&F)", "終了(&X)"},
                                    {"ヘルプ(&H)", "バージョン表示(&A)"}};
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(headings[i]->text(), expected[i][0]);
      QVERIFY(headings[i]->menu() != nullptr);
      const QList<QAction*> items = headings[i]->menu()->actions();
      QCOMPARE(items.size(), 1);
      QCOMPARE(items[0]->text(), expected[i][1]);
      QVERIFY(items[0]->shortcut().isEmpty());
      QVERIFY(items[0]->isEnabled() && items[0]->isVisible() && !items[0]->isSeparator());
    }
  }

  void enterAndEscapePressNoButton() {
    const auto window = Open(Path("a"));
    QSignalSpy quit(qApp, &QCoreApplication::aboutToQuit);
    for (const char* name : {"Cmd1", "Cmd2", "Txt2"}) {
      QWidget* control = window->findChild<QWidget*>(QLatin1String(name));
      control->setFocus();
      QTest::keyClick(control, Qt::Key_Return);
      QTest::keyClick(control, Qt::Key_Enter);
      QTest::keyClick(control, Qt::Key_Escape);
    }
    QCOMPARE(messages_, QStringList());
    // Space does press the button that has the focus.
    Control<QPushButton>(window.get(), "Cmd1")->setFocus();
    QTest::keyClick(Control<QPushButton>(window.get(), "Cmd1"), Qt::Key_Space);
    QCOMPARE(messages_, QStringList{"ファイル名を選択してください"});
  }

  void listsAtStart() {
    const auto window = Open(Path("a"));
    QCOMPARE(Text(window->InPath()), QString());
    QCOMPARE(Text(window->OutPath()), QString());
    QCOMPARE(Control<QComboBox>(window.get(), "Drv1")->currentText(), QString("A"));
    auto* dir1 = Control<DirectoryList>(window.get(), "Dir1");
    QCOMPARE(Text(dir1->Path()), Path("a"));
    QTreeWidgetItem* open = dir1->currentItem();
    QCOMPARE(open->text(0), QString("a"));
    QCOMPARE(open->childCount(), 2);
    QCOMPARE(open->child(0)->text(0), QString("my.data"));
    QCOMPARE(open->child(1)->text(0), QString("sub"));
    QVERIFY(open->parent() != nullptr);  // the path above the open folder
    auto* fil1 = Control<FileList>(window.get(), "Fil1");
    QCOMPARE(Texts(fil1), (QStringList{"b.CSV", "pts.csv"}));
    QVERIFY(fil1->selectedItems().isEmpty());
    QCOMPARE(fil1->selectionMode(), QAbstractItemView::SingleSelection);
  }

  void choosingAFileSetsBothPaths_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("keys");  // D: Down, E: End; none: a mouse click on `file`
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("out");
    QTest::newRow("mouse") << "a"
                           << ""
                           << "pts.csv"
                           << "a/pts.igs";
    QTest::newRow("keyboard, first Down") << "a"
                                          << "D"
                                          << "b.CSV"
                                          << "a/b.igs";
    QTest::newRow("keyboard, Down twice") << "a"
                                          << "DD"
                                          << "pts.csv"
                                          << "a/pts.igs";
    QTest::newRow("keyboard, End") << "a"
                                   << "E"
                                   << "pts.csv"
                                   << "a/pts.igs";
    // The extension of the file name is replaced, not the path cut at the
    // first full stop.
    QTest::newRow("full stop in a folder") << "a/my.data"
                                           << ""
                                           << "q.csv"
                                           << "a/my.data/q.igs";
  }

  void choosingAFileSetsBothPaths() {
    QFETCH(QString, folder);
    QFETCH(QString, keys);
    QFETCH(QString, file);
    QFETCH(QString, out);
    const auto window = Open(Path(folder));
    auto* fil1 = Control<FileList>(window.get(), "Fil1");
    if (keys.isEmpty()) {
      ClickItem(fil1, file);
    } else {
      QApplication::setActiveWindow(window.get());
      QVERIFY(QTest::qWaitForWindowActive(window.get()));
      fil1->setFocus(Qt::TabFocusReason);
      for (const QChar key : keys) {
        QTest::keyClick(fil1, key == u'D' ? Qt::Key_Down : Qt::Key_End);
      }
    }
    QCOMPARE(Texts(fil1, true), QStringList{file});
    QCOMPARE(Text(window->InPath()), Native(Path(folder + "/" + file)));
    QCOMPARE(Text(window->OutPath()), Native(Path(out)));
    QCOMPARE(Control<QLineEdit>(window.get(), "Txt1")->text(), Text(window->InPath()));
    QCOMPARE(Control<QLineEdit>(window.get(), "Txt2")->text(), Text(window->OutPath()));
  }

  void typingInTheOutputBox() {
    const auto window = Open(Path("a"));
    ClickItem(Control<FileList>(window.get(), "Fil1"), "pts.csv");
    const QString in_path = Text(window->InPath());
    auto* txt2 = Control<QLineEdit>(window.get(), "Txt2");
    txt2->setFocus();
    QTest::keyClick(txt2, Qt::Key_End);
    QString typed = Native(Path("a/pts.igs"));
    for (const QChar c : QStringLiteral("_2")) {
      QTest::keyClick(txt2, c.toLatin1());
      typed += c;
      QCOMPARE(Text(window->OutPath()), typed);  // with every keystroke
    }
    QTest::keyClick(txt2, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(txt2, Qt::Key_Backspace);
    QCOMPARE(txt2->text(), QString());
    QCOMPARE(Text(window->OutPath()), QString());

    // Whatever reaches the input box never becomes the input path.
    auto* txt1 = Control<QLineEdit>(window.get(), "Txt1");
    txt1->setFocus();
    QTest::keyClicks(txt1, "zz");
    QCOMPARE(Text(window->InPath()), in_path);

    // Choosing the file again, even the one still selected, replaces the edit.
    ClickItem(Control<FileList>(window.get(), "Fil1"), "pts.csv");
    QCOMPARE(Text(window->OutPath()), Native(Path("a/pts.igs")));
  }

  // データ/点.csv and データ/田.csv in Shift_JIS: names that are not UTF-8,
  // and whose texts are the same, "\uFFFD_.csv".
  void namesThatAreNotUtf8() {
    const std::filesystem::path folder =
        std::filesystem::path(Path("sjis").toStdString()) / "\x83\x66\x81\x5B\x83\x5E";
    QVERIFY(std::filesystem::create_directories(folder));
    for (const char* name : {"\x93\x5F.csv", "\x95\x5F.csv"}) {
      std::ofstream(folder / name, std::ios::binary) << kTwoPoints.toStdString();
    }
    const auto window = Open(Path("sjis"));
    auto* dir1 = Control<DirectoryList>(window.get(), "Dir1");
    OpenEntry(dir1, "\uFFFDf\uFFFD[\uFFFD^", false);
    QCOMPARE(Bytes(dir1->Path()), Bytes(folder));
    auto* fil1 = Control<FileList>(window.get(), "Fil1");
    QCOMPARE(Texts(fil1), (QStringList{"\uFFFD_.csv", "\uFFFD_.csv"}));
    QTest::mouseClick(fil1->viewport(), Qt::LeftButton, {},
                      fil1->visualItemRect(fil1->item(1)).center());
    QCOMPARE(Bytes(window->InPath()), Bytes(folder / "\x95\x5F.csv"));
    QCOMPARE(Bytes(window->OutPath()), Bytes(folder / "\x95\x5F.igs"));
    QTest::mouseClick(Control<QPushButton>(window.get(), "Cmd1"), Qt::LeftButton);
    QCOMPARE(messages_, QStringList{"変換しました"});
    QCOMPARE(std::filesystem::file_size(folder / "\x95\x5F.igs"), std::uintmax_t{12 * 82});
    QVERIFY(!std::filesystem::exists(folder / "\x93\x5F.igs"));
    // The output name edited, in the same folder.
    auto* txt2 = Control<QLineEdit>(window.get(), "Txt2");
    txt2->setText(txt2->text().replace("\uFFFD_.igs", "out.igs"));
    QCOMPARE(Bytes(window->OutPath()), Bytes(folder / "out.igs"));

    // Dropped, the name comes percent-encoded in the file's URL.
    QMimeData data;
    data.setUrls(
        {QUrl::fromEncoded("file://" + Bytes(folder / "\x93\x5F.csv").toPercentEncoding("/"))});
    QVERIFY(Drop(window.get(), data));
    QCOMPARE(Bytes(window->InPath()), Bytes(folder / "\x93\x5F.csv"));
  }

  void droppingAFile_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("onto");
    QTest::addColumn<QString>("chosen");  // empty: the drop is refused and changes nothing
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("out");
    QTest::newRow("onto the file list") << QStringList{"b/only.csv"} << "Fil1"
                                        << "b/only.csv"
                                        << "B"
                                        << "b/only.igs";
    QTest::newRow("onto the output path box") << QStringList{"b/only.csv"} << "Txt2"
                                              << "b/only.csv"
                                              << "B"
                                              << "b/only.igs";
    QTest::newRow("onto the directory list, upper-case extension")
        << QStringList{"a/b.CSV"} << "Dir1"
        << "a/b.CSV"
        << "A"
        << "a/b.igs";
    QTest::newRow("a folder") << QStringList{"a/my.data"} << "Fil1"
                              << ""
                              << ""
                              << "";
    QTest::newRow("another file") << QStringList{"a/notes.txt"} << "Txt2"
                                  << ""
                                  << ""
                                  << "";
    QTest::newRow("a missing file") << QStringList{"a/gone.csv"} << "Fil1"
                                    << ""
                                    << ""
                                    << "";
    QTest::newRow("two point lists") << QStringList{"a/pts.csv", "b/only.csv"} << "Fil1"
                                     << ""
                                     << ""
                                     << "";
  }

  void droppingAFile() {
    QFETCH(QStringList, files);
    QFETCH(QString, onto);
    QFETCH(QString, chosen);
    QFETCH(QString, drive);
    QFETCH(QString, out);
    const auto window = Open(Path("a/sub"));
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) {
      urls.append(QUrl::fromLocalFile(Path(file)));
    }
    data.setUrls(urls);
    data.setText(urls.front().toString());  // as file managers add
    auto* target = Control<QWidget>(window.get(), onto.toLatin1().constData());
    if (auto* list = qobject_cast<QAbstractScrollArea*>(target)) {
      target = list->viewport();
    }
    QCOMPARE(Drop(target, data), !chosen.isEmpty());

    auto* dir1 = Control<DirectoryList>(window.get(), "Dir1");
    auto* fil1 = Control<FileList>(window.get(), "Fil1");
    if (chosen.isEmpty()) {
      QCOMPARE(Text(dir1->Path()), Path("a/sub"));
      QCOMPARE(Text(window->InPath()), QString());
      QCOMPARE(Control<QLineEdit>(window.get(), "Txt2")->text(), QString());
      return;
    }
    QCOMPARE(Text(dir1->Path()), Path(chosen.section(u'/', 0, 0)));
    QCOMPARE(Control<QComboBox>(window.get(), "Drv1")->currentText(), drive);
    QCOMPARE(Texts(fil1, true), QStringList{chosen.section(u'/', 1)});
    QCOMPARE(Text(window->InPath()), Native(Path(chosen)));
    QCOMPARE(Text(window->OutPath()), Native(Path(out)));
    QCOMPARE(Control<QLineEdit>(window.get(), "Txt1")->text(), Native(Path(chosen)));
    QCOMPARE(Control<QLineEdit>(window.get(), "Txt2")->text(), Native(Path(out)));
    QCOMPARE(messages_, QStringList());
  }

  void changingDriveOrFolderKeepsThePaths() {
    const auto window = Open(Path("a"));
    auto* drv1 = Control<QComboBox>(window.get(), "Drv1");
    auto* dir1 = Control<DirectoryList>(window.get(), "Dir1");
    auto* fil1 = Control<FileList>(window.get(), "Fil1");
    ClickItem(fil1, "pts.csv");
    const QString in_path = Native(Path("a/pts.csv"));
    const QString out_path = Native(Path("a/pts.igs"));
    auto paths_kept = [&] {
      return Text(window->InPath()) == in_path && Text(window->OutPath()) == out_path &&
             Control<QLineEdit>(window.get(), "Txt1")->text() == in_path &&
             Control<QLineEdit>(window.get(), "Txt2")->text() == out_path;
    };

    OpenEntry(dir1, "sub", false);
    QCOMPARE(Text(dir1->Path()), Path("a/sub"));
    QCOMPARE(fil1->count(), 0);
    QVERIFY(paths_kept());

    drv1->setFocus();
    QTest::keyClick(drv1, Qt::Key_Down);
    QCOMPARE(drv1->currentText(), QString("B"));
    QCOMPARE(Text(dir1->Path()), Path("b"));
    QCOMPARE(Texts(fil1), QStringList{"only.csv"});
    QVERIFY(paths_kept());

    // Back on drive A, the folder last open there.
    QTest::keyClick(drv1, Qt::Key_Up);
    QCOMPARE(Text(dir1->Path()), Path("a/sub"));
    QVERIFY(paths_kept());

    // Up to the parent with a double-click; the drive follows the folder.
    OpenEntry(dir1, "a", true);
    QCOMPARE(Text(dir1->Path()), Path("a"));
    QCOMPARE(Texts(fil1), (QStringList{"b.CSV", "pts.csv"}));
    QCOMPARE(drv1->currentText(), QString("A"));
    QVERIFY(paths_kept());
    QCOMPARE(messages_, QStringList());
  }

  void aDriveThatCannotBeOpenedChangesNothing() {
    const auto window = Open(Path("a"));
    auto* drv1 = Control<QComboBox>(window.get(), "Drv1");
    drv1->setCurrentIndex(2);
    QCOMPARE(messages_.size(), 1);
    const QString head = "ドライブ " + Native(Path("missing")) + " を開けません。\n";
    QVERIFY2(messages_[0].startsWith(head) && messages_[0].size() > head.size(),
             qPrintable(messages_[0]));
    QCOMPARE(drv1->currentIndex(), 0);
    QCOMPARE(Text(Control<DirectoryList>(window.get(), "Dir1")->Path()), Path("a"));
    QCOMPARE(Texts(Control<FileList>(window.get(), "Fil1")), (QStringList{"b.CSV", "pts.csv"}));
  }

  void aFolderThatCannotBeOpenedChangesNothing() {
    QVERIFY(QDir(Path("a")).mkdir("gone"));
    const auto window = Open(Path("a"));
    QVERIFY(QDir(Path("a")).rmdir("gone"));
    auto* dir1 = Control<DirectoryList>(window.get(), "Dir1");
    OpenEntry(dir1, "gone", false);
    QCOMPARE(messages_.size(), 1);
    const QString head = "フォルダ " + Native(Path("a/gone")) + " を開けません。\n";
    QVERIFY2(messages_[0].startsWith(head) && messages_[0].size() > head.size(),
             qPrintable(messages_[0]));
    QCOMPARE(Text(dir1->Path()), Path("a"));
    QCOMPARE(dir1->findItems("gone", Qt::MatchExactly | Qt::MatchRecursive).size(), 1);
    QCOMPARE(Texts(Control<FileList>(window.get(), "Fil1")), (QStringList{"b.CSV", "pts.csv"}));
  }

  void conversion_data() {
    QTest::addColumn<bool>("choose");
    QTest::addColumn<bool>("delete_input");
    QTest::addColumn<QString>("out");  // "=": as derived; %F: the folder
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("written");
    QTest::newRow("converted") << true << false << "="
                               << "変換しました" << true;
    QTest::newRow("no file chosen") << false << false << "="
                                    << "ファイル名を選択してください" << false;
    QTest::newRow("input deleted before the click") << true << true << "="
                                                    << "ファイル名が存在しません" << false;
    QTest::newRow("output box emptied") << true << false << ""
                                        << "出力ファイル名を入力してください" << false;
    QTest::newRow("output is a folder") << true << false << "%F"
                                        << "出力ファイル名がフォルダを指しています：%F" << false;
    QTest::newRow("output folder missing") << true << false << "%F/none/pts.igs"
                                           << "出力先のフォルダが存在しません：%F/none" << false;
  }

  void conversion() {
    QFETCH(bool, choose);
    QFETCH(bool, delete_input);
    QFETCH(QString, out);
    QFETCH(QString, message);
    QFETCH(bool, written);
    const QString folder = Path(QStringLiteral("run-%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(WriteText(folder + "/pts.csv", kTwoPoints));
    QVERIFY(WriteText(folder + "/pts.igs", kEarlierOutput));
    QFile::remove(Path("para.sec"));

    const auto window = Open(folder);
    if (choose) {
      ClickItem(Control<FileList>(window.get(), "Fil1"), "pts.csv");
    }
    if (out != "=") {
      Control<QLineEdit>(window.get(), "Txt2")->setText(out.replace("%F", Native(folder)));
    }
    if (delete_input) {
      QVERIFY(QFile::remove(folder + "/pts.csv"));
    }
    QTest::mouseClick(Control<QPushButton>(window.get(), "Cmd1"), Qt::LeftButton);

    QCOMPARE(messages_, QStringList{message.replace("%F", Native(folder))});
    QVERIFY(QApplication::overrideCursor() == nullptr);
    const QByteArray output = ReadAll(folder + "/pts.igs");
    if (!written) {
      QCOMPARE(output, kEarlierOutput);
      return;
    }
    // 1 Start, 4 Global, 4 Directory Entry, 2 Parameter Data, 1 Terminate.
    const QList<QByteArray> records = output.split('\n');
    QCOMPARE(records.size(), 12 + 1);
    QCOMPARE(records[11].left(80).at(72), 'T');
    QCOMPARE(ReadAll(Path("para.sec")).size(), 2 * 82);
  }

  // A narrow box, under Qt's Japanese texts and a style that puts icons on
  // standard buttons, as desktop styles do.
  void messageBoxAsDesigned() {
    const JapaneseDesktop desktop;
    QVERIFY(desktop.translated);
    FrmKarvonel window({{Path("a"), "A"}}, karvonel::ui::FsPath(Path("a")));
    window.show();
    ClickItem(Control<FileList>(&window, "Fil1"), "pts.csv");
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QStringList buttons;
    bool button_icon = true;
    int width = 0;
    ModalWatcher<QMessageBox> watcher([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      for (const QAbstractButton* button : box->buttons()) {
        buttons.append(button->text());
        button_icon = button_icon && !button->icon().isNull();
      }
      width = box->width();
      box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(Control<QPushButton>(&window, "Cmd1"), Qt::LeftButton);
    QVERIFY(watcher.Found());
    QCOMPARE(title, QString("PrjKarvonel"));
    QCOMPARE(text, QString("変換しました"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, QStringList{"OK"});
    QVERIFY(!button_icon);
    // Room for the title in bold, with three frame buttons or an icon on
    // either side of it.
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int title_width = QFontMetrics(bold).horizontalAdvance("PrjKarvonel");
    QVERIFY2(width >= title_width + 2 * 80, qPrintable(QString::number(width)));
  }

  void qtTextsInJapanese() {
    const JapaneseDesktop desktop;
    QVERIFY(desktop.translated);
    const auto window = Open(Path("a"));
    const std::unique_ptr<QMenu> menu(
        Control<QLineEdit>(window.get(), "Txt2")->createStandardContextMenu());
    QCOMPARE(menu->actions().front()->text(), QString("元に戻す(&U)\tCtrl+Z"));
  }

  void cancellingALongConversion() {
    const QString folder = Path("long");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(WriteText(folder + "/big.csv", QByteArray("1.5,-2.5,3.25\n").repeated(300000)));
    QVERIFY(WriteText(folder + "/big.igs", kEarlierOutput));
    const auto window = Open(folder);
    window->SetProgressDelay(std::chrono::milliseconds(0));
    ClickItem(Control<FileList>(window.get(), "Fil1"), "big.csv");
    auto* cmd1 = Control<QPushButton>(window.get(), "Cmd1");

    Qt::WindowModality modality = Qt::NonModal;
    bool busy_cursor = false;
    ModalWatcher<QProgressDialog> watcher([&](QProgressDialog* modal) {
      modality = modal->windowModality();
      busy_cursor = QApplication::overrideCursor() != nullptr;
      ClickThroughWindowSystem(window.get(), cmd1);  // blocked: no second run
      modal->findChild<QPushButton*>()->click();
    });
    QTest::mouseClick(cmd1, Qt::LeftButton);

    QVERIFY(watcher.Found());
    QCOMPARE(modality, Qt::ApplicationModal);
    QVERIFY(busy_cursor);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(messages_, QStringList{"変換を取り消しました。出力ファイルは変更されていません"});
    QCOMPARE(ReadAll(folder + "/big.igs"), kEarlierOutput);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"big.csv", "big.igs"}));
    QVERIFY(window->findChildren<QProgressDialog*>().isEmpty());
  }

  void aboutWindowIsModalAndNewEachTime() {
    const auto window = Open(Path("a"));
    QAction* about = window->findChild<QAction*>("mnuAbout");
    QVERIFY(about != nullptr);
    auto* cmd1 = Control<QPushButton>(window.get(), "Cmd1");

    QPointer<QWidget> first;
    bool modal_to_all = false;
    ModalWatcher<FrmAbout> ok_button([&](FrmAbout* modal) {
      first = modal;
      modal_to_all =
          modal->windowModality() == Qt::ApplicationModal && modal->parentWidget() == nullptr;
      ClickThroughWindowSystem(window.get(), cmd1);  // the main window takes no input
      QTest::mouseClick(Control<QPushButton>(modal, "Cmd1"), Qt::LeftButton);
    });
    about->trigger();
    QVERIFY(ok_button.Found());
    QVERIFY(modal_to_all);
    QCOMPARE(messages_, QStringList());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());  // discarded when closed

    QPointer<QWidget> second;
    ModalWatcher<FrmAbout> close_box([&](FrmAbout* modal) {
      second = modal;
      modal->close();
    });
    about->trigger();
    QVERIFY(close_box.Found());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(second.isNull());

    // With the About window gone, the same click reaches the main window.
    ClickThroughWindowSystem(window.get(), cmd1);
    QCOMPARE(messages_, QStringList{"ファイル名を選択してください"});
  }

  void endingTheProgram_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "Cmd2";
    QTest::newRow("File > Exit") << "mnuEnd";
  }

  void endingTheProgram() {
    QFETCH(QString, how);
    const auto window = Open(Path("a"));
    QSignalSpy about_to_quit(qApp, &QCoreApplication::aboutToQuit);
    QTimer::singleShot(0, window.get(), [&] {
      if (how == "Cmd2") {
        QTest::mouseClick(Control<QPushButton>(window.get(), "Cmd2"), Qt::LeftButton);
      } else {
        window->findChild<QAction*>(how)->trigger();
      }
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(about_to_quit.count(), 1);
    QCOMPARE(messages_, QStringList());  // no question asked
  }
};

QTEST_MAIN(FrmKarvonelTest)
#include "frm_karvonel_test.moc"
