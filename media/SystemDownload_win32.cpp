#include <windows.h>
#include <urlmon.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "media/DownloadProgress.h"
#include "media/DownloadTransports_win32.h"
#include "system/FileTree.h"
#include "system/Files.h"
#include "system/LoadedLibrary.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"
#include "system/WideText.h"

namespace {

constexpr unsigned long kCacheFileNameAvailable = 14;  // BINDSTATUS_CACHEFILENAMEAVAILABLE

// Where the service last stored downloaded data, for the whole run.
std::mutex gCacheFileLock;
std::string gLastCacheFile;

std::string LastCacheFile() {
    std::lock_guard<std::mutex> guard(gCacheFileLock);
    return gLastCacheFile;
}
void SetLastCacheFile(const std::string& path) {
    std::lock_guard<std::mutex> guard(gCacheFileLock);
    gLastCacheFile = path;
}

// Initialises COM on the download thread for the call's duration.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

// The binding-status callback: status lines, percentages and cancel for the
// progress callback, the cache file's name, and the HTTP status and headers
// of the answer (urlmon saves an error page, or what came before a broken
// connection, as if it were the file).
class BindCallback final : public IBindStatusCallback, public IHttpNegotiate {
public:
    explicit BindCallback(const DownloadRequest& request) : request_(request) {}
    ~BindCallback() { ReleaseBinding(); }
    BindCallback(const BindCallback&) = delete;
    BindCallback& operator=(const BindCallback&) = delete;

    // The HTTP status of the answer; 0 when the service gave none.
    DWORD httpStatus() const { return httpStatus_; }
    const std::vector<std::string>& responseHeaders() const { return responseHeaders_; }

    // IUnknown: the object lives on the caller's stack for the call. The
    // interface ids come from the headers (__uuidof), not from libuuid.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IBindStatusCallback)))
            *object = static_cast<IBindStatusCallback*>(this);
        else if (IsEqualIID(riid, __uuidof(IHttpNegotiate)))
            *object = static_cast<IHttpNegotiate*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
        ReleaseBinding();
        if (binding) {
            binding->AddRef();
            binding_ = binding;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG position, ULONG maximum, ULONG code, LPCWSTR extra) override {
        try {
            const std::string information = AnsiFromWide(extra);
            if (code == kCacheFileNameAvailable) SetLastCacheFile(information);
            ReadStatusFromBinding();
            lastPercent_ = TransferPercent(position, maximum, lastPercent_);
            std::string status = BindStatusText(code, information);
            if (IsTransferStatus(status)) status = ReceivedStatusText(position, maximum > 0, lastPercent_);
            if (request_.progress && !request_.progress(lastPercent_, status)) return E_ABORT;
            return S_OK;
        } catch (...) {
            return E_ABORT;
        }
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
        ReadStatusFromBinding();
        ReleaseBinding();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override {
        // Always asked of the server: a cached copy of an older block would
        // only fail its hash check.
        if (flags) *flags |= BINDF_GETNEWESTVERSION;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    // IHttpNegotiate
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional) override {
        if (additional) *additional = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR headers, LPCWSTR, LPWSTR* additional) override {
        if (additional) *additional = nullptr;
        httpStatus_ = status;
        try {
            responseHeaders_ = SplitLines(AnsiFromWide(headers));
            return S_OK;
        } catch (...) {
            return E_ABORT;
        }
    }

private:
    void ReleaseBinding() {
        if (binding_) binding_->Release();
        binding_ = nullptr;
    }

    // The status line of an HTTP answer, through the binding's HTTP information.
    void ReadStatusFromBinding() {
        if (!binding_ || httpStatus_ != 0) return;
        IWinInetHttpInfo* info = nullptr;
        if (FAILED(binding_->QueryInterface(__uuidof(IWinInetHttpInfo), reinterpret_cast<void**>(&info))) || !info)
            return;
        DWORD status = 0, size = sizeof status, flags = 0;
        // HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER
        if (SUCCEEDED(info->QueryInfo(19 | 0x20000000, &status, &size, &flags, nullptr))) httpStatus_ = status;
        info->Release();
    }

    const DownloadRequest& request_;
    std::atomic<ULONG> references_{1};
    IBinding* binding_ = nullptr;
    DWORD httpStatus_ = 0;
    std::vector<std::string> responseHeaders_;
    int lastPercent_ = 0;
};

// The service asks for no range: only the whole file, all of it, is a
// download. Its length is checked where the body came as sent (the service
// decodes a compressed one). HTTP status 0: the URL is no HTTP one.
bool IsWholeFile(const BindCallback& callback, const std::string& cacheFile) {
    if (callback.httpStatus() == 0) return true;
    const GetAnswer answer = ReadGetAnswer(callback.httpStatus(), callback.responseHeaders(), 0, 0);
    if (answer.use != GetAnswer::Use::Write) return false;
    const std::string encoding = HeaderValue(callback.responseHeaders(), "Content-Encoding").value_or("identity");
    if (answer.total <= 0 || !SameText(encoding, "identity")) return true;
    return FileSizeOf(cacheFile) == answer.total;
}

// The service leaves the data in its cache file; the engine takes it from
// there. Moved rather than copied where the system allows: the archive is
// deleted after extraction, and a second copy of a large block would stay in
// the user's internet cache for nothing.
bool TakeCacheFile(const std::string& cacheFile, const std::string& destination) {
    if (cacheFile.empty() || !FileExists(cacheFile)) return false;
    if (lstrcmpiA(cacheFile.c_str(), destination.c_str()) == 0) return true;
    SetNormalAttributes(destination);
    DeleteFileAt(destination);
    const std::string folder = FolderOf(destination);
    if (!folder.empty()) CreateFolderTree(folder);
    if (MoveFileExA(cacheFile.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return true;
    return CopyFileOver(cacheFile, destination);
}

}  // namespace

ServiceOutcome DownloadThroughSystemService(const DownloadRequest& request, unsigned& httpStatus) {
    const LoadedLibrary urlmon = LoadedLibrary::FromSystemFolder("urlmon.dll");
    const auto toCacheFile = urlmon.Find<decltype(&URLDownloadToCacheFileA)>("URLDownloadToCacheFileA");
    const auto toFile = urlmon.Find<decltype(&URLDownloadToFileA)>("URLDownloadToFileA");
    if (!toCacheFile || !toFile) return ServiceOutcome::Missing;

    if (!request.resume) {
        const std::string last = LastCacheFile();
        if (!last.empty()) DeleteFileAt(last);
    }
    ComApartment apartment;
    BindCallback callback(request);
    char cacheFile[MAX_PATH] = "";
    const HRESULT result = toCacheFile(nullptr, request.url.c_str(), cacheFile, MAX_PATH, 0, &callback);
    if (result == E_OUTOFMEMORY) throw std::bad_alloc();
    httpStatus = callback.httpStatus();
    if (FAILED(result)) return ServiceOutcome::Failed;
    SetLastCacheFile(cacheFile);
    if (!IsWholeFile(callback, cacheFile)) return ServiceOutcome::Failed;
    return TakeCacheFile(cacheFile, request.destination) ? ServiceOutcome::Downloaded : ServiceOutcome::Failed;
}
