#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ProjectValues.h"
#include "script/AppendedData.h"  // where a payload lies in its engine
#include "script/Script.h"

struct Payload {
    Script script;
    ProjectValues project;
};

// A payload that cannot be read (premature end, malformed number).
class PayloadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the payload text (CR LF lines) item by item, strictly in order.
Payload ReadPayload(const std::string& text);
// Writes a payload in the same layout; ReadPayload(WritePayload(p)) gives p back.
std::string WritePayload(const Payload& payload);
