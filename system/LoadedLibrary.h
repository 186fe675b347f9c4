#pragma once
#include <string>

#include "system/Process.h"

// A library loaded by its full path (never through the search path) and
// unloaded when the object goes. A relative path loads nothing.
//
// Windows resolves a program's load-time imports from the program's own folder
// first, and a setup usually runs from a downloads folder where a web page may
// have dropped a "version.dll". So the engine imports at load time only the
// libraries Windows always takes from the system folder (its KnownDLLs) and
// loads every other system library here, by its path in the system folder.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& fullPath);
    // A library of the system folder by its file name ("version.dll").
    static LoadedLibrary FromSystemFolder(const std::string& fileName) {
        return LoadedLibrary(SystemFolder() + fileName);
    }
    // A system library by its bare name, as the program's manifest selects it
    // through the activation context (comctl32.dll of version 6: a full path
    // would bypass the manifest and give version 5), else the system folder's;
    // never a file from the program's or the current folder.
    static LoadedLibrary FromActivationContext(const std::string& fileName);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // Address of an export; null when the library or the export is missing.
    void* Export(const char* name) const;
    // The export as a function of the given type, e.g. Find<decltype(&GetFileVersionInfoA)>.
    template <typename Function>
    Function Find(const char* name) const {
        return reinterpret_cast<Function>(Export(name));
    }

private:
    struct Handle {
        void* value;
    };
    explicit LoadedLibrary(Handle loaded) : handle_(loaded.value) {}

    void* handle_ = nullptr;
};

// Windows start-up, before anything is loaded: libraries looked for by name
// come from the system folder only, never from the program's or the current folder.
void RestrictLibrarySearch();
