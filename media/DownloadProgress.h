#pragma once
// The bookkeeping of a download, shared by both transports: where a resumed
// transfer starts, what a response to a range request means for the partial
// file, the percentage and the status line shown under the progress bar.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The last bytes of a partial file are always fetched again: a connection
// that broke may have left them damaged.
inline constexpr int64_t kResumeOverlap = 2048;

// The byte a download starts at: when resuming a partial file of more than
// kResumeOverlap bytes, its size minus kResumeOverlap; otherwise 0 (no range
// is asked for). 1,000 bytes give 0, 10,000 give 7,952.
int64_t ResumeOffset(int64_t bytesOnDisk, bool resume);

// Where the body of a GET answer goes in the destination file: a 206 answer
// continues at the offset asked for; a 200 answer is the whole file and
// starts again at byte 0, even when a range was asked for (the server
// ignored it, or If-Range found the file changed). nullopt for anything
// else: the answer is no file data.
std::optional<int64_t> BodyOffset(unsigned status, int64_t requestedOffset);

// The percentage shown for a transfer. With a known total: done × 100 ÷
// total + 1, at most 100. Without one (total ≤ 0) the bar cycles: one more
// than the last percentage shown, 100 wrapping to 0.
int TransferPercent(int64_t done, int64_t total, int lastPercent);

// "12,345 bytes received", and with a known total ", 13% complete" after it,
// in the engine's translatable texts.
std::string ReceivedStatusText(int64_t received, bool totalKnown, int percent);

// The status line for a binding status code of the system download service
// (0 to 33; codes above count as 0) and its extra information: the code's
// text, a blank and the extra information; either alone when the other is
// empty.
std::string BindStatusText(unsigned long code, const std::string& extra);
// Whether a status line begins with the "Transferring data" text: the
// service's data events, shown as bytes received instead.
bool IsTransferStatus(const std::string& status);

// The value of the first "Content-Length:" line of a header block (name
// compared without letter case); nullopt when there is none or it is not a
// number.
std::optional<int64_t> ContentLengthOf(const std::vector<std::string>& headerLines);

// A partial download keeps beside it the validator of the file it is part
// of: the strong ETag the server gave, else its Last-Modified date. A
// resumed request sends it as If-Range, so the server answers with the
// whole file (200) rather than a range of a file that has changed since.
std::string ValidatorPath(const std::string& destination);
// The validator to keep for an answer; empty when it has none usable (a
// weak ETag cannot be used in If-Range).
std::string ChooseValidator(const std::string& etag, const std::string& lastModified);
