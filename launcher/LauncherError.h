#pragma once
#include <exception>
#include <string>

// A failure of the launcher's own (no temporary or private folder): the
// program ends with the start-up failure's exit code. Not a
// std::runtime_error, for the same reason as keb::ArchiveError.
class LauncherError : public std::exception {
public:
    explicit LauncherError(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};
