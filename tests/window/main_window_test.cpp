// The main window's behaviour, without a window: each row of
// cases/main_window.tsv is a user's steps on a fresh tree of folders, and what
// the lists, the two boxes and the messages then show. The same rows run on
// Windows (under Wine), with Windows paths.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/case_table.h"
#include "tests/support/test_files.h"
#include "window/main_window.h"
#include "window/shown_text.h"
#include "window/texts.h"

namespace karvonel::window {
namespace {

namespace fs = std::filesystem;
using karvonel::testing::ReplaceAll;
using karvonel::testing::Split;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;

// The tree every row starts from.
void MakeTree(const fs::path& root) {
  for (const char* file : {"a/notes.txt", "a/.hidden.csv", "a/sub.csv/x.txt", "a/my.data/q.v1.csv",
                           "b/only.csv", "notes.csv"}) {
    fs::create_directories((root / file).parent_path());
    WriteFileBytes(root / file, "1,2,3\r\n");
  }
  WriteFileBytes(root / "a/pts.csv", "1,2,3\r\n4,5,6\r\n");
  WriteFileBytes(root / "a/b.CSV", "1,2,3\n4 5\n");
  for (const char* folder : {"a/alpha", "a/Zeta", "a/.hid", "c/d/e"})
    fs::create_directories(root / folder);
#ifdef _WIN32
  // Hidden by its attribute on Windows, not by its name.
  WriteFileBytes(root / "a/shown.csv.lnk", "");
#endif
}

// Cancels nothing.
class NoCancel : public ConversionProgress {
 public:
  bool Update(double) override { return true; }
};

class CurrentFolderKept {
 public:
  CurrentFolderKept() : folder_(fs::current_path()) {}
  ~CurrentFolderKept() { fs::current_path(folder_); }

 private:
  fs::path folder_;
};

TEST(MainWindow, CaseTable) {
  const auto rows =
      testing::ReadCaseTable(KARVONEL_SOURCE_DIR "/tests/window/cases/main_window.tsv");
  ASSERT_GT(rows.size(), 20u);
#ifdef _WIN32
  const std::string kSystem = "windows";
#else
  const std::string kSystem = "posix";
#endif
  for (const testing::CaseRow& row : rows) {
    if (row[1] != "all" && row[1] != kSystem)
      continue;
    SCOPED_TRACE(row.where);
    TempDir temp;
    const fs::path root = temp.Path();
    MakeTree(root);
    const CurrentFolderKept kept;
    fs::current_path(root);  // where para.sec goes
    // A text of the table: %T the tree, "/" the system's separator.
    const auto text = [&](std::string value) {
#ifdef _WIN32
      value = ReplaceAll(value, "/", "\\");
#endif
      return ReplaceAll(value, "%T", ShownText(root));
    };
    const auto path = [&](const std::string& relative) {
      return relative == "." ? root : (root / PathFromText(relative)).lexically_normal();
    };

    MainWindow window({{root / "a", "A"}, {root / "b", "B"}, {root / "notes.csv", "D"}},
                      path(row[2]));
    std::vector<std::string> messages;
    if (!window.StartMessage().empty())
      messages.push_back(window.StartMessage());
    const auto row_with_text = [](const auto& rows, const std::string& wanted) {
      for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].text == wanted)
          return static_cast<int>(i);
      }
      ADD_FAILURE() << "no row " << wanted;
      return -1;
    };
    for (const std::string& step : Split(row[3] == "-" ? "" : row[3], ' ')) {
      const std::size_t colon = step.find(':');
      const std::string verb = step.substr(0, colon);
      const std::string arg = colon == std::string::npos ? "" : step.substr(colon + 1);
      Reply reply;
      NoCancel progress;
      if (verb == "open") {
        reply = window.Dir1_Change(row_with_text(window.DirectoryRows(), arg));
      } else if (verb == "choose") {
        reply = window.Fil1_Click(row_with_text(window.FileRows(), arg));
      } else if (verb == "type") {
        reply = window.Txt2_Change(text(arg));
      } else if (verb == "convert") {
        reply = window.Cmd1_Click(progress);
      } else if (verb == "drive") {
        reply = window.Drv1_Change(std::stoi(arg));
      } else if (verb == "drop") {
        std::vector<fs::path> files;
        for (const std::string& file : Split(arg, '+'))
          files.push_back(path(file));
        reply = window.Drop(files);
      } else if (verb == "rm") {
        fs::remove_all(path(arg));
      } else if (verb == "cwd") {
        fs::current_path(path(arg));
      } else {
        FAIL() << "unknown step " << step;
      }
      if (!reply.message.empty())
        messages.push_back(reply.message);
    }

    EXPECT_EQ(window.Folder(), path(row[4]));
    std::vector<std::string> files;
    for (const FileRow& file : window.FileRows())
      files.push_back(file.text);
    EXPECT_EQ(files, Split(row[5], '|'));
    EXPECT_EQ(window.InText(), text(row[6]));
    EXPECT_EQ(window.OutText(), text(row[7]));
    std::vector<std::string> expected_messages;
    for (const std::string& message : Split(row[8], '|'))
      expected_messages.push_back(text(message));
    EXPECT_EQ(messages, expected_messages);
    if (row[9] != "-") {
      for (const std::string& file : Split(row[9], ' '))
        EXPECT_TRUE(fs::is_regular_file(path(file))) << file;
    }
    // The output box shows the path the window writes to.
    if (!window.OutText().empty()) {
      EXPECT_EQ(ShownText(window.OutPath()), window.OutText());
    }
  }
}

// The directory list: the open folder's chain, each step one deeper, then its
// sub-folders, sorted without regard to case; hidden ones left out.
TEST(MainWindow, DirectoryRows) {
  TempDir temp;
  MakeTree(temp.Path());
  const MainWindow window({}, temp / "a");
  std::vector<std::string> subfolders;
  int depth = 0;
  for (std::size_t i = 0; i < window.DirectoryRows().size(); ++i) {
    const DirectoryRow& row = window.DirectoryRows()[i];
    if (static_cast<int>(i) <= window.OpenRow()) {
      EXPECT_TRUE(row.open);
      EXPECT_EQ(row.depth, depth++);
    } else {
      EXPECT_FALSE(row.open);
      EXPECT_EQ(row.depth, window.OpenRow() + 1);
      subfolders.push_back(row.text);
    }
  }
  EXPECT_EQ(window.DirectoryRows()[static_cast<std::size_t>(window.OpenRow())].path, temp / "a");
  EXPECT_EQ(subfolders, (std::vector<std::string>{"alpha", "my.data", "sub.csv", "Zeta"}));
  // The first row is the root, shown whole.
  EXPECT_EQ(window.DirectoryRows().front().text, ShownText(temp.Path().root_path()));
}

// Names that are not UTF-8 (Shift_JIS from a Windows archive) show U+FFFD for
// each stray byte; the paths keep the names' own bytes.
#ifndef _WIN32
TEST(MainWindow, NamesThatAreNotUtf8) {
  TempDir temp;
  const fs::path folder = temp / "\x83\x66\x81\x5B\x83\x5E";  // データ
  fs::create_directories(folder);
  WriteFileBytes(folder / "\x93\x5F.csv", "1,2,3\r\n");  // 点.csv
  WriteFileBytes(folder / "\x95\x5F.csv", "1,2,3\r\n");  // 田.csv
  MainWindow window({}, temp.Path());
  const CurrentFolderKept kept;
  fs::current_path(temp.Path());
  ASSERT_EQ(window.DirectoryRows().back().text, "\uFFFDf\uFFFD[\uFFFD^");
  (void)window.Dir1_Change(static_cast<int>(window.DirectoryRows().size()) - 1);
  ASSERT_EQ(window.FileRows().size(), 2u);
  EXPECT_EQ(window.FileRows()[1].text, "\uFFFD_.csv");
  (void)window.Fil1_Click(1);
  EXPECT_EQ(window.InPath(), folder / "\x95\x5F.csv");
  EXPECT_EQ(window.OutPath(), folder / "\x95\x5F.igs");
  NoCancel progress;
  EXPECT_EQ(window.Cmd1_Click(progress).message, "変換しました");
  EXPECT_TRUE(fs::exists(folder / "\x95\x5F.igs"));
  // Edited in the same folder, the path keeps the folder's own name.
  std::string edited = window.OutText();
  edited = ReplaceAll(edited, "\uFFFD_.igs", "out.igs");
  (void)window.Txt2_Change(edited);
  EXPECT_EQ(window.OutPath(), folder / "out.igs");
}

// The reason in a message is the system's, in English, under a Japanese locale
// too, where the C library speaks Japanese.
TEST(MainWindow, ReasonsInEnglishUnderAJapaneseLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "ja_JP.UTF-8"), nullptr) << "no ja_JP.UTF-8 locale";
  ASSERT_STRNE(std::strerror(ENOTDIR), "Not a directory") << "the locale does not speak Japanese";
  TempDir temp;
  WriteFileBytes(temp / "file", "");
  MainWindow window({{temp / "file", "F"}}, temp.Path());
  EXPECT_EQ(window.Drv1_Change(0).message, "ドライブ F を開けません。\n(Not a directory)");
  std::setlocale(LC_ALL, "C");
}
#endif

// The bar is full only at the very end, and a cancel while the file is
// finished (after the last line was read) still leaves the earlier output.
TEST(MainWindow, CancelWhileFinishing) {
  TempDir temp;
  std::string points;
  for (int i = 0; i < 40000; ++i)
    points += "1.5,2.5,3.5\n";
  WriteFileBytes(temp / "big.csv", points);
  WriteFileBytes(temp / "big.igs", "earlier\r\n");
  const CurrentFolderKept kept;
  fs::current_path(temp.Path());

  class Recorder : public ConversionProgress {
   public:
    explicit Recorder(double cancel_from) : cancel_from_(cancel_from) {}
    bool Update(double share) override {
      shares.push_back(share);
      return share < cancel_from_;
    }
    std::vector<double> shares;

   private:
    double cancel_from_;
  };
  MainWindow window({}, temp.Path());
  (void)window.Fil1_Click(0);
  Recorder all(2.0);
  EXPECT_EQ(window.Cmd1_Click(all).message, "変換しました");
  ASSERT_GE(all.shares.size(), 3u);
  EXPECT_EQ(all.shares.back(), 1.0);
  const double before_last = all.shares[all.shares.size() - 2];
  EXPECT_LT(before_last, 0.99);
  // Cancelled at each report of the finishing, the last one included.
  for (std::size_t report = all.shares.size() - 3; report < all.shares.size(); ++report) {
    WriteFileBytes(temp / "big.igs", "earlier\r\n");
    Recorder cancel(all.shares[report]);
    EXPECT_EQ(window.Cmd1_Click(cancel).message,
              "変換を取り消しました。出力ファイルは変更されていません");
    EXPECT_EQ(testing::ReadFileBytes(temp / "big.igs"), "earlier\r\n");
  }
}

TEST(MainWindow, BreakAtPhrases) {
  const auto rows = testing::ReadCaseTable(KARVONEL_SOURCE_DIR "/tests/window/cases/phrases.tsv");
  ASSERT_FALSE(rows.empty());
  for (const testing::CaseRow& row : rows) {
    SCOPED_TRACE(row.where);
    EXPECT_EQ(BreakAtPhrases(row[1], static_cast<std::size_t>(std::stoi(row[2]))), row[3]);
  }
}

}  // namespace
}  // namespace karvonel::window
