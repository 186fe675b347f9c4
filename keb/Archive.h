#pragma once
#include <string>

#include "keb/ArchiveDatabase.h"
#include "keb/ArchiveFile.h"
#include "keb/PasswordProvider.h"

namespace keb {

// An opened 7z archive: the file and its checked, decoded header.
class Archive {
public:
    // Throws ArchiveError: not found, cannot open (not 7z, unsupported,
    // wrong password, keys too costly to derive) or corrupted.
    Archive(const std::string& path, PasswordProvider& password) : Archive(path, FileWindow{}, password) {}
    // The archive in a window of the file (one appended to a program).
    Archive(const std::string& path, const FileWindow& window, PasswordProvider& password);

    const ArchiveFile& file() const { return file_; }
    const ArchiveDatabase& database() const { return db_; }

private:
    ArchiveFile file_;
    ArchiveDatabase db_;
};

}  // namespace keb
