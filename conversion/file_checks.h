// What the files of a conversion may be: the output path's target and the
// work file "para.sec", checked before they are written and, for the target,
// again before the output takes its place.
#pragma once

#include <filesystem>
#include <optional>

#include "conversion/conversion_error.h"
#include "platform/native_file.h"
#include "platform/pending_file.h"

namespace karvonel::conversion {

// The failure to create or look at a file of the output path `out`, by its cause.
Unexpected<ConversionError> OutputFailure(const std::filesystem::path& out,
                                          const platform::SystemError& error);

// Looks at what the output path names (`target`, as the output's folder
// tells): nothing, or a regular file that may be replaced (returned). Asked
// before anything is created and again right before the new file takes the
// target's place.
Result<std::optional<platform::FileInfo>, ConversionError> CheckTarget(
    const std::filesystem::path& out, const platform::SystemResult<platform::FileInfo>& target,
    const platform::FileInfo& input);

// Opens and locks "para.sec" (`path`, absolute), keeping its contents: the
// records of this conversion are written over those of the last one and the
// file is cut behind them at the end, which frees no blocks only to take new
// ones. Only a plain file of its own is used: never a link, a device, a file
// with a second name, nor the input or the output under another name.
Result<platform::NativeFile, ConversionError> OpenSectionFile(
    const std::filesystem::path& path, const platform::FileInfo& input,
    const platform::PendingFile& out, const std::optional<platform::FileInfo>& output);

}  // namespace karvonel::conversion
