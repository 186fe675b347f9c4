#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/DownloadProgress.h"
#include "media/DownloadTransports_win32.h"
#include "system/FileTree.h"
#include "system/Files.h"
#include "system/LoadedLibrary.h"
#include "system/OwnedHandle_win32.h"
#include "system/TextUtils.h"
#include "system/WideText.h"

namespace {

// WinHTTP's functions, bound from the system folder's library.
class WinHttp {
public:
    WinHttp() = default;
    bool loaded() const {
        return Open && Connect && OpenRequest && SendRequest && ReceiveResponse && QueryHeaders && ReadData &&
               CloseHandle && CrackUrl && SetOption && QueryAuthSchemes && SetCredentials;
    }

private:
    LoadedLibrary library_ = LoadedLibrary::FromSystemFolder("winhttp.dll");

public:
#define ORVANTA_WINHTTP(name) \
    const decltype(&::WinHttp##name) name = library_.Find<decltype(&::WinHttp##name)>("WinHttp" #name)
    ORVANTA_WINHTTP(Open);
    ORVANTA_WINHTTP(Connect);
    ORVANTA_WINHTTP(OpenRequest);
    ORVANTA_WINHTTP(SendRequest);
    ORVANTA_WINHTTP(ReceiveResponse);
    ORVANTA_WINHTTP(QueryHeaders);
    ORVANTA_WINHTTP(ReadData);
    ORVANTA_WINHTTP(CloseHandle);
    ORVANTA_WINHTTP(CrackUrl);
    ORVANTA_WINHTTP(SetOption);
    ORVANTA_WINHTTP(QueryAuthSchemes);
    ORVANTA_WINHTTP(SetCredentials);
#undef ORVANTA_WINHTTP
};

// A session, connection or request handle, closed on every way out.
class HttpHandle {
public:
    HttpHandle(const WinHttp& api, HINTERNET handle) : api_(api), handle_(handle) {}
    ~HttpHandle() {
        if (handle_) api_.CloseHandle(handle_);
    }
    HttpHandle(const HttpHandle&) = delete;
    HttpHandle& operator=(const HttpHandle&) = delete;
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    const WinHttp& api_;
    HINTERNET handle_;
};

struct Target {
    std::wstring host;
    std::wstring path;  // path and query
    INTERNET_PORT port = 0;
    bool secure = false;
};

std::optional<Target> ParseUrl(const WinHttp& api, const std::wstring& url) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    // -1: the parts point into the URL itself.
    const DWORD whole = static_cast<DWORD>(-1);
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = whole;
    if (!api.CrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
    Target target;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) target.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.path.empty()) target.path = L"/";
    target.port = parts.nPort;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return target;
}

std::optional<std::wstring> HeaderText(const WinHttp& api, HINTERNET request, DWORD query,
                                       const wchar_t* name = nullptr) {
    DWORD size = 0;
    api.QueryHeaders(request, query, name, nullptr, &size, nullptr);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::nullopt;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1);
    if (!api.QueryHeaders(request, query, name, text.data(), &size, nullptr)) return std::nullopt;
    return std::wstring(text.data());
}

std::string AnsiHeader(const WinHttp& api, HINTERNET request, const wchar_t* name) {
    auto text = HeaderText(api, request, WINHTTP_QUERY_CUSTOM, name);
    return text ? AnsiFromWide(text->c_str()) : std::string();
}

DWORD StatusCode(const WinHttp& api, HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    if (!api.QueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                          &status, &size, WINHTTP_NO_HEADER_INDEX))
        return 0;
    return status;
}

std::vector<std::string> HeaderLines(const WinHttp& api, HINTERNET request) {
    auto text = HeaderText(api, request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX);
    return text ? SplitLines(AnsiFromWide(text->c_str())) : std::vector<std::string>();
}

// One HTTP client session with the request's proxy settings.
class Client {
public:
    Client(const WinHttp& api, const DownloadRequest& request, const Target& target)
        : api_(api),
          request_(request),
          target_(target),
          session_(api, OpenSession(api, request)),
          connection_(api, session_ ? api.Connect(session_.get(), target.host.c_str(), target.port, 0) : nullptr) {}

    explicit operator bool() const { return static_cast<bool>(connection_); }

    // A sent request whose answer has arrived; empty when it could not be sent.
    std::unique_ptr<HttpHandle> Send(const wchar_t* verb, const std::wstring& headers) const {
        auto request = std::make_unique<HttpHandle>(
            api_, api_.OpenRequest(connection_.get(), verb, target_.path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                   WINHTTP_DEFAULT_ACCEPT_TYPES, target_.secure ? WINHTTP_FLAG_SECURE : 0));
        if (!*request) return nullptr;
        if (!SendOnce(request->get(), headers)) return nullptr;
        // A proxy that wants the user's name: answer its challenge once.
        if (StatusCode(api_, request->get()) == 407 && AnswerProxyChallenge(request->get()) &&
            !SendOnce(request->get(), headers))
            return nullptr;
        return request;
    }

private:
    static HINTERNET OpenSession(const WinHttp& api, const DownloadRequest& request) {
        if (request.proxyServer.empty())
            return api.Open(L"Orvanta", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0);
        std::string proxy = request.proxyServer;
        if (!request.proxyPort.empty()) proxy += ":" + request.proxyPort;
        const std::wstring name = WideFromAnsi(proxy);
        return api.Open(L"Orvanta", WINHTTP_ACCESS_TYPE_NAMED_PROXY, name.c_str(), WINHTTP_NO_PROXY_BYPASS, 0);
    }

    bool SendOnce(HINTERNET request, const std::wstring& headers) const {
        return api_.SendRequest(request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                                headers.empty() ? 0 : static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
               api_.ReceiveResponse(request, nullptr);
    }

    // Sets the proxy user's name and password for the scheme the proxy
    // offers (Basic preferred over the first offered, which may need a
    // domain account); false when there is nothing to answer with.
    bool AnswerProxyChallenge(HINTERNET request) const {
        if (request_.proxyServer.empty() || request_.proxyUser.empty()) return false;
        DWORD supported = 0, first = 0, target = 0;
        if (!api_.QueryAuthSchemes(request, &supported, &first, &target) || target != WINHTTP_AUTH_TARGET_PROXY)
            return false;
        const DWORD scheme = (supported & WINHTTP_AUTH_SCHEME_BASIC) ? WINHTTP_AUTH_SCHEME_BASIC : first;
        const std::wstring user = WideFromAnsi(request_.proxyUser), password = WideFromAnsi(request_.proxyPassword);
        return api_.SetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, user.c_str(), password.c_str(),
                                   nullptr);
    }

    const WinHttp& api_;
    const DownloadRequest& request_;
    const Target& target_;
    HttpHandle session_;
    HttpHandle connection_;
};

bool WriteAll(HANDLE file, const char* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Opens the destination and cuts it at the offset the body continues from.
OwnedHandle OpenAt(const std::string& path, int64_t offset) {
    OwnedHandle file = Own(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return file;
    LARGE_INTEGER position;
    position.QuadPart = offset;
    if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) return {};
    return file;
}

}  // namespace

bool DownloadThroughHttpClient(const DownloadRequest& request, unsigned& httpStatus) {
    const WinHttp api;
    if (!api.loaded()) return false;
    const auto target = ParseUrl(api, WideFromAnsi(request.url));
    if (!target) return false;
    const Client client(api, request, *target);
    if (!client) return false;

    int64_t knownTotal = 0;
    if (auto head = client.Send(L"HEAD", L"")) {
        // A server may refuse HEAD and still answer GET: only a whole file's length counts.
        if (StatusCode(api, head->get()) == 200) knownTotal = ContentLengthOf(HeaderLines(api, head->get())).value_or(0);
    }

    const std::string validatorFile = ValidatorPath(request.destination);
    const std::string kept = TrimBlanks(ReadFileText(validatorFile).value_or(""));
    // The GET from a byte on (0: the whole file) and what its answer means.
    std::unique_ptr<HttpHandle> get;
    const auto ask = [&](int64_t from) {
        std::wstring headers;
        if (from > 0) {
            // Formatted narrow: a wide formatter would add the C library's wide printf.
            headers = WideFromAnsi("Range: bytes=" + std::to_string(from) + "-\r\nIf-Range: " + kept + "\r\n");
        }
        get = client.Send(L"GET", headers);
        if (!get) return GetAnswer{};
        httpStatus = StatusCode(api, get->get());
        return ReadGetAnswer(httpStatus, HeaderLines(api, get->get()), from, knownTotal);
    };
    GetAnswer answer =
        ask(ResumeOffset(FileSizeOf(request.destination).value_or(0), request.resume, !kept.empty()));
    // The partial file cannot go on with this server's answer: once more for the whole file.
    if (answer.use == GetAnswer::Use::Restart) answer = ask(0);
    if (answer.use != GetAnswer::Use::Write) return false;

    OwnedHandle file = OpenAt(request.destination, answer.offset);
    if (!file) return false;
    const std::string validator =
        ChooseValidator(AnsiHeader(api, get->get(), L"ETag"), AnsiHeader(api, get->get(), L"Last-Modified"));
    if (validator.empty()) DeleteFileAt(validatorFile);
    else WriteFileText(validatorFile, validator);

    int64_t received = answer.offset;
    int percent = 0;
    std::vector<char> buffer(1 << 20);
    while (true) {
        DWORD got = 0;
        if (!api.ReadData(get->get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got)) return false;
        if (got == 0) break;
        if (!WriteAll(file.get(), buffer.data(), got)) return false;
        received += got;
        percent = TransferPercent(received, answer.total, percent);
        if (request.progress &&
            !request.progress(percent, ReceivedStatusText(received, answer.total > 0, percent)))
            return false;
    }
    // A connection that ended early is a broken download, to be resumed.
    return answer.total <= 0 || received == answer.total;
}
