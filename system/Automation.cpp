#include "system/Automation.h"

AutomationTarget& AutomationObject::Target() const {
    if (!target_) throw AutomationError("no automation object");
    return *target_;
}

AutomationValue AutomationObject::Call(const std::string& method, const std::vector<AutomationValue>& arguments) const {
    return Target().Call(method, arguments);
}

AutomationObject AutomationObject::CallForObject(const std::string& method,
                                                 const std::vector<AutomationValue>& arguments) const {
    AutomationValue answer = Call(method, arguments);
    if (answer.kind != AutomationValue::Kind::Object || !answer.object)
        throw AutomationError(method + " gave no object");
    return answer.object;
}

AutomationValue AutomationObject::Property(const std::string& name) const { return Target().Property(name); }

void AutomationObject::SetProperty(const std::string& name, const AutomationValue& value) const {
    Target().SetProperty(name, value);
}

std::vector<AutomationObject> AutomationObject::Children() const { return Target().Children(); }

std::string AutomationText(const AutomationValue& value) {
    switch (value.kind) {
        case AutomationValue::Kind::Empty: return {};
        case AutomationValue::Kind::Boolean: return value.boolean ? "TRUE" : "FALSE";
        case AutomationValue::Kind::Integer: return std::to_string(value.integer);
        case AutomationValue::Kind::Text: return value.text;
        default: throw AutomationError("the value has no text");
    }
}
