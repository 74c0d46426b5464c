#include "ui/qt/frm_karvonel.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <utility>

#include "platform/native_file.h"
#include "ui/qt/application.h"
#include "ui/qt/conversion_progress.h"
#include "ui/qt/file_drop.h"
#include "ui/qt/file_lists.h"
#include "ui/qt/frm_about.h"
#include "ui/qt/message_box.h"
#include "ui/qt/separator_line.h"
#include "window/layout.h"
#include "window/texts.h"

namespace karvonel::ui {
namespace {

QString Text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QRect Pixels(const window::TwipsRect& t) {
  return TwipsRect(t.left, t.top, t.width, t.height);
}

QPushButton* CreateButton(const char* caption, QWidget* parent) {
  auto* button = new QPushButton(Text(caption), parent);
  // Neither button answers Enter or Escape: only a click or Space presses it.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

// A text box that shows a text but takes none: the platform's read-only look,
// the window's colour behind the text.
void ShowReadOnly(QLineEdit* box) {
  box->setReadOnly(true);
  QPalette palette = box->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Window));
  box->setPalette(palette);
}

}  // namespace

FrmKarvonel::FrmKarvonel()
    : FrmKarvonel(window::SystemDrives(), platform::CurrentFolderNow().path) {}

FrmKarvonel::FrmKarvonel(std::vector<window::Drive> drives,
                         const std::filesystem::path& start_folder)
    : logic_(std::move(drives), start_folder) {
  setWindowTitle(Text(window::main_text::kTitle));
  setWindowIcon(ApplicationIcon());
  show_message_ = [this](const QString& text) { ShowMessage(this, text); };
  setAcceptDrops(true);

  CreateControls();
  CreateMenus();
  FitControlsToTexts();  // the lists have their size before they scroll
  ShowLists();
  drv1_->setFocus();
}

void FrmKarvonel::SetMessageFunction(MessageFunction show_message) {
  show_message_ = std::move(show_message);
}

void FrmKarvonel::SetProgressDelay(std::chrono::milliseconds delay) {
  progress_delay_ = delay;
}

void FrmKarvonel::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  drv1_ = new QComboBox(client);
  for (const window::Drive& drive : logic_.Drives())
    drv1_->addItem(Text(drive.label));
  dir1_ = new DirectoryList(client);
  fil1_ = new FileList(client);
  txt1_ = new QLineEdit(client);
  ShowReadOnly(txt1_);  // shows the input path; never read back
  lbl1_ = new QLabel(Text(window::main_text::kLbl1), client);
  cmd1_ = CreateButton(window::main_text::kCmd1, client);
  lbl2_ = new QLabel(Text(window::main_text::kLbl2), client);
  txt2_ = new QLineEdit(client);
  cmd2_ = CreateButton(window::main_text::kCmd2, client);
  line1_ = new SeparatorLine(client);

  QWidget* const widgets[] = {drv1_, dir1_, fil1_, txt1_, lbl1_,
                              cmd1_, lbl2_, txt2_, cmd2_, line1_};
  static_assert(std::size(widgets) == std::size(window::kMainControls));
  for (std::size_t i = 0; i < std::size(widgets); ++i) {
    widgets[i]->setObjectName(QLatin1String(window::kMainControls[i].name));
    QRect rect = Pixels(window::kMainControls[i].twips);
    if (widgets[i] == line1_)
      rect.setHeight(2);  // the dark row on the line, the light one under it
    designed_.append({widgets[i], rect});
  }
  for (QLabel* label : {lbl1_, lbl2_})
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  // The labels and the line take no focus.
  QWidget::setTabOrder(drv1_, dir1_);
  QWidget::setTabOrder(dir1_, fil1_);
  QWidget::setTabOrder(fil1_, txt1_);
  QWidget::setTabOrder(txt1_, cmd1_);
  QWidget::setTabOrder(cmd1_, txt2_);
  QWidget::setTabOrder(txt2_, cmd2_);

  connect(drv1_, &QComboBox::currentIndexChanged, this, &FrmKarvonel::Drv1_Change);
  connect(dir1_, &DirectoryList::Opened, this, &FrmKarvonel::Dir1_Change);
  connect(fil1_, &FileList::Chosen, this, &FrmKarvonel::Fil1_Click);
  connect(txt2_, &QLineEdit::textChanged, this, &FrmKarvonel::Txt2_Change);
  for (QLineEdit* box : {txt1_, txt2_})
    box->installEventFilter(this);
  connect(cmd1_, &QPushButton::clicked, this, &FrmKarvonel::Cmd1_Click);
  connect(cmd2_, &QPushButton::clicked, this, &FrmKarvonel::Cmd2_Click);
}

void FrmKarvonel::CreateMenus() {
  QMenu* mnu_file = menuBar()->addMenu(Text(window::main_text::kMnuFile));
  mnu_file->setObjectName(QStringLiteral("mnuFile"));
  QAction* mnu_end = mnu_file->addAction(Text(window::main_text::kMnuEnd));
  mnu_end->setObjectName(QStringLiteral("mnuEnd"));
  mnu_end->setMenuRole(QAction::NoRole);
  connect(mnu_end, &QAction::triggered, this, &FrmKarvonel::mnuEnd_Click);

  QMenu* mnu_help = menuBar()->addMenu(Text(window::main_text::kMnuHelp));
  mnu_help->setObjectName(QStringLiteral("mnuHelp"));
  QAction* mnu_about = mnu_help->addAction(Text(window::main_text::kMnuAbout));
  mnu_about->setObjectName(QStringLiteral("mnuAbout"));
  mnu_about->setMenuRole(QAction::NoRole);
  connect(mnu_about, &QAction::triggered, this, &FrmKarvonel::mnuAbout_Click);
}

void FrmKarvonel::Show(const window::Reply& reply) {
  if (reply.lists)
    ShowLists();
  if (reply.paths)
    ShowPaths();
  if (!reply.message.empty())
    show_message_(Text(reply.message));
  if (reply.end)
    QCoreApplication::quit();
}

void FrmKarvonel::ShowLists() {
  {
    const QSignalBlocker block(drv1_);
    drv1_->setCurrentIndex(logic_.DriveIndex());
  }
  dir1_->SetRows(logic_.DirectoryRows(), logic_.OpenRow());
  fil1_->SetRows(logic_.FileRows(), logic_.ChosenFile());
}

void FrmKarvonel::ShowPaths() {
  txt1_->setText(Text(logic_.InText()));
  // The logic knows the path behind its own text; Txt2_Change is for typing.
  const QSignalBlocker block(txt2_);
  txt2_->setText(Text(logic_.OutText()));
}

void FrmKarvonel::Drv1_Change(int index) {
  Show(logic_.Drv1_Change(index));
}

void FrmKarvonel::Dir1_Change(int row) {
  Show(logic_.Dir1_Change(row));
}

void FrmKarvonel::Fil1_Click(int row) {
  Show(logic_.Fil1_Click(row));
}

void FrmKarvonel::Txt2_Change(const QString& text) {
  Show(logic_.Txt2_Change(text.toStdString()));
}

void FrmKarvonel::Cmd1_Click() {
  window::Reply reply;
  {
    ConversionProgress progress(this, progress_delay_);
    reply = logic_.Cmd1_Click(progress);
  }
  Show(reply);
}

void FrmKarvonel::Cmd2_Click() {
  Show(logic_.Cmd2_Click());
}

void FrmKarvonel::mnuEnd_Click() {
  Show(logic_.mnuEnd_Click());
}

void FrmKarvonel::mnuAbout_Click() {
  auto* about = new FrmAbout;  // no owner window; created afresh each time
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->exec();
}

void FrmKarvonel::FitControlsToTexts() {
  const QSize client = PlaceFittingTexts(designed_, Pixels(window::kMainClient).size());
  const QSize window(client.width(), client.height() + menuBar()->sizeHint().height());
  resize(isVisible() ? size().expandedTo(window) : window);
}

void FrmKarvonel::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The focus mark shows from the start, not only once Tab has been pressed.
  // Showing a window clears this, so it is set here.
  setAttribute(Qt::WA_KeyboardFocusChange);
  // Without a window manager nobody else gives the new window the focus.
  activateWindow();
  if (!shown_once_) {
    shown_once_ = true;
    if (!logic_.StartMessage().empty()) {
      const QString message = Text(logic_.StartMessage());
      QMetaObject::invokeMethod(
          this, [this, message] { show_message_(message); }, Qt::QueuedConnection);
    }
  }
}

void FrmKarvonel::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange && !designed_.isEmpty())
    FitControlsToTexts();
}

void FrmKarvonel::dragEnterEvent(QDragEnterEvent* event) {
  TakeDrop(event);
}

void FrmKarvonel::dragMoveEvent(QDragMoveEvent* event) {
  TakeDrop(event);
}

void FrmKarvonel::dropEvent(QDropEvent* event) {
  TakeDrop(event);
}

bool FrmKarvonel::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      TakeDrop(event);
      return true;  // nor does a text box take anything dropped on it
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool FrmKarvonel::TakeDrop(QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);  // QDragEnterEvent and QDragMoveEvent too
  const std::vector<std::filesystem::path> files = DroppedFiles(drop->mimeData());
  if (!window::MainWindow::Droppable(files)) {
    drop->ignore();
    return false;
  }
  if (drop->possibleActions() & Qt::CopyAction) {
    drop->setDropAction(Qt::CopyAction);  // the file stays where it is
    drop->accept();
  } else {
    drop->acceptProposedAction();
  }
  if (event->type() == QEvent::Drop)
    Show(logic_.Drop(files));
  return true;
}

}  // namespace karvonel::ui
