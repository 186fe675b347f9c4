#include "media/DownloadFile.h"

// The host has neither download transport: tests of the web media logic use
// copies of the archive beside the setup.
bool DownloadFile(const DownloadRequest&) { return false; }

bool SystemDownloadServiceInUse() { return false; }
