// Why a conversion did not produce its file.
#pragma once

#include <cstdint>
#include <string>

namespace karvonel::conversion {

enum class ErrorKind {
  kNoFileChosen,           // no input path given
  kInputMissing,           // the input does not exist
  kInputIsFolder,          // the input path names a folder (path)
  kLineTooLong,            // an input line of more than 32766 bytes (line)
  kDataTooLong,            // a point's data text over 64 columns (line)
  kValueOutOfRange,        // a number beyond the range of a double (line)
  kTooManyPoints,          // the 5,000,000th point (line)
  kOutputPathEmpty,        // no output path given
  kOutputIsFolder,         // the output path names a folder (path)
  kOutputIsInput,          // the output path names the input file (path)
  kOutputNotRegular,       // the output path names a device, a FIFO ... (path)
  kOutputReadOnly,         // the file at the output path may not be written (path)
  kOutputFolderMissing,    // the output's folder does not exist (path)
  kOutputFolderIsFile,     // a folder of the output path is a file (path, reason)
  kPathTooLong,            // a path or a name is too long for the system (path, reason)
  kCannotCreate,           // a file cannot be created (path, reason)
  kReadFailed,             // a read failed (path, reason)
  kWriteFailed,            // a write, flush or rename failed (path, reason)
  kInputChanged,           // the input changed while it was read (path)
  kSectionFileChanged,     // "para.sec" lost records during the conversion (path)
  kSectionFileBusy,        // "para.sec" is held by another running conversion (path)
  kSectionFileIsLink,      // "para.sec" is a symbolic link (path)
  kSectionFileIsFolder,    // "para.sec" is a folder (path)
  kSectionFileIsFifo,      // "para.sec" is a FIFO (path)
  kSectionFileIsSocket,    // "para.sec" is a socket (path)
  kSectionFileIsDevice,    // "para.sec" is a device (path)
  kSectionFileNotRegular,  // "para.sec" is some other kind of file (path)
  kWorkFolderRemoved,      // the current folder, where "para.sec" goes, is gone (path)
  kSectionFileHasLinks,    // "para.sec" has more than one name (path)
  kSectionFileIsInput,     // "para.sec" is the input file (path)
  kSectionFileIsOutput,    // "para.sec" is the file at the output path (path)
  kOutOfMemory,            // memory ran out
  kCancelled,              // the user cancelled; nothing was changed
};

struct ConversionError {
  ErrorKind kind = ErrorKind::kCancelled;
  std::int64_t line = 0;  // input line number, counted from 1, or 0
  std::string path;       // the file concerned, UTF-8, or empty; "para.sec" absolute
  std::string reason;     // the system's reason, or empty
};

}  // namespace karvonel::conversion
