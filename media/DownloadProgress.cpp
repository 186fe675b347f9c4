#include "media/DownloadProgress.h"

#include "core/EngineMessages.h"
#include "system/DigitGrouping.h"
#include "system/TextUtils.h"

namespace {
// Engine texts: "bytes received", "% complete", and the status of binding
// code 0, the others following it in code order.
constexpr int kBytesReceivedText = 22;
constexpr int kPercentCompleteText = 21;
constexpr int kFirstBindStatusText = 54;
constexpr unsigned long kLastBindStatusCode = 33;
constexpr unsigned long kTransferringDataCode = 5;
}  // namespace

int64_t ResumeOffset(int64_t bytesOnDisk, bool resume) {
    return resume && bytesOnDisk > kResumeOverlap ? bytesOnDisk - kResumeOverlap : 0;
}

std::optional<int64_t> BodyOffset(unsigned status, int64_t requestedOffset) {
    if (status == 206) return requestedOffset;
    if (status == 200) return 0;
    return std::nullopt;
}

int TransferPercent(int64_t done, int64_t total, int lastPercent) {
    if (total <= 0) return lastPercent >= 100 ? 0 : lastPercent + 1;
    const int64_t percent = done * 100 / total + 1;
    return percent > 100 ? 100 : static_cast<int>(percent < 0 ? 0 : percent);
}

std::string ReceivedStatusText(int64_t received, bool totalKnown, int percent) {
    std::string text = GroupDigits(static_cast<uint64_t>(received < 0 ? 0 : received)) + " " +
                       EngineText(kBytesReceivedText);
    if (totalKnown) text += ", " + std::to_string(percent) + EngineText(kPercentCompleteText);
    return text;
}

std::string BindStatusText(unsigned long code, const std::string& extra) {
    if (code > kLastBindStatusCode) code = 0;
    const std::string text = EngineText(kFirstBindStatusText + static_cast<int>(code));
    if (text.empty()) return extra;
    if (extra.empty()) return text;
    return text + " " + extra;
}

bool IsTransferStatus(const std::string& status) {
    const std::string transferring = EngineText(kFirstBindStatusText + static_cast<int>(kTransferringDataCode));
    return !transferring.empty() && StartsWith(status, transferring);
}

std::optional<int64_t> ContentLengthOf(const std::vector<std::string>& headerLines) {
    static const std::string kName = "content-length:";
    for (const std::string& line : headerLines) {
        const std::string lowered = LowerAscii(line);
        const size_t at = lowered.find(kName);
        if (at == std::string::npos) continue;
        const std::string value = TrimBlanks(line.substr(at + kName.size()));
        if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
        auto parsed = ParseInt64(value);
        if (!parsed || *parsed < 0) return std::nullopt;
        return parsed;
    }
    return std::nullopt;
}

std::string ValidatorPath(const std::string& destination) { return destination + ".validator"; }

std::string ChooseValidator(const std::string& etag, const std::string& lastModified) {
    const std::string strong = TrimBlanks(etag);
    if (!strong.empty() && !StartsWith(strong, "W/")) return strong;
    return TrimBlanks(lastModified);
}
