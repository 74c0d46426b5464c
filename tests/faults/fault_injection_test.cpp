// Faults injected from outside, end to end: each run of karvonel-convert (or of
// a conversion in this process, where the fault must strike at a chosen
// moment) must end without a crash, with a message that names the cause, with
// no temporary file left behind and with an earlier output file unchanged.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "conversion/conversion_error.h"
#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "tests/faults/fault_support.h"
#include "tests/structure/iges_structure.h"
#include "tests/support/test_files.h"

namespace karvonel::testing {
namespace {

namespace fs = std::filesystem;
using conversion::ConversionError;
using conversion::ErrorKind;

constexpr char kEarlierOutput[] = "an earlier output file, which a failed run must keep\r\n";
constexpr std::int64_t kRecordBytes = 82;

std::string Reason(int code) {
  return std::strerror(code);
}

// The files of one run: the input, the output folder with an earlier output,
// and the tool's working folder, where "para.sec" goes.
struct Scene {
  TempDir dir;
  fs::path in_folder = dir / "in";
  fs::path in = in_folder / "points.csv";
  fs::path out_folder = dir / "out";
  fs::path out = out_folder / "points.igs";
  fs::path work = dir / "work";
  fs::path section = work / "para.sec";

  explicit Scene(const std::string& input = "1,2,3\n4,5,6\n") {
    fs::create_directories(in_folder);
    fs::create_directories(out_folder);
    fs::create_directories(work);
    WriteFileBytes(in, input);
    WriteFileBytes(out, kEarlierOutput);
  }

  ~Scene() {
    // Read-only folders would keep their files from being cleaned up.
    std::error_code ignored;
    for (const fs::path& folder : {in_folder, out_folder, work}) {
      fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Lets the unprivileged user write where a run writes.
  void HandOverToUnprivilegedUser() const {
    if (!RunningAsRoot())
      return;
    for (const fs::path& folder : {out_folder, work}) {
      ASSERT_EQ(::chown(folder.c_str(), kUnprivilegedUser, kUnprivilegedGroup), 0);
    }
  }

  ToolRun Convert(bool unprivileged = false) const {
    return RunConvert({"-o", out.string(), in.string()}, work, unprivileged);
  }
};

// The tool ended normally with status 1 and reported exactly `error` for `in`.
void ExpectReported(const ToolRun& run, const fs::path& in, const ConversionError& error) {
  EXPECT_TRUE(run.exited) << "killed by signal " << run.signal << "; standard error:\n" << run.err;
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, in.string() + ": " + conversion::ErrorMessage(error) + "\n");
}

ConversionError Error(ErrorKind kind, std::int64_t line, const fs::path& path = {},
                      std::string reason = {}) {
  return {kind, line, path.string(), std::move(reason)};
}

// ---------------------------------------------------------------------------
// Where the output goes, and what the input is.

struct PlaceFault {
  const char* name;
  bool unprivileged;  // needs file permissions to apply
  // Prepares the fault; returns the output path to give and the error expected.
  std::function<std::pair<std::string, ConversionError>(Scene&)> arrange;
};

void PrintTo(const PlaceFault& fault, std::ostream* out) {
  *out << fault.name;
}

class OutputPlace : public ::testing::TestWithParam<PlaceFault> {};

TEST_P(OutputPlace, IsReportedBeforeAnythingIsWritten) {
  Scene scene;
  scene.HandOverToUnprivilegedUser();
  const auto [out_arg, error] = GetParam().arrange(scene);
  const FolderSnapshot before = Snapshot(scene.dir.Path());

  const ToolRun run =
      RunConvert({"-o", out_arg, scene.in.string()}, scene.work, GetParam().unprivileged);

  ExpectReported(run, scene.in, error);
  EXPECT_EQ(Snapshot(scene.dir.Path()), before) << "a file was written, changed or left behind";
}

const PlaceFault kPlaceFaults[] = {
    {"FolderReadOnly", true,
     [](Scene& s) {
       EXPECT_EQ(::chmod(s.out_folder.c_str(), 0555), 0);
       return std::pair{s.out.string(), Error(ErrorKind::kCannotCreate, 0, s.out, Reason(EACCES))};
     }},
    {"FolderMissing", false,
     [](Scene& s) {
       const fs::path missing = s.dir / "missing";
       return std::pair{(missing / "points.igs").string(),
                        Error(ErrorKind::kOutputFolderMissing, 0, missing)};
     }},
    {"PathIsAFolder", false,
     [](Scene& s) {
       return std::pair{s.out_folder.string(), Error(ErrorKind::kOutputIsFolder, 0, s.out_folder)};
     }},
    {"PathEmpty", false,
     [](Scene&) {
       return std::pair{std::string(), Error(ErrorKind::kOutputPathEmpty, 0)};
     }},
};

INSTANTIATE_TEST_SUITE_P(Faults, OutputPlace, ::testing::ValuesIn(kPlaceFaults),
                         [](const auto& info) { return std::string(info.param.name); });

struct InputFault {
  const char* name;
  bool unprivileged;
  std::function<void(Scene&)> arrange;
};

void PrintTo(const InputFault& fault, std::ostream* out) {
  *out << fault.name;
}

class UnopenableInput : public ::testing::TestWithParam<InputFault> {};

TEST_P(UnopenableInput, IsReportedAsMissingAndChangesNothing) {
  Scene scene;
  scene.HandOverToUnprivilegedUser();
  GetParam().arrange(scene);
  const FolderSnapshot before = Snapshot(scene.dir.Path());

  const ToolRun run = scene.Convert(GetParam().unprivileged);

  EXPECT_TRUE(run.exited) << "killed by signal " << run.signal;
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, scene.in.string() + ": " + "ファイル名が存在しません" + "\n");
  EXPECT_EQ(Snapshot(scene.dir.Path()), before);
}

const InputFault kInputFaults[] = {
    {"Unreadable", true, [](Scene& s) { EXPECT_EQ(::chmod(s.in.c_str(), 0), 0); }},
    {"Missing", false, [](Scene& s) { fs::remove(s.in); }},
    {"AFolder", false,
     [](Scene& s) {
       fs::remove(s.in);
       fs::create_directory(s.in);
     }},
};

INSTANTIATE_TEST_SUITE_P(Faults, UnopenableInput, ::testing::ValuesIn(kInputFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The Parameter Data section file "para.sec".

struct SectionFault {
  const char* name;
  bool unprivileged;
  std::function<ConversionError(Scene&)> arrange;
};

void PrintTo(const SectionFault& fault, std::ostream* out) {
  *out << fault.name;
}

class UnwritableSectionFile : public ::testing::TestWithParam<SectionFault> {};

TEST_P(UnwritableSectionFile, EndsTheRunAndRemovesTheTemporaryOutput) {
  Scene scene;
  scene.HandOverToUnprivilegedUser();
  const ConversionError error = GetParam().arrange(scene);
  const FolderSnapshot before = Snapshot(scene.dir.Path());

  ExpectReported(scene.Convert(GetParam().unprivileged), scene.in, error);
  EXPECT_EQ(Snapshot(scene.dir.Path()), before);
}

const SectionFault kSectionFaults[] = {
    {"ReadOnlyFile", true,
     [](Scene& s) {
       WriteFileBytes(s.section, "records of an earlier run\r\n");
       EXPECT_EQ(::chmod(s.section.c_str(), 0444), 0);
       return Error(ErrorKind::kCannotCreate, 0, "para.sec", Reason(EACCES));
     }},
    {"ReadOnlyFolder", true,
     [](Scene& s) {
       EXPECT_EQ(::chmod(s.work.c_str(), 0555), 0);
       return Error(ErrorKind::kCannotCreate, 0, "para.sec", Reason(EACCES));
     }},
    {"AFolder", false,
     [](Scene& s) {
       fs::create_directory(s.section);
       return Error(ErrorKind::kCannotCreate, 0, "para.sec", Reason(EISDIR));
     }},
};

INSTANTIATE_TEST_SUITE_P(Faults, UnwritableSectionFile, ::testing::ValuesIn(kSectionFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SectionFile, HeldByARunningConversionRefusesTheSecond) {
  // The first conversion runs in this process and, while it holds "para.sec",
  // starts the tool in the same folder.
  Scene first(PointLines(100'000));
  Scene second;
  std::optional<ToolRun> second_run;
  FolderSnapshot second_before;
  conversion::ConversionRequest request;
  request.in_path = first.in;
  request.out_path = first.out;
  request.section_path = second.section;
  request.progress = [&](std::uint64_t, std::uint64_t) {
    if (!second_run) {
      second_before = Snapshot(second.out_folder);
      second_run = second.Convert();
    }
    return true;
  };

  const conversion::ConversionResult result = conversion::RunConversion(request);

  ASSERT_TRUE(second_run.has_value()) << "the progress callback never ran";
  ExpectReported(*second_run, second.in, Error(ErrorKind::kSectionFileBusy, 0, "para.sec"));
  EXPECT_EQ(Snapshot(second.out_folder), second_before);
  ASSERT_TRUE(result) << conversion::ResultMessage(result);
  EXPECT_EQ(result->points, 100'000);
  EXPECT_EQ(CheckIgesStructure(ReadFileBytes(first.out)), std::nullopt);
  EXPECT_EQ(fs::file_size(second.section), 100'000 * kRecordBytes);
}

// ---------------------------------------------------------------------------
// The disk filling up.

struct FullDisk {
  const char* name;
  bool output_on_small_disk;  // else "para.sec" is
  const char* size;
  std::int64_t points;
  std::function<ConversionError(const Scene&)> error;
  // The size of "para.sec" afterwards: all the Parameter Data records show
  // the point loop finished and the merge failed.
  std::function<void(std::int64_t size)> section_check;
};

void PrintTo(const FullDisk& fault, std::ostream* out) {
  *out << fault.name;
}

class DiskFull : public ::testing::TestWithParam<FullDisk> {};

TEST_P(DiskFull, EndsTheRunAndKeepsTheEarlierOutput) {
  const FullDisk& p = GetParam();
  Scene scene(PointLines(p.points));
  SmallDisk disk(p.output_on_small_disk ? scene.out_folder : scene.work, p.size);
  if (!disk.Mounted())
    GTEST_SKIP() << disk.WhyNot();
  if (p.output_on_small_disk)
    WriteFileBytes(scene.out, kEarlierOutput);
  const FolderSnapshot before = Snapshot(scene.out_folder);

  ExpectReported(scene.Convert(), scene.in, p.error(scene));
  EXPECT_EQ(Snapshot(scene.out_folder), before) << "the earlier output changed or a file is left";
  p.section_check(static_cast<std::int64_t>(fs::file_size(scene.section)));
}

const FullDisk kFullDisks[] = {
    // 20,000 points need 3.3 MB of Directory Entry records, 1.6 MB of
    // Parameter Data records in "para.sec" and again in the output.
    {"DuringThePointLoop", true, "1m", 20'000,
     [](const Scene& s) { return Error(ErrorKind::kWriteFailed, 0, s.out, Reason(ENOSPC)); },
     [](std::int64_t size) { EXPECT_LT(size, 20'000 * kRecordBytes); }},
    {"DuringTheMerge", true, "4m", 20'000,
     [](const Scene& s) { return Error(ErrorKind::kWriteFailed, 0, s.out, Reason(ENOSPC)); },
     [](std::int64_t size) { EXPECT_EQ(size, 20'000 * kRecordBytes); }},
    {"UnderTheSectionFile", false, "1m", 20'000,
     [](const Scene&) { return Error(ErrorKind::kWriteFailed, 0, "para.sec", Reason(ENOSPC)); },
     [](std::int64_t size) { EXPECT_LT(size, 20'000 * kRecordBytes); }},
};

INSTANTIATE_TEST_SUITE_P(Faults, DiskFull, ::testing::ValuesIn(kFullDisks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileSizeLimit, AWriteRefusedPastTheLimitEndsTheRunAndKeepsTheEarlierOutput) {
  // Needs no root: the system refuses writes past RLIMIT_FSIZE. 20,000 points
  // give 1.6 MB of Parameter Data records, within the limit, and 3.3 MB of
  // Directory Entry records, past it.
  Scene scene(PointLines(20'000));
  const FolderSnapshot before = Snapshot(scene.out_folder);

  const ToolRun run =
      RunConvert({"-o", scene.out.string(), scene.in.string()}, scene.work, false, 2'000'000);

  ExpectReported(run, scene.in, Error(ErrorKind::kWriteFailed, 0, scene.out, Reason(EFBIG)));
  EXPECT_EQ(Snapshot(scene.out_folder), before);
}

// ---------------------------------------------------------------------------
// The input changing under a running conversion. The fault strikes from the
// progress callback, which the run calls once the first lines are read; the
// input is far larger than the reader's buffer, so most of it is still unread.

constexpr std::int64_t kChangingInputPoints = 120'000;

conversion::ConversionResult ConvertWhile(const Scene& scene, const std::function<void()>& change) {
  conversion::ConversionRequest request;
  request.in_path = scene.in;
  request.out_path = scene.out;
  request.section_path = scene.section;
  bool changed = false;
  request.progress = [&](std::uint64_t, std::uint64_t) {
    if (!changed)
      change();
    changed = true;
    return true;
  };
  return conversion::RunConversion(request);
}

TEST(InputChanged, TruncatedOrRewrittenLongerIsReported) {
  const std::string original = PointLines(kChangingInputPoints);
  for (const std::size_t new_size : {std::size_t{0}, original.size() / 2, original.size() * 2}) {
    SCOPED_TRACE("input rewritten with " + std::to_string(new_size) + " bytes");
    Scene scene(original);
    const FolderSnapshot before = Snapshot(scene.out_folder);

    const auto result = ConvertWhile(scene, [&] {
      // Rewritten in place, as an editor saving over it does.
      WriteFileBytes(scene.in, PointLines(kChangingInputPoints * 2).substr(0, new_size));
    });

    EXPECT_FALSE(result);
    EXPECT_EQ(conversion::ResultMessage(result),
              conversion::ErrorMessage(Error(ErrorKind::kInputChanged, 0, scene.in)));
    EXPECT_EQ(Snapshot(scene.out_folder), before);
  }
}

TEST(InputChanged, ReplacedByAnotherFileTheOpenedOneIsConvertedWhole) {
  // A new file renamed over the input's name leaves the opened file intact:
  // the run converts it, all of it, and nothing of the new one.
  Scene scene(PointLines(kChangingInputPoints));
  const auto result = ConvertWhile(scene, [&] {
    WriteFileBytes(scene.dir / "new.csv", "9,9,9\n");
    fs::rename(scene.dir / "new.csv", scene.in);
  });
  ASSERT_TRUE(result) << conversion::ResultMessage(result);
  EXPECT_EQ(result->points, kChangingInputPoints);
  const std::string file = ReadFileBytes(scene.out);
  EXPECT_EQ(CheckIgesStructure(file), std::nullopt);
  EXPECT_EQ(file.find("116, 9, 9, 9;"), std::string::npos);
}

// ---------------------------------------------------------------------------
// A gigabyte without a line end. The reader must refuse the line once it
// passes the limit, without holding it: memory stays small.

constexpr std::int64_t kGigabyte = std::int64_t{1} << 30;
constexpr std::int64_t kMemoryLimitKib = 64 * 1024;

TEST(LongLine, AGigabyteFromAPipeStopsAtTheLineAndKeepsMemorySmall) {
  std::signal(SIGPIPE, SIG_IGN);  // the tool closes the pipe early
  Scene scene;
  fs::remove(scene.in);
  ASSERT_EQ(::mkfifo(scene.in.c_str(), 0600), 0);
  const FolderSnapshot before = Snapshot(scene.out_folder);

  std::atomic<std::int64_t> delivered{0};
  std::thread writer([&] {
    const int fd = ::open(scene.in.c_str(), O_WRONLY);
    if (fd < 0)
      return;
    const std::string first_line = "1,2,3\n";
    ssize_t count = ::write(fd, first_line.data(), first_line.size());
    const std::string chunk(1 << 16, '7');
    while (count > 0 && delivered < kGigabyte) {
      count = ::write(fd, chunk.data(), chunk.size());
      if (count > 0)
        delivered += count;
    }
    ::close(fd);
  });
  const ToolRun run = scene.Convert();
  // Should the tool never have opened the pipe, this releases the writer.
  const int unblock = ::open(scene.in.c_str(), O_RDONLY | O_NONBLOCK);
  writer.join();
  if (unblock >= 0)
    ::close(unblock);

  ExpectReported(run, scene.in, Error(ErrorKind::kLineTooLong, 2));
  EXPECT_LT(delivered.load(), kGigabyte / 16) << "the tool read on far past the long line";
  EXPECT_LT(run.peak_rss_kib, kMemoryLimitKib);
  EXPECT_EQ(Snapshot(scene.out_folder), before);
}

TEST(LongLine, AGigabyteOfNulBytesStopsAtTheFirstLineAndKeepsMemorySmall) {
  Scene scene;
  {
    const int fd = ::open(scene.in.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kGigabyte), 0);  // sparse: no disk used
    ::close(fd);
  }
  const FolderSnapshot before = Snapshot(scene.out_folder);

  const ToolRun run = scene.Convert();

  ExpectReported(run, scene.in, Error(ErrorKind::kLineTooLong, 1));
  EXPECT_LT(run.peak_rss_kib, kMemoryLimitKib);
  EXPECT_EQ(Snapshot(scene.out_folder), before);
}

// ---------------------------------------------------------------------------
// Bytes that are no text.

TEST(Garbage, NulBytesAndEveryByteValueAreOrdinaryText) {
  std::string every_byte;
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n')
      every_byte += static_cast<char>(b);
  }
  Scene scene("1,2,3\n" + every_byte + "\n" + std::string(3, '\0') + "\n4,5,6");

  const ToolRun run = scene.Convert();

  EXPECT_TRUE(run.exited) << "killed by signal " << run.signal;
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, scene.in.string() + ": " + conversion::kMessageConverted + ": " +
                         scene.out.string() + "\n");
  // Every byte value: the first field starts with a NUL, not a number; the
  // second, after the one comma, with "-./": no digit. The NUL line likewise.
  std::vector<std::vector<std::string>> points;
  const IgesStructure structure = InspectIges(ReadFileBytes(scene.out), [&](const auto& entity) {
    points.emplace_back(entity.parameters.begin() + 1, entity.parameters.end());
  });
  EXPECT_EQ(structure.problem, std::nullopt);
  EXPECT_EQ(points, (std::vector<std::vector<std::string>>{
                        {"1", "2", "3"}, {"0", "0", "0"}, {"0", "0", "0"}, {"4", "5", "6"}}));
}

TEST(Garbage, RandomBytesConvertOrFailAtALine) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 8; ++round) {
    std::string bytes(1 << 16, '\0');
    for (char& c : bytes)
      c = static_cast<char>(random());
    // Every other round, plenty of the characters numbers are made of.
    if (round % 2 == 1) {
      for (char& c : bytes) {
        if (random() % 2 == 0)
          c = "0123456789.,-+eEdD&Hh \n"[random() % 24];
      }
    }
    SCOPED_TRACE("round " + std::to_string(round));
    Scene scene(bytes);

    const ToolRun run = scene.Convert();

    ASSERT_TRUE(run.exited) << "killed by signal " << run.signal;
    if (run.exit_code == 0) {
      EXPECT_EQ(CheckIgesStructure(ReadFileBytes(scene.out)), std::nullopt);
    } else {
      EXPECT_EQ(run.exit_code, 1);
      // "<input>: <line> 行目..." and the earlier output kept.
      const std::string prefix = scene.in.string() + ": ";
      ASSERT_EQ(run.err.rfind(prefix, 0), 0u) << run.err;
      const std::string message = run.err.substr(prefix.size());
      EXPECT_TRUE(!message.empty() && message[0] >= '1' && message[0] <= '9' &&
                  message.find(" 行目") != std::string::npos)
          << run.err;
      EXPECT_EQ(ReadFileBytes(scene.out), kEarlierOutput);
    }
    EXPECT_EQ(ListFolder(scene.out_folder), "points.igs");
  }
}

// ---------------------------------------------------------------------------
// The point limit: 4,999,999 points fit a file, the 5,000,000th ends the run
// before any of it is written. The leading blank line makes the point's line
// number differ from its count.

TEST(PointLimit, TheFiveMillionthPointEndsTheRun) {
  TempDir base;
  SmallDisk memory(base / "disk", "3g");  // in memory where we may mount one
  const fs::path root = memory.Mounted() ? base / "disk" : base.Path();
  const fs::path in = root / "points.csv";
  const fs::path out = root / "points.igs";
  std::string input = "\n";
  input.reserve(10'000'002);
  for (int i = 0; i < 5'000'000; ++i)
    input += "0\n";
  WriteFileBytes(in, input);
  WriteFileBytes(out, kEarlierOutput);

  const ToolRun run = RunConvert({"-o", out.string(), in.string()}, root);

  ExpectReported(run, in, Error(ErrorKind::kTooManyPoints, 5'000'001));
  EXPECT_EQ(ReadFileBytes(out), kEarlierOutput);
  EXPECT_EQ(ListFolder(root), "para.sec\npoints.csv\npoints.igs");
}

}  // namespace
}  // namespace karvonel::testing
