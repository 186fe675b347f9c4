#include "media/DownloadProgress.h"

#include "core/EngineMessages.h"
#include "system/DigitGrouping.h"
#include "system/TextUtils.h"

namespace {
constexpr unsigned long kLastBindStatusCode = 33;

// The engine's table holds the binding statuses in code order, code 0 first.
EngineMessage BindStatusMessage(unsigned long code) {
    return static_cast<EngineMessage>(static_cast<int>(EngineMessage::BindStatusNone) + static_cast<int>(code));
}

// A count of plain decimal digits (no sign, blank or hexadecimal form).
std::optional<int64_t> DecimalCount(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const auto parsed = ParseInt64(text);
    if (!parsed || *parsed < 0) return std::nullopt;
    return parsed;
}

// "bytes <first>-<last>/<total>", the form of a range answer's Content-Range.
struct ContentRange {
    int64_t first = 0, last = 0, total = 0;
};
std::optional<ContentRange> ContentRangeOf(const std::vector<std::string>& headerLines) {
    const auto value = HeaderValue(headerLines, "Content-Range");
    static const std::string kUnit = "bytes ";
    if (!value || !StartsWith(LowerAscii(*value), kUnit)) return std::nullopt;
    const std::string_view range = std::string_view(*value).substr(kUnit.size());
    const size_t dash = range.find('-'), slash = range.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return std::nullopt;
    const auto first = DecimalCount(range.substr(0, dash));
    const auto last = DecimalCount(range.substr(dash + 1, slash - dash - 1));
    const auto total = DecimalCount(range.substr(slash + 1));
    if (!first || !last || !total || *first > *last || *last >= *total) return std::nullopt;
    return ContentRange{*first, *last, *total};
}
}  // namespace

int64_t ResumeOffset(int64_t bytesOnDisk, bool resume, bool validatorKept) {
    return resume && validatorKept && bytesOnDisk > kResumeOverlap ? bytesOnDisk - kResumeOverlap : 0;
}

GetAnswer ReadGetAnswer(unsigned status, const std::vector<std::string>& headerLines, int64_t requestedOffset,
                        int64_t knownTotal) {
    GetAnswer answer;
    const auto bodyLength = ContentLengthOf(headerLines);
    if (status == 200) {
        answer.use = GetAnswer::Use::Write;
        answer.total = bodyLength.value_or(knownTotal > 0 ? knownTotal : 0);
        return answer;
    }
    const auto range = ContentRangeOf(headerLines);
    const bool fits = status == 206 && range && range->first == requestedOffset && range->last + 1 == range->total &&
                      (knownTotal <= 0 || range->total == knownTotal) &&
                      (!bodyLength || *bodyLength == range->total - range->first);
    if (fits) {
        answer.use = GetAnswer::Use::Write;
        answer.offset = requestedOffset;
        answer.total = range->total;
    } else if ((status == 206 || status == 416) && requestedOffset > 0) {
        answer.use = GetAnswer::Use::Restart;
    }
    return answer;
}

int TransferPercent(int64_t done, int64_t total, int lastPercent) {
    if (total <= 0) return lastPercent >= 100 ? 0 : lastPercent + 1;
    const int64_t percent = done * 100 / total + 1;
    return percent > 100 ? 100 : static_cast<int>(percent < 0 ? 0 : percent);
}

std::string DownloadFailureReason(unsigned httpStatus) {
    if (httpStatus == 0) return "the server cannot be reached";
    if (httpStatus >= 400) return "the server answered HTTP " + std::to_string(httpStatus);
    return "the transfer ended before the whole file arrived";
}

std::string ReceivedStatusText(int64_t received, bool totalKnown, int percent) {
    std::string text = GroupDigits(static_cast<uint64_t>(received < 0 ? 0 : received)) + " " +
                       EngineText(EngineMessage::BytesReceived);
    if (totalKnown) text += ", " + std::to_string(percent) + EngineText(EngineMessage::PercentComplete);
    return text;
}

std::string BindStatusText(unsigned long code, const std::string& extra) {
    if (code > kLastBindStatusCode) code = 0;
    const std::string text = EngineText(BindStatusMessage(code));
    if (text.empty()) return extra;
    if (extra.empty()) return text;
    return text + " " + extra;
}

bool IsTransferStatus(const std::string& status) {
    const std::string transferring = EngineText(EngineMessage::BindStatusTransferringData);
    return !transferring.empty() && StartsWith(status, transferring);
}

std::optional<std::string> HeaderValue(const std::vector<std::string>& headerLines, const std::string& name) {
    for (const std::string& line : headerLines) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos && SameText(std::string_view(line).substr(0, colon), name))
            return TrimBlanks(std::string_view(line).substr(colon + 1));
    }
    return std::nullopt;
}

std::optional<int64_t> ContentLengthOf(const std::vector<std::string>& headerLines) {
    const auto value = HeaderValue(headerLines, "Content-Length");
    return value ? DecimalCount(*value) : std::nullopt;
}

std::string ValidatorPath(const std::string& destination) { return destination + ".validator"; }

std::string ChooseValidator(const std::string& etag, const std::string& lastModified) {
    const std::string strong = TrimBlanks(etag);
    if (!strong.empty() && !StartsWith(strong, "W/")) return strong;
    return TrimBlanks(lastModified);
}
