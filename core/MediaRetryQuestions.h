#pragma once
// The questions asked when a web media block could not be provided: what
// their answers are and the calls that ask them. media/ asks through these
// calls; the command that fetches a block fills them in (dialogs/RetryDialogs
// on screen).
#include <functional>
#include <optional>
#include <string>

struct ProxyFields {
    std::string server;
    std::string port;
    std::string user;
    std::string password;
};

// "Retry Extraction?": download a fresh copy, extract again, or give up.
enum class ExtractionRetry { Cancel, DownloadFresh, ExtractAgain };

struct MediaRetryQuestions {
    // "Retry Download?" with the four proxy fields (the HTTP client is in
    // use): true on Yes, with the fields as the user left them.
    std::function<bool(ProxyFields&)> retryDownloadWithProxy = [](ProxyFields&) { return false; };
    // "Retry Download?" with resume or new copy (the system service is in
    // use): the resume choice, or nullopt to give up.
    std::function<std::optional<bool>(bool resume)> retryDownloadResume = [](bool) { return std::nullopt; };
    std::function<ExtractionRetry()> retryExtraction = [] { return ExtractionRetry::Cancel; };
};
