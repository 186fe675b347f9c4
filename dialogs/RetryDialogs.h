#pragma once
// The modal questions asked when a web media block could not be provided,
// owned by the dialog on screen (ProgressOwnerWindow). All texts come from
// the engine's translatable table.
#include <optional>
#include <string>

#include "core/MediaRetryQuestions.h"

// "Retry Download?" with the four proxy fields (the HTTP client is in use):
// true on Yes, with the fields as the user left them; false on No.
bool AskRetryDownloadWithProxy(ProxyFields& fields);

// "Retry Download?" with resume or new copy (the system service is in use):
// the resume choice on OK, nullopt on Cancel.
std::optional<bool> AskRetryDownloadResume(bool resume);

// "Retry Extraction?": download a fresh copy, extract again, or give up.
ExtractionRetry AskRetryExtraction();
