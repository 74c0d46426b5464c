// karvonel.exe worked from another process under Wine, as a user works it:
// the driver finds the window and its controls, reads their texts and rows,
// chooses, types and clicks, reads and closes the message boxes and the About
// window, and checks what lands on disk. It needs a desktop (Xvfb with a
// window manager): tests/windows/with_desktop.sh.
#include <windows.h>
// After windows.h:
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/case_table.h"
#include "tests/support/test_files.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/win32_support.h"

namespace karvonel::win32 {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::Split;
using testing::TempDir;
using testing::WriteFileBytes;

// Polls `ready` until it holds or `seconds` have passed.
bool WaitFor(const std::function<bool()>& ready, int seconds = 10) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > give_up)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::string Text(HWND window) {
  wchar_t buffer[4096];
  DWORD_PTR length = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, &length);
  return Utf8(std::wstring(buffer, length));
}

std::vector<std::string> Rows(HWND list) {
  std::vector<std::string> rows;
  const auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring row(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                     L'\0');
    row.resize(static_cast<std::size_t>(
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()))));
    rows.push_back(Utf8(row));
  }
  return rows;
}

// The visible top-level window of `process` of class `window_class`.
HWND FindWindowOf(DWORD process, const wchar_t* window_class) {
  struct Search {
    DWORD process;
    const wchar_t* window_class;
    HWND found = nullptr;
  } search{process, window_class};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (owner == s->process && ::IsWindowVisible(window) &&
            wcscmp(name, s->window_class) == 0) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// karvonel.exe started in `folder`, ended when the object goes.
class Program {
 public:
  explicit Program(const fs::path& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + fs::absolute(KARVONEL_WINDOW_EXE).wstring() + L"\"";
    started_ = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &startup, &process_) != 0;
    if (!started_)
      std::fprintf(stderr, "CreateProcessW failed: %lu\n", ::GetLastError());
    if (started_)
      // The first window of a fresh Wine prefix can take long: fonts, the desktop.
      WaitFor([&] { return (main_ = FindWindowOf(process_.dwProcessId, kMainClass)) != nullptr; },
              90);
  }
  ~Program() {
    if (started_) {
      if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process_.hProcess, 1);
      ::CloseHandle(process_.hThread);
      ::CloseHandle(process_.hProcess);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  HWND Main() const { return main_; }
  HWND Control(int id) const { return ::GetDlgItem(main_, id); }
  DWORD Id() const { return process_.dwProcessId; }
  bool Ended() const { return ::WaitForSingleObject(process_.hProcess, 5000) == WAIT_OBJECT_0; }

  // Chooses the row `text` of a list as a click does, and tells the window.
  bool Pick(int list, const std::string& text, WORD notification) const {
    const std::wstring wide = Wide(text);
    const auto row = ::SendMessageW(Control(list), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(wide.c_str()));
    if (row == LB_ERR)
      return false;
    ::SendMessageW(Control(list), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageW(main_, WM_COMMAND, MAKEWPARAM(list, notification),
                   reinterpret_cast<LPARAM>(Control(list)));
    return true;
  }

  // Clicks Cmd1 and returns the text of the message box that follows, after
  // pressing its OK.
  std::string Convert() const {
    ::PostMessageW(Control(kCmd1), BM_CLICK, 0, 0);
    return CloseMessageBox();
  }

  // The text of the message box that is open or opens, after pressing its OK.
  std::string CloseMessageBox(int seconds = 10) const {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindWindowOf(Id(), L"#32770")) != nullptr; }, seconds))
      return "(no message box)";
    std::string text = Text(::GetDlgItem(box, 0xFFFF));
    const std::string title = Text(box);
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitFor([&] { return !::IsWindow(box); });
    return title == "PrjKarvonel" ? text : "(title " + title + ") " + text;
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

// A drag of one file as Explorer makes it: an OLE data object with CF_HDROP,
// and a drop source that drops at its third look. The cursor must stand over
// the target before DoDragDrop.
class FileDrag : public IDataObject, public IDropSource {
 public:
  explicit FileDrag(const fs::path& file) : file_(file.wstring()) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IDataObject)
      *object = static_cast<IDataObject*>(this);
    else if (id == IID_IDropSource)
      *object = static_cast<IDropSource*>(this);
    else
      return *object = nullptr, E_NOINTERFACE;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape)
      return DRAGDROP_S_CANCEL;
    return ++looks_ >= 3 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK)
      return DV_E_FORMATETC;
    const std::size_t bytes = sizeof(DROPFILES) + (file_.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(file_.begin(), file_.end(), reinterpret_cast<wchar_t*>(drop + 1));
    ::GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (direction != DATADIR_GET)
      return E_NOTIMPL;
    static FORMATETC kHDrop = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return ::SHCreateStdEnumFmtEtc(1, &kHDrop, formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::wstring file_;
  int looks_ = 0;
};

// Drags `file` onto the window's file list and drops it there.
DWORD DragOnto(HWND target, const fs::path& file) {
  RECT rect{};
  ::GetWindowRect(target, &rect);
  ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  FileDrag drag(file);
  DWORD effect = DROPEFFECT_NONE;
  ::DoDragDrop(static_cast<IDataObject*>(&drag), static_cast<IDropSource*>(&drag),
               DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  return effect;
}

void MakeTree(const fs::path& root) {
  for (const char* folder : {"a/my.data", "b"})
    fs::create_directories(root / folder);
  WriteFileBytes(root / "a/pts.csv", "1,2,3\r\n4,5,6\r\n");
  WriteFileBytes(root / "a/b.CSV", "1,2,3\n4 5\n");
  WriteFileBytes(root / "a/notes.txt", "1,2,3\n");
  WriteFileBytes(root / "a/my.data/q.v1.csv", "7,8,9\n");
  WriteFileBytes(root / "b/only.csv", "1,2,3\n");
}

// The file with the dates of its Global section ("15H" and 15 characters)
// blanked: two runs a second apart write different dates.
std::string WithoutDates(std::string bytes) {
  for (std::size_t at = bytes.find("15H"); at != std::string::npos && at < 5 * 82;
       at = bytes.find("15H", at + 1))
    bytes.replace(at + 3, 15, 15, '#');
  return bytes;
}

std::string ConvertedByCli(const fs::path& input, const fs::path& output) {
  std::wstring command = L"\"" + fs::absolute(KARVONEL_CONVERT_EXE).wstring() + L"\" -o \"" +
                         output.wstring() + L"\" \"" + input.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
    return "(karvonel-convert.exe did not start)";
  ::WaitForSingleObject(process.hProcess, 30000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return ReadFileBytes(output);
}

TEST(WindowExe, Scenarios) {
  ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));  // for the drags
  const auto rows =
      testing::ReadCaseTable(KARVONEL_SOURCE_DIR "/tests/windows/cases/window_scenarios.tsv");
  ASSERT_GT(rows.size(), 5u);
  for (const testing::CaseRow& row : rows) {
    SCOPED_TRACE(row.where);
    TempDir temp;
    MakeTree(temp.Path());
    const auto text = [&](std::string value) {
      std::replace(value.begin(), value.end(), '/', '\\');
      for (std::size_t at; (at = value.find("%T")) != std::string::npos;)
        value.replace(at, 2, Utf8(temp.Path().wstring()));
      return value;
    };
    Program program(temp / "a");
    ASSERT_NE(program.Main(), nullptr) << "no window";
    std::vector<std::string> messages;
    bool ended = false;
    for (const std::string& step : Split(row[1], ' ')) {
      const std::string arg = step.substr(step.find(':') + 1);
      if (step.starts_with("choose:")) {
        ASSERT_TRUE(program.Pick(kFil1, arg, LBN_SELCHANGE)) << step;
      } else if (step.starts_with("drop:")) {
        const bool refused = arg.starts_with("!");  // "drop:!FILE": must be refused
        const DWORD effect = DragOnto(program.Control(kFil1),
                                      temp.Path() / fs::path(Wide(text(arg.substr(refused)))));
        EXPECT_EQ(effect, refused ? DWORD{DROPEFFECT_NONE} : DWORD{DROPEFFECT_COPY}) << step;
      } else if (step.starts_with("open:")) {
        ASSERT_TRUE(program.Pick(kDir1, arg, LBN_DBLCLK)) << step;
      } else if (step.starts_with("type:")) {
        const std::wstring wide = Wide(text(arg));
        ::SendMessageW(program.Control(kTxt2), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(wide.c_str()));
      } else if (step == "convert") {
        messages.push_back(program.Convert());
      } else if (step == "about") {
        ::PostMessageW(program.Main(), WM_COMMAND, kMnuAbout, 0);
        HWND about = nullptr;
        ASSERT_TRUE(
            WaitFor([&] { return (about = FindWindowOf(program.Id(), kAboutClass)) != nullptr; }));
        EXPECT_FALSE(::IsWindowEnabled(program.Main()));
        EXPECT_EQ(Text(about), "バージョン表示");
        EXPECT_EQ(Text(::GetDlgItem(about, kAboutLbl1)), "Karvonel  Ver 1.20 00");
        EXPECT_EQ(Text(::GetDlgItem(about, kAboutCmd1)), "O  K");
        ::PostMessageW(::GetDlgItem(about, kAboutCmd1), BM_CLICK, 0, 0);
        EXPECT_TRUE(
            WaitFor([&] { return !::IsWindow(about) && ::IsWindowEnabled(program.Main()); }));
      } else if (step == "end:Cmd2") {
        ::PostMessageW(program.Control(kCmd2), BM_CLICK, 0, 0);
        ended = program.Ended();
      } else if (step == "end:mnuEnd") {
        ::PostMessageW(program.Main(), WM_COMMAND, kMnuEnd, 0);
        ended = program.Ended();
      } else {
        FAIL() << "unknown step " << step;
      }
    }
    if (row[1].find("end:") != std::string::npos) {
      EXPECT_TRUE(ended);
      continue;
    }
    EXPECT_EQ(Text(program.Control(kTxt1)), text(row[2]));
    EXPECT_EQ(Text(program.Control(kTxt2)), text(row[3]));
    std::vector<std::string> expected_messages;
    for (const std::string& message : Split(row[4], '|'))
      expected_messages.push_back(text(message));
    EXPECT_EQ(messages, expected_messages);
    EXPECT_EQ(Rows(program.Control(kFil1)), Split(row[5], '|'));
    if (row[6] != "-") {
      const fs::path output = temp.Path() / fs::path(Wide(text(row[6])));
      const fs::path input = Wide(row[2].empty() ? "" : text(row[2]));
      EXPECT_EQ(WithoutDates(ReadFileBytes(output)),
                WithoutDates(ConvertedByCli(input, temp / "by-cli.igs")));
    }
  }
}

// At the DPI this test runs with (96, or 144 in its own Wine prefix): each
// control at its place, and Tab going Drv1, Dir1, Fil1, Txt1, Cmd1, Txt2, Cmd2.
// A long conversion shows the progress window (after half a second) while the
// main window takes no input, and キャンセル there leaves the earlier output.
// On a machine that converts the whole list within half a second there is no
// progress window to test, and the test says so.
TEST(WindowExe, ProgressAndCancel) {
  TempDir temp;
  MakeTree(temp.Path());
  std::string points;
  for (int i = 0; i < 100000; ++i)
    points += "1.5,-2.5,3.25\n";
  std::string big;
  for (int i = 0; i < 40; ++i)  // 4,000,000 points
    big += points;
  WriteFileBytes(temp / "a/big.csv", big);
  WriteFileBytes(temp / "a/big.igs", "earlier\r\n");
  Program program(temp / "a");
  ASSERT_NE(program.Main(), nullptr);
  ASSERT_TRUE(program.Pick(kFil1, "big.csv", LBN_SELCHANGE));
  ::PostMessageW(program.Control(kCmd1), BM_CLICK, 0, 0);
  HWND progress = nullptr;
  if (!WaitFor(
          [&] {
            return (progress = FindWindowOf(program.Id(), kProgressClass)) != nullptr ||
                   FindWindowOf(program.Id(), L"#32770") != nullptr;
          },
          60) ||
      progress == nullptr) {
    const std::string message = program.CloseMessageBox();
    GTEST_SKIP() << "converted before a progress window appeared: " << message;
  }
  EXPECT_EQ(Text(progress), "PrjKarvonel");
  EXPECT_FALSE(::IsWindowEnabled(program.Main()));
  ::PostMessageW(::GetDlgItem(progress, kProgressCancel), BM_CLICK, 0, 0);
  EXPECT_EQ(program.CloseMessageBox(60), "変換を取り消しました。出力ファイルは変更されていません");
  EXPECT_TRUE(::IsWindowEnabled(program.Main()));
  EXPECT_EQ(ReadFileBytes(temp / "a/big.igs"), "earlier\r\n");
}

TEST(WindowExe, LayoutAndTabOrder) {
  TempDir temp;
  MakeTree(temp.Path());
  Program program(temp / "a");
  ASSERT_NE(program.Main(), nullptr);
  HDC screen = ::GetDC(nullptr);
  const std::string dpi = std::to_string(::GetDeviceCaps(screen, LOGPIXELSY));
  ::ReleaseDC(nullptr, screen);
  const char* names[] = {"Drv1", "Dir1", "Fil1", "Txt1", "Lbl1",
                         "Cmd1", "Lbl2", "Txt2", "Cmd2", "Line1"};
  int checked = 0;
  for (const testing::CaseRow& row :
       testing::ReadCaseTable(KARVONEL_SOURCE_DIR "/tests/windows/cases/window_layout.tsv")) {
    if (row[1] != dpi)
      continue;
    SCOPED_TRACE(row.where);
    RECT rect{};
    if (row[0] == "client") {
      ::GetClientRect(program.Main(), &rect);
    } else {
      const int index =
          static_cast<int>(std::find(std::begin(names), std::end(names), row[0]) - names);
      HWND control = program.Control(kDrv1 + index);
      ::GetWindowRect(control, &rect);
      ::MapWindowPoints(nullptr, program.Main(), reinterpret_cast<POINT*>(&rect), 2);
    }
    const auto expect = [](long actual, const std::string& wanted) {
      if (wanted.starts_with(">=")) {
        EXPECT_GE(actual, std::stol(wanted.substr(2)));
      } else if (wanted != "-") {
        EXPECT_EQ(std::to_string(actual), wanted);
      }
    };
    expect(rect.left, row[2]);
    expect(rect.top, row[3]);
    expect(rect.right - rect.left, row[4]);
    expect(rect.bottom - rect.top, row[5]);
    ++checked;
  }
  EXPECT_EQ(checked, 11) << "no layout rows for " << dpi << " DPI";

  std::vector<int> order;
  HWND at = program.Control(kDrv1);
  for (int i = 0; i < 8; ++i) {
    order.push_back(::GetDlgCtrlID(at));
    at = ::GetNextDlgTabItem(program.Main(), at, FALSE);
  }
  EXPECT_EQ(order, (std::vector<int>{kDrv1, kDir1, kFil1, kTxt1, kCmd1, kTxt2, kCmd2, kDrv1}));
  EXPECT_EQ(::GetWindowLongPtrW(program.Control(kCmd1), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
}

}  // namespace
}  // namespace karvonel::win32
