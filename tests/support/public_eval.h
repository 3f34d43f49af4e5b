// Where the optional checks against the public evaluation images find them.
#pragma once

#include <filesystem>
#include <optional>

namespace datrevo::test {

// `dir` when it is a folder. When it is missing the checks on it skip, except
// when the environment variable CI is set: a CI run must not pass by skipping
// them, so this throws and the test that asked fails.
std::optional<std::filesystem::path> PublicEvalDirAt(const std::filesystem::path& dir);

}  // namespace datrevo::test
