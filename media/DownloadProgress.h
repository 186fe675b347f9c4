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
// kResumeOverlap bytes whose validator was kept, its size minus
// kResumeOverlap; otherwise 0 (no range is asked for). Without a validator
// nothing tells whether the file on the server is still the one the partial
// file began. 1,000 bytes give 0, 10,000 give 7,952.
int64_t ResumeOffset(int64_t bytesOnDisk, bool resume, bool validatorKept);

// What the answer to a GET means for the destination file.
struct GetAnswer {
    enum class Use {
        Write,    // the body is file data, written from offset on
        Restart,  // the range asked for cannot be used: ask for the whole file
        Fail,     // no file data
    };
    Use use = Use::Fail;
    int64_t offset = 0;  // Write: where the body goes
    int64_t total = 0;   // Write: the whole file's length; 0 when unknown
};
// requestedOffset: where the range asked for starts (0: none asked for);
// knownTotal: the file's length from an earlier answer (a HEAD), 0 when
// unknown. A 200 answer is the whole file from byte 0, even when a range was
// asked for (the server ignored it, or If-Range found the file changed). A
// 206 answer continues the partial file only when its Content-Range starts
// at the offset asked for, runs to the end of the file and names the known
// total (and its Content-Length, if any, fits); any other range, and a 416,
// restart the file when a range was asked for and fail when none was.
GetAnswer ReadGetAnswer(unsigned status, const std::vector<std::string>& headerLines, int64_t requestedOffset,
                        int64_t knownTotal);

// Why a download that did not complete failed, from the HTTP status of its
// last answer: 0 "the server cannot be reached", 400 and above "the server
// answered HTTP <status>", else "the transfer ended before the whole file
// arrived".
std::string DownloadFailureReason(unsigned httpStatus);

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

// The value of the first header line named exactly name (letter case
// ignored; the name starts the line and ends at its colon), without its
// surrounding blanks; nullopt when no line has that name. "X-Original-
// Content-Length" is not "Content-Length".
std::optional<std::string> HeaderValue(const std::vector<std::string>& headerLines, const std::string& name);
// The Content-Length of a header block; nullopt when there is none or it is
// not a number.
std::optional<int64_t> ContentLengthOf(const std::vector<std::string>& headerLines);

// A partial download keeps beside it the validator of the file it is part
// of: the strong ETag the server gave, else its Last-Modified date. A
// resumed request sends it as If-Range, so the server answers with the
// whole file (200) rather than a range of a file that has changed since.
std::string ValidatorPath(const std::string& destination);
// The validator to keep for an answer; empty when it has none usable (a
// weak ETag cannot be used in If-Range).
std::string ChooseValidator(const std::string& etag, const std::string& lastModified);
