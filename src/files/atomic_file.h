#pragma once

#include <string>
#include <string_view>
#include <system_error>

// Files replaced whole: readers see the old content or the new one, never a part of either,
// and after a crash or a full disk the old file is still there.
namespace arlo::files {

// Writes `bytes` into a new temporary file beside `path`, flushes it to disk, renames it over
// `path` and flushes the folder, so that the rename itself survives a crash. The file gets
// the permissions rw-r--r--. On failure nothing of the temporary file is left, `path` is as it
// was, and the error says what failed; no error when the file was replaced.
std::error_code replaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace arlo::files
