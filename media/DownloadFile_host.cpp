#include "media/DownloadFile.h"

// The host has neither download transport: tests of the web media logic use
// copies of the archive beside the setup.
DownloadResult DownloadFile(const DownloadRequest&) { return {}; }

bool SystemDownloadServiceInUse() { return false; }
