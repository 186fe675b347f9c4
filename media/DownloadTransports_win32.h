#pragma once
// The two transports behind DownloadFile, for its Windows implementation.
#include <string>

#include "media/DownloadFile.h"

// urlmon's URL download service, loaded from the system folder. Both
// transports leave the HTTP status of the last answer in httpStatus (0 when
// no server answered).
enum class ServiceOutcome { Missing, Downloaded, Failed };
ServiceOutcome DownloadThroughSystemService(const DownloadRequest& request, unsigned& httpStatus);

// WinHTTP, loaded from the system folder: HEAD, then a GET that resumes a
// partial destination file. False when the library is missing too.
bool DownloadThroughHttpClient(const DownloadRequest& request, unsigned& httpStatus);
