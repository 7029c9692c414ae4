#pragma once

#include <string>
#include <string_view>
#include <system_error>

#include "base/result.h"

// Files replaced whole: readers see the old content or the new one, never a part of either,
// and after a crash or a full disk the old file is still there.
namespace arlo::files {

// Done, or the system's reason why not.
using Written = Result<void, std::error_code>;

// Writes `bytes` into a new temporary file beside `path`, flushes it to disk, renames it over
// `path` and flushes the folder, so that the rename itself survives a crash. On failure
// nothing of the temporary file is left, `path` is as it was, and the reason says what failed.
//
// What the file is stays as it was: a symbolic link is written through to the file it names
// (which is created when missing) when the link is this user's and its folder is neither
// sticky nor writable by everyone; any other link is refused (operation_not_permitted) and
// what it names is left alone. A file that exists keeps its permission bits (and, where
// the system allows it, its owner and group), a new file gets rw-r--r--. A file that exists
// and is read-only (no write permission bit at all, or none for this process) is not
// replaced: the error is permission_denied, also for root.
//
// The temporary file is named `path` (the link's target) + "." + six letters or digits, and
// is locked while it is written: removeStaleTemporaries never takes one that is being written.
Written replaceFileAtomically(const std::string& path, std::string_view bytes);

// Removes the temporary files that replaceFileAtomically left beside `path` (the link's
// target) when its process ended while writing: regular files of this user named as its
// temporaries, that no process is writing now. Anything else, a temporary another process
// is writing included, is left alone. Returns how many were removed.
int removeStaleTemporaries(const std::string& path);

// Makes `folder` and any missing parent, each readable by its owner only. True when the
// folder is there afterwards.
bool makeOwnFolder(const std::string& folder);

}  // namespace arlo::files
