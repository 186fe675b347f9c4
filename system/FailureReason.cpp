#include "system/FailureReason.h"

#include "system/SystemMessage.h"

namespace {
thread_local std::string tLastReason;
}  // namespace

std::string LastFailureReason() { return tLastReason; }

std::string WithFailureReason(const std::string& message) { return WithReason(message, tLastReason); }

std::string WithReason(const std::string& message, const std::string& reason) {
    const size_t end = reason.find_last_not_of(" \t\r\n");
    if (end == std::string::npos) return message;
    // The system's texts are sentences: after a sentence, one more.
    const bool sentence = !message.empty() && message.back() == '.';
    return message + (sentence ? " " : ": ") + reason.substr(0, end + 1);
}

// Code 0 is the system saying nothing failed: no reason.
void RecordFailure(unsigned systemErrorCode) {
    tLastReason = systemErrorCode == 0 ? std::string() : SystemMessageText(systemErrorCode);
}

void RecordFailureText(const std::string& reason) { tLastReason = reason; }

void ForgetFailure() { tLastReason.clear(); }
