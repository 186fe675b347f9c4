#include "dialogs/RetryDialogs.h"

// The host shows no windows: every question is answered as if the user gave up.
bool AskRetryDownloadWithProxy(ProxyFields&) { return false; }
std::optional<bool> AskRetryDownloadResume(bool) { return std::nullopt; }
ExtractionRetry AskRetryExtraction() { return ExtractionRetry::Cancel; }
