#include "ui/frm_karvonel.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <string>
#include <system_error>
#include <utility>

#include "conversion/conversion_run.h"
#include "conversion/output_path.h"
#include "ui/application.h"
#include "ui/conversion_progress.h"
#include "ui/file_drop.h"
#include "ui/file_lists.h"
#include "ui/frm_about.h"
#include "ui/message_box.h"

namespace karvonel::ui {
namespace {

constexpr QRect kClientArea = TwipsRect(0, 0, 5655, 5070);

QPushButton* CreateButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  // Neither button answers Enter or Escape: only a click or Space presses it.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

std::filesystem::path CurrentFolder() {
  std::error_code error;
  return std::filesystem::current_path(error);  // empty on failure: the first drive opens
}

// The output path for `in_file` by the core's rule, on the file system's own
// name (on Linux bytes, which need not be UTF-8).
std::filesystem::path OutputFileFor(const std::filesystem::path& in_file) {
#ifdef _WIN32
  const std::u8string in = in_file.u8string();
  const std::string out = conversion::OutputPathFor(
      std::string_view(reinterpret_cast<const char*>(in.data()), in.size()));
  return std::filesystem::path(std::u8string(out.begin(), out.end()));
#else
  return std::filesystem::path(conversion::OutputPathFor(in_file.native()));
#endif
}

QString ShownPath(const std::filesystem::path& path) {
  return QDir::toNativeSeparators(PathText(path));
}

}  // namespace

FrmKarvonel::FrmKarvonel() : FrmKarvonel(SystemDrives(), CurrentFolder()) {}

FrmKarvonel::FrmKarvonel(QList<Drive> drives, const std::filesystem::path& start_folder)
    : drives_(std::move(drives)) {
  setWindowTitle(QStringLiteral("Karvonel"));
  setWindowIcon(ApplicationIcon());
  show_message_ = [this](const QString& text) { ShowMessage(this, text); };
  setAcceptDrops(true);

  CreateControls();
  CreateMenus();
  FitControlsToTexts();  // the lists have their size before they scroll

  // Dir1_Change follows every move of the directory list: it points the drive
  // list at the drive of the new folder and reloads the file list.
  if (start_folder.empty() || !dir1_->SetPath(start_folder).isEmpty()) {
    for (const Drive& drive : std::as_const(drives_)) {
      if (dir1_->SetPath(FsPath(drive.root)).isEmpty()) {
        break;
      }
    }
  }
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
  for (const Drive& drive : std::as_const(drives_)) {
    drv1_->addItem(drive.label);
  }
  dir1_ = new DirectoryList(client);
  fil1_ = new FileList(client);
  txt1_ = new QLineEdit(client);
  txt1_->setReadOnly(true);  // shows the input path; never read back
  lbl1_ = new QLabel(QStringLiteral("ファイル名"), client);
  cmd1_ = CreateButton(QStringLiteral("変\u3000換"), client);
  lbl2_ = new QLabel(QStringLiteral("出力ファイル名"), client);
  txt2_ = new QLineEdit(client);
  cmd2_ = CreateButton(QStringLiteral("取\u3000消"), client);
  line1_ = new QFrame(client);
  line1_->setFrameShape(QFrame::HLine);
  line1_->setFrameShadow(QFrame::Plain);

  const struct {
    QWidget* widget;
    const char* name;
    QRect twips;
  } kControls[] = {
      {drv1_, "Drv1", {120, 120, 2655, 300}},
      {dir1_, "Dir1", {120, 480, 2655, 2400}},
      {fil1_, "Fil1", {2880, 480, 2655, 2430}},
      {txt1_, "Txt1", {120, 3360, 5415, 270}},
      {lbl1_, "Lbl1", {120, 3000, 855, 255}},
      {cmd1_, "Cmd1", {120, 4680, 1215, 255}},
      {lbl2_, "Lbl2", {120, 3960, 1215, 255}},
      {txt2_, "Txt2", {120, 4320, 5415, 270}},
      {cmd2_, "Cmd2", {4320, 4680, 1215, 255}},
      // The line runs from (120, 3720) to (5520, 3720), both ends drawn.
      {line1_, "Line1", {120, 3720, 5415, 15}},
  };
  for (const auto& control : kControls) {
    control.widget->setObjectName(QLatin1String(control.name));
    const QRect& t = control.twips;
    designed_.append({control.widget, TwipsRect(t.x(), t.y(), t.width(), t.height())});
  }
  for (QLabel* label : {lbl1_, lbl2_}) {
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }

  // The labels and the line take no focus.
  QWidget::setTabOrder(drv1_, dir1_);
  QWidget::setTabOrder(dir1_, fil1_);
  QWidget::setTabOrder(fil1_, txt1_);
  QWidget::setTabOrder(txt1_, cmd1_);
  QWidget::setTabOrder(cmd1_, txt2_);
  QWidget::setTabOrder(txt2_, cmd2_);

  connect(drv1_, &QComboBox::currentIndexChanged, this, &FrmKarvonel::Drv1_Change);
  connect(dir1_, &DirectoryList::Changed, this, &FrmKarvonel::Dir1_Change);
  connect(dir1_, &DirectoryList::OpenFailed, this, &FrmKarvonel::OpenFailed);
  connect(fil1_, &FileList::Chosen, this, &FrmKarvonel::Fil1_Click);
  connect(txt2_, &QLineEdit::textChanged, this, &FrmKarvonel::Txt2_Change);
  for (QLineEdit* box : {txt1_, txt2_}) {
    box->installEventFilter(this);
  }
  connect(cmd1_, &QPushButton::clicked, this, &FrmKarvonel::Cmd1_Click);
  connect(cmd2_, &QPushButton::clicked, this, &FrmKarvonel::Cmd2_Click);
}

void FrmKarvonel::CreateMenus() {
  QMenu* mnu_file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  mnu_file->setObjectName(QStringLiteral("mnuFile"));
  QAction* mnu_end = mnu_file->addAction(QStringLiteral("終了(&X)"));
  mnu_end->setObjectName(QStringLiteral("mnuEnd"));
  mnu_end->setMenuRole(QAction::NoRole);
  connect(mnu_end, &QAction::triggered, this, &FrmKarvonel::mnuEnd_Click);

  QMenu* mnu_help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  mnu_help->setObjectName(QStringLiteral("mnuHelp"));
  QAction* mnu_about = mnu_help->addAction(QStringLiteral("バージョン表示(&A)"));
  mnu_about->setObjectName(QStringLiteral("mnuAbout"));
  mnu_about->setMenuRole(QAction::NoRole);
  connect(mnu_about, &QAction::triggered, this, &FrmKarvonel::mnuAbout_Click);
}

void FrmKarvonel::Drv1_Change() {
  const int index = drv1_->currentIndex();
  if (index < 0 || index >= drives_.size()) {
    return;
  }
  const Drive& drive = drives_[index];
  // Each drive keeps the folder last open on it.
  const std::filesystem::path root = FsPath(drive.root);
  const std::filesystem::path folder = last_folder_.value(drive.root, root);
  QString reason = dir1_->SetPath(folder);
  if (!reason.isEmpty() && folder != root) {
    reason = dir1_->SetPath(root);
  }
  if (reason.isEmpty()) {
    return;
  }
  {
    const QSignalBlocker block(drv1_);
    drv1_->setCurrentIndex(drive_index_);
  }
  show_message_(QStringLiteral("ドライブ %1 を開けません。\n%2")
                    .arg(QDir::toNativeSeparators(drive.root), reason));
}

void FrmKarvonel::Dir1_Change() {
  const std::filesystem::path& folder = dir1_->Path();
  const QString reason = fil1_->SetDirectory(folder);
  if (!reason.isEmpty()) {
    OpenFailed(folder, reason);
  }
  drive_index_ = DriveIndexFor(drives_, PathText(folder));
  if (drive_index_ >= 0) {
    last_folder_.insert(drives_[drive_index_].root, folder);
  }
  const QSignalBlocker block(drv1_);
  drv1_->setCurrentIndex(drive_index_);
}

void FrmKarvonel::Fil1_Click() {
  const std::filesystem::path file = fil1_->SelectedFile();
  if (file.empty()) {
    return;
  }
  in_path_ = file;
  const std::filesystem::path out = OutputFileFor(file);
  txt1_->setText(ShownPath(in_path_));
  txt2_->setText(ShownPath(out));  // Txt2_Change reads the text back, which ...
  out_path_ = out;                 // ... may not hold the name's own bytes
}

void FrmKarvonel::Txt2_Change() {
  const QString text = txt2_->text();
  // A path that still begins with the chosen file's folder keeps that
  // folder's own name, which its text may not hold.
  if (!in_path_.empty()) {
    const std::filesystem::path folder = in_path_.parent_path();
    QString shown = ShownPath(folder);
    if (!shown.endsWith(QDir::separator())) {
      shown += QDir::separator();
    }
    if (text.startsWith(shown)) {
      out_path_ = folder / FsPath(text.mid(shown.size()));
      return;
    }
  }
  out_path_ = FsPath(text);
}

void FrmKarvonel::Cmd1_Click() {
  conversion::ConversionRequest request;
  request.in_path = in_path_;
  request.out_path = out_path_;
  QString message;
  {
    ConversionProgress progress(this, progress_delay_);
    request.progress = [&progress](std::uint64_t done, std::uint64_t total) {
      return progress.Update(done, total);
    };
    message = QString::fromStdString(conversion::ResultMessage(conversion::RunConversion(request)));
  }
  show_message_(message);
}

// Ends the program at once: no question, no closing handler.
void FrmKarvonel::Cmd2_Click() {
  QCoreApplication::quit();
}

void FrmKarvonel::mnuEnd_Click() {
  QCoreApplication::quit();
}

void FrmKarvonel::mnuAbout_Click() {
  auto* about = new FrmAbout;  // no owner window; created afresh each time
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->exec();
}

void FrmKarvonel::OpenFailed(const std::filesystem::path& folder, const QString& reason) {
  show_message_(QStringLiteral("フォルダ %1 を開けません。\n%2").arg(ShownPath(folder), reason));
}

void FrmKarvonel::FitControlsToTexts() {
  const QSize client = PlaceFittingTexts(designed_, kClientArea.size());
  const QSize window(client.width(), client.height() + menuBar()->sizeHint().height());
  resize(isVisible() ? size().expandedTo(window) : window);
}

void FrmKarvonel::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The focus mark shows from the start, not only once Tab has been pressed.
  // Showing a window clears this, so it is set here.
  setAttribute(Qt::WA_KeyboardFocusChange);
}

void FrmKarvonel::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange && !designed_.isEmpty()) {
    FitControlsToTexts();
  }
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
  const std::filesystem::path file = DroppedPointList(drop->mimeData());
  if (file.empty()) {
    drop->ignore();
    return false;
  }
  if (drop->possibleActions() & Qt::CopyAction) {
    drop->setDropAction(Qt::CopyAction);  // the file stays where it is
    drop->accept();
  } else {
    drop->acceptProposedAction();
  }
  if (event->type() == QEvent::Drop) {
    // As the user would: open the folder, then click the file.
    if (const QString reason = dir1_->SetPath(file.parent_path()); !reason.isEmpty()) {
      OpenFailed(file.parent_path(), reason);
      return true;
    }
    fil1_->Choose(file.filename());
  }
  return true;
}

}  // namespace karvonel::ui
