// What a program under test wrote, read back as text, and looked through.
#pragma once

#include <filesystem>
#include <string>

namespace datrevo::test {

// Every byte of the file at `path`; empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);

// True when `part` occurs in `text`.
bool Contains(const std::string& text, const std::string& part);

}  // namespace datrevo::test
