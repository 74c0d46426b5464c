// RunConversion in this process, where a test can act at a chosen moment of a
// run: the progress callback and its cancel, the input changing while it is
// read, and memory running out at each allocation in turn.
// Everything a user sees of a run is tested end to end in tests/e2e.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#ifdef __linux__
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#endif

#include "conversion/conversion_run.h"
#include "platform/native_file.h"
#include "tests/support/test_files.h"

// Every allocation of this program goes through here, so that a test can make
// the n-th one fail.
namespace {
std::atomic<long> allocations_until_failure{-1};  // -1: none fails
}  // namespace

void* operator new(std::size_t size) {
  if (allocations_until_failure.load() >= 0 && allocations_until_failure.fetch_sub(1) == 0)
    throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size))
    return memory;
  throw std::bad_alloc();
}
// GCC takes free() after an inlined operator new for a mismatch; it is the
// pair this file defines.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace karvonel::conversion {
namespace {

namespace fs = std::filesystem;
using karvonel::platform::PathText;
using karvonel::testing::ListFolder;
using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;

constexpr char kEarlier[] = "earlier output";

class ConversionRun : public ::testing::Test {
 protected:
  ConversionRequest Request(const std::string& input_bytes) {
    WriteFileBytes(dir_ / "in.csv", input_bytes);
    WriteFileBytes(dir_ / "out.igs", kEarlier);
    ConversionRequest request;
    request.in_path = dir_ / "in.csv";
    request.out_path = dir_ / "out.igs";
    request.section_path = dir_ / "para.sec";
    request.clock = [] { return iges::LocalTime{2026, 12, 6, 10, 23, 45}; };
    return request;
  }
  std::string Output() { return ReadFileBytes(dir_ / "out.igs"); }
  // A refused run leaves the earlier output and no other file behind.
  void ExpectNothingChanged() {
    EXPECT_EQ(Output(), kEarlier);
    EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nout.igs\npara.sec\n");
    EXPECT_EQ(ReadFileBytes(dir_ / "para.sec").size() % 82, 0u) << "para.sec cuts a record";
  }

  TempDir dir_;
};

std::string Lines(const std::string& line, int times) {
  std::string text;
  while (times-- > 0)
    text += line;
  return text;
}

// Progress counts the input and a ninth of it for the copy and the flush. A
// cancel at any report up to the last one, just before the rename, leaves
// everything as it was.
TEST_F(ConversionRun, ProgressAndACancelAtEachReport) {
  for (std::size_t cancel_at = 1; cancel_at <= 6; ++cancel_at) {
    SCOPED_TRACE(cancel_at);
    ConversionRequest request = Request(Lines("1,2,3\n", 40000));  // 240000 bytes
    std::vector<std::uint64_t> done;
    request.progress = [&](std::uint64_t now, std::uint64_t total) {
      done.push_back(now);
      EXPECT_EQ(total, 266667u);
      return done.size() < cancel_at;
    };
    const ConversionResult result = RunConversion(request);
    if (cancel_at == 6) {
      EXPECT_TRUE(result);
      EXPECT_EQ(done, (std::vector<std::uint64_t>{98304, 196608, 240000, 253333, 266667}));
    } else {
      ASSERT_FALSE(result);
      EXPECT_EQ(result.error().kind, ErrorKind::kCancelled);
      EXPECT_EQ(done.size(), cancel_at);
      ExpectNothingChanged();
    }
  }
}

TEST_F(ConversionRun, InputRewrittenInPlaceWhileReadIsRefused) {
  const std::string input = Lines("1,1,1\n", 40000);
  ConversionRequest request = Request(input);
  bool rewritten = false;
  request.progress = [&](std::uint64_t, std::uint64_t) {
    if (!rewritten) {
      // Same size, other points; past the clock's tick so the change shows.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      WriteFileBytes(dir_ / "in.csv", Lines("2,2,2\n", 40000));
      rewritten = true;
    }
    return true;
  };
  const ConversionResult result = RunConversion(request);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().kind, ErrorKind::kInputChanged);
  ExpectNothingChanged();
}

// Another program empties "para.sec" or writes other records into it while a
// run goes on: in the middle of the point loop or just before the end of the
// run. The lock stops neither; the output must never hold records other than
// the run's own. A point list in a file is read twice, and its Parameter Data
// records go straight to their place in the output: the run ends as it would
// have without the meddling. A list read from a pipe is read once and its
// records are copied from "para.sec" at the end: the run must not call itself
// done. (On Windows the lock does keep other handles from writing into the
// file, so there only emptying it is tried, and only from a file.)
TEST_F(ConversionRun, SectionFileChangedByAnotherProgram) {
  struct Meddling {
    const char* name;
    int at_report;  // 1: after 16384 lines; 3: after the last line
    bool emptied;   // else its first record rewritten, as long as it was
  };
  std::vector<Meddling> meddlings{{"emptied in the loop", 1, true},
                                  {"emptied before the end", 3, true}};
#ifndef _WIN32
  meddlings.push_back({"rewritten in the loop", 1, false});
  meddlings.push_back({"rewritten before the end", 3, false});
#endif
  const std::string input = Lines("1,1,1\n", 40000);
  ASSERT_TRUE(RunConversion(Request(input)));
  const std::string untouched = Output();
  for (const bool from_pipe : {false, true}) {
#ifdef _WIN32
    if (from_pipe)
      break;
#endif
    for (const Meddling& meddling : meddlings) {
      SCOPED_TRACE(std::string(meddling.name) + (from_pipe ? ", from a pipe" : ", from a file"));
      fs::remove(dir_ / "in.csv");  // a pipe of the last case would take Request's bytes
      ConversionRequest request = Request(input);
      std::thread writer;
#ifndef _WIN32
      if (from_pipe) {
        fs::remove(request.in_path);
        ASSERT_EQ(::mkfifo(request.in_path.c_str(), 0600), 0);
        writer = std::thread([&] { std::ofstream(request.in_path, std::ios::binary) << input; });
      }
#endif
      int reports = 0;
      request.progress = [&](std::uint64_t, std::uint64_t) {
        if (++reports != meddling.at_report)
          return true;
        std::fstream other(dir_.Path() / "para.sec",
                           std::ios::binary | std::ios::in | std::ios::out |
                               (meddling.emptied ? std::ios::trunc : std::ios::openmode{}));
        if (!meddling.emptied)
          other << "116,9.,9.,9.;";
        EXPECT_TRUE(other.flush()) << "para.sec could not be changed";
        return true;
      };
      const ConversionResult result = RunConversion(request);
      if (writer.joinable())
        writer.join();
      EXPECT_EQ(reports, from_pipe ? 3 : 5);  // a whole run reports five times
      if (!from_pipe) {
        EXPECT_TRUE(result) << ResultMessage(result);
        EXPECT_EQ(Output(), untouched);
        continue;
      }
      EXPECT_FALSE(result) << "a run with foreign records called done";
      if (result)
        continue;
      EXPECT_EQ(ResultMessage(result),
                "変換中に作業ファイルが変更されました：" + (dir_.Path() / "para.sec").string());
      EXPECT_EQ(Output(), kEarlier);
      EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nout.igs\npara.sec\n");
    }
  }
}

// The output's folder is renamed and a link to another folder put in its
// place while a run goes on. The file must land in the folder that was
// checked, wherever it now is, and nothing in the other one. (Windows keeps
// the folder from being renamed while the run holds it.)
TEST_F(ConversionRun, OutputFolderSwappedForALinkDuringTheRun) {
  ConversionRequest request = Request(Lines("1,1,1\n", 40000));
  fs::create_directory(dir_ / "out");
  fs::create_directory(dir_ / "other");
  WriteFileBytes(dir_ / "out" / "out.igs", kEarlier);
  request.out_path = dir_ / "out" / "out.igs";
  bool moved = false;
  request.progress = [&](std::uint64_t, std::uint64_t) {
    if (!moved) {
      std::error_code refused;
      fs::rename(dir_ / "out", dir_ / "out.moved", refused);
      moved = !refused;
      if (moved)
        fs::create_directory_symlink(dir_ / "other", dir_ / "out");
    }
    return true;
  };
  const ConversionResult result = RunConversion(request);
  ASSERT_TRUE(result) << ResultMessage(result);
  EXPECT_EQ(ListFolder(dir_ / "other"), "") << "written into the other folder";
  const fs::path checked = moved ? dir_ / "out.moved" : dir_ / "out";
  EXPECT_EQ(ListFolder(checked), "out.igs\n");
  EXPECT_EQ(ReadFileBytes(checked / "out.igs").size(), 82u * (1 + 4 + 3 * 40000 + 1));
#ifndef _WIN32
  EXPECT_TRUE(moved) << "the folder could not be renamed";
#endif
}

// The target changes while a run goes on: right before the new file would
// take its place, it is checked again as at the start, and a target that may
// no longer be replaced is kept.
TEST_F(ConversionRun, TargetThatMayNoLongerBeReplacedIsKept) {
  struct Change {
    const char* name;
    void (*make)(const fs::path& target);
    const char* message;
  };
  std::vector<Change> changes{{"made read-only",
                               [](const fs::path& target) {
                                 fs::permissions(target,
                                                 fs::perms::owner_write | fs::perms::group_write |
                                                     fs::perms::others_write,
                                                 fs::perm_options::remove);
                               },
                               "出力ファイルは書き込みが禁止されているため置き換えません："}};
#ifndef _WIN32
  changes.push_back({"replaced by a FIFO",
                     [](const fs::path& target) {
                       fs::remove(target);
                       ASSERT_EQ(::mkfifo(target.c_str(), 0644), 0);
                     },
                     "出力ファイル名が通常のファイルでないもの（デバイスなど）を指しています："});
#endif
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    ConversionRequest request = Request(Lines("1,1,1\n", 40000));
    bool changed = false;
    request.progress = [&](std::uint64_t, std::uint64_t) {
      if (!changed)
        change.make(request.out_path);
      changed = true;
      return true;
    };
    const ConversionResult result = RunConversion(request);
    EXPECT_EQ(ResultMessage(result), change.message + PathText(request.out_path));
    EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nout.igs\npara.sec\n") << "a file left behind";
    if (fs::is_regular_file(request.out_path)) {
      const std::string kept = Output();
      EXPECT_TRUE(kept == kEarlier) << "replaced by " << kept.size() << " bytes";
    }
    fs::permissions(request.out_path, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(request.out_path);
  }
}

// The replaced output keeps what its owner set on it: a user extended
// attribute and an access list that gives one more user the right to read.
TEST_F(ConversionRun, ReplacedOutputKeepsItsAttributesAndAccessList) {
#ifdef __linux__
  ConversionRequest request = Request("1,2,3\n");
  // Version 2; the owner rw-, user 12345 r--, the group r--, the mask r--,
  // others ---: each entry a tag, the rights and an id (-1: none), little end
  // first.
  const std::string access_list(
      "\x02\x00\x00\x00"
      "\x01\x00\x06\x00\xff\xff\xff\xff"
      "\x02\x00\x04\x00\x39\x30\x00\x00"
      "\x04\x00\x04\x00\xff\xff\xff\xff"
      "\x10\x00\x04\x00\xff\xff\xff\xff"
      "\x20\x00\x00\x00\xff\xff\xff\xff",
      44);
  const char* const out = request.out_path.c_str();
  if (::setxattr(out, "user.karvonel.note", "kept", 4, 0) != 0 ||
      ::setxattr(out, "system.posix_acl_access", access_list.data(), access_list.size(), 0) != 0) {
    GTEST_SKIP() << "the test folder's file system keeps no extended attributes or access "
                    "lists: "
                 << std::strerror(errno);
  }
  const auto attribute = [out](const char* name) {
    char value[256];
    const ssize_t size = ::getxattr(out, name, value, sizeof value);
    return size < 0 ? std::string("(none)") : std::string(value, static_cast<std::size_t>(size));
  };
  const ConversionResult result = RunConversion(request);
  ASSERT_TRUE(result) << ResultMessage(result);
  EXPECT_NE(Output(), kEarlier);
  EXPECT_EQ(attribute("user.karvonel.note"), "kept");
  EXPECT_EQ(attribute("system.posix_acl_access"), access_list);
  EXPECT_EQ(fs::status(request.out_path).permissions(), fs::perms(0640));
#else
  GTEST_SKIP() << "extended attributes and POSIX access lists are kept on Linux only";
#endif
}

// Memory running out at any allocation of a run ends it with a message; the
// earlier output is kept and nothing is left behind.
TEST_F(ConversionRun, MemoryRunningOutAtAnyAllocationEndsTheRunCleanly) {
  int failures = 0;
  for (long n = 0;; ++n) {
    const ConversionRequest request = Request(Lines("1,2,3\n", 20));
    allocations_until_failure = n;
    const ConversionResult result = RunConversion(request);
    const bool failed_here = allocations_until_failure.load() < 0;
    allocations_until_failure = -1;
    if (!failed_here) {
      ASSERT_TRUE(result) << ResultMessage(result);
      break;
    }
    SCOPED_TRACE(n);
    ASSERT_FALSE(result);
    EXPECT_EQ(ResultMessage(result), "メモリが足りません。変換を中止しました");
    EXPECT_EQ(Output(), kEarlier);
    EXPECT_EQ(ListFolder(dir_.Path()).find(".tmp"), std::string::npos);
    ++failures;
  }
  EXPECT_GT(failures, 5) << "the run allocates a few buffers at least";
}

}  // namespace
}  // namespace karvonel::conversion
