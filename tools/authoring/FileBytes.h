#pragma once
#include <filesystem>
#include <string>

// The whole content of a file; throws std::runtime_error "cannot read <path>"
// when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
