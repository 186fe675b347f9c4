#include "system/HostSystemMessages.h"
#include "system/SystemMessage.h"

std::map<unsigned, std::string>& HostSystemMessages() {
    static std::map<unsigned, std::string> texts;
    return texts;
}

std::string SystemMessageText(unsigned code) {
    auto found = HostSystemMessages().find(code);
    return found == HostSystemMessages().end() ? std::string() : found->second;
}
