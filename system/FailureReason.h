#pragma once
#include <string>

// Why the last system/ wrapper on this thread failed, in the operating
// system's words (the message text of its error code), so that a failure
// message can say why. A wrapper that keeps a reason records it when its call
// fails and forgets the previous one when it succeeds; a caller reads it right
// after the failed call, before any other wrapper runs.

// The recorded reason; empty when the last such wrapper succeeded or the
// system had no text.
std::string LastFailureReason();
// The message followed by ": " and the recorded reason, or the message alone.
std::string WithFailureReason(const std::string& message);
// The message followed by the reason (its trailing line break and blanks left
// out): after ": ", or after a space when the message ends a sentence; the
// message alone when the reason is blank.
std::string WithReason(const std::string& message, const std::string& reason);

// For the wrappers: record the system's text for an error code, or forget.
void RecordFailure(unsigned systemErrorCode);
void RecordFailureText(const std::string& reason);
void ForgetFailure();
