// Replacing a file so that a crash at any moment leaves either the old or the new content.
#pragma once

#include <string>
#include <string_view>

namespace tapisto {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk (fsync), gives it the
// permissions of the file it replaces (0600 for a new file) and renames it over `path`; then
// syncs the folder so the rename itself is durable. A symbolic link at `path` is followed, so
// the file it names is replaced and the link stays. Throws FileWriteError, with the old file
// untouched and the temporary file removed, when any step fails.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tapisto
