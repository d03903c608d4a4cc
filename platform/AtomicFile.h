#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::platform {

// Paths are narrow code page 936 strings; on Windows they are widened with code page
// 936 explicitly, whatever the system's ANSI code page is.

// Replaces the file at `path` with `contents` in one step: the bytes go to a new
// temporary file in the same folder, are flushed to disk, and the temporary file then
// takes the old file's place. Whatever fails (no folder, a full disk, the target being
// a folder), the old file stays whole and no temporary file is left. Returns whether the
// new contents are in place.
bool ReplaceFileContents(const std::string& path, std::string_view contents);

// The whole contents of the regular file at `path`, or nothing when it is missing,
// unreadable, not a regular file or larger than `maxSize` bytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxSize);

}  // namespace quillon::platform
