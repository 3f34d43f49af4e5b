// The file side of the recovery log: whole-file reads and replacing writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace datrevo {

enum class LogWriteResult { Written, CannotCreate, WriteFailed };

// Writes `bytes` to a new file beside `target` and renames it over `target`
// once every byte is written and flushed. On failure the temporary file is
// removed and `target` is left as it was.
LogWriteResult WriteFileReplacing(const std::filesystem::path& target,
                                  std::span<const std::uint8_t> bytes);

// Reads a whole regular file opened read-only; nothing when it cannot be
// opened or read, is not a regular file, or is larger than
// limits::kMaxRecoveryLogBytes.
std::optional<std::vector<std::uint8_t>> ReadWholeLogFile(const std::filesystem::path& path);

}  // namespace datrevo
