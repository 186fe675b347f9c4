#include "system/ComRegistration.h"

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <vector>

#include "system/LoadedLibrary.h"
#include "system/ProgramStart.h"
#include "system/TextUtils.h"
#include "system/WideText.h"

namespace {

// COM for the duration of one registration.
class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialized_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

struct TypeLibReleaser {
    void operator()(ITypeLib* library) const { library->Release(); }
};

bool RegisterTypeLibraryFile(const std::string& path, bool registering) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::wstring widePath = WideFromAnsi(path);
    ITypeLib* loaded = nullptr;
    if (FAILED(LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, &loaded)) || !loaded) return false;
    const std::unique_ptr<ITypeLib, TypeLibReleaser> library(loaded);
    if (registering) {
        BSTR helpFile = nullptr;
        library->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile);
        std::wstring helpFolder = helpFile ? std::wstring(helpFile) : std::wstring();
        SysFreeString(helpFile);
        const size_t slash = helpFolder.find_last_of(L'\\');
        helpFolder = slash == std::wstring::npos ? std::wstring() : helpFolder.substr(0, slash);
        return SUCCEEDED(RegisterTypeLib(library.get(), widePath.data(),
                                         helpFolder.empty() ? nullptr : helpFolder.data()));
    }
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes)) || !attributes) return false;
    const TLIBATTR a = *attributes;
    library->ReleaseTLibAttr(attributes);
    return SUCCEEDED(UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind));
}

// Servers registered in this run stay loaded until the process ends.
std::vector<std::unique_ptr<LoadedLibrary>>& KeptLibraries() {
    static std::vector<std::unique_ptr<LoadedLibrary>> kept;
    return kept;
}

bool RegisterLibraryFile(const std::string& path, bool registering) {
    auto library = std::make_unique<LoadedLibrary>(path);
    using Entry = HRESULT(__stdcall*)();
    const auto entry = library->Find<Entry>(registering ? "DllRegisterServer" : "DllUnregisterServer");
    if (!entry || entry() != S_OK) return false;
    KeptLibraries().push_back(std::move(library));
    return true;
}

}  // namespace

bool RegisterComFile(const std::string& path, bool registering) {
    try {
        ComScope com;
        const std::string extension = UpperAscii(path.substr(std::min(path.size(), path.find_last_of('.'))));
        if (extension == ".TLB") return RegisterTypeLibraryFile(path, registering);
        if (extension == ".EXE") return StartDetached(path + (registering ? " /regserver" : " /unregserver"));
        return RegisterLibraryFile(path, registering);
    } catch (...) {
        return false;
    }
}
