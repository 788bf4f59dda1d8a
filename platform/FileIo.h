// Whole-file reading and safe replacing, over the Os handed in.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Os.h"

namespace qvm {

// Reads a whole regular file. Empty optional when it cannot be opened or read (error text in
// `error`); a FIFO, device or folder is refused at once.
std::optional<std::string> ReadWholeFile(Os& os, const std::filesystem::path& path,
                                         std::string* error = nullptr);

// Creates a new file of its own in `folder` under a hidden name (".qvm-TAG-PROCESS-N.tmp", so
// no listing of pictures ever shows it), never through a link, never over an existing file.
// `path` receives the name; kNoFile with `error` when no such file can be made.
FileHandle CreateTemporaryFile(Os& os, const std::filesystem::path& folder, std::string_view tag,
                               std::filesystem::path& path, std::string* error);
// True for a name (UTF-8) CreateTemporaryFile makes: what a run cut short may leave behind.
bool IsTemporaryFileName(std::string_view name);

// Replaces `target` with `bytes` so that the file on disk is always either the complete old
// or the complete new one: write a temporary file beside it, flush, close, rename it over
// `target`, flush the folder. On failure the target is untouched, the temporary file removed,
// and `error` says why ("write failed: ..." and the like). `beforeReplace`, when given, runs
// once the new bytes are on the disk, right before the rename (the crash journal notes there
// what index.dat is about to become).
bool WriteFileAtomically(Os& os, const std::filesystem::path& target, std::string_view bytes,
                         std::string* error, const std::function<void()>& beforeReplace = {});

}  // namespace qvm
