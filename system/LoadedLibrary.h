#pragma once
#include <string>

// A library loaded by its full path (never through the search path) and
// unloaded when the object goes. A relative path loads nothing.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& fullPath);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // Address of an export; null when the library or the export is missing.
    void* Export(const char* name) const;

private:
    void* handle_ = nullptr;
};
