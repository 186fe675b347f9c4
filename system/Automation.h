#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Late-bound automation: objects reached by a ProgID whose methods and
// properties are called by name. Windows goes through IDispatch
// (Automation_win32.cpp); the host side answers from classes a test
// registers (system/HostAutomation.h).

struct AutomationError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct AutomationValue;
class AutomationTarget;

// A shared reference to an automation object: the last copy releases it.
// Every call throws AutomationError when the object refuses it.
class AutomationObject {
public:
    AutomationObject() = default;
    explicit AutomationObject(std::shared_ptr<AutomationTarget> target) : target_(std::move(target)) {}
    explicit operator bool() const { return target_ != nullptr; }

    AutomationValue Call(const std::string& method, const std::vector<AutomationValue>& arguments = {}) const;
    // A method call whose answer must be an object.
    AutomationObject CallForObject(const std::string& method, const std::vector<AutomationValue>& arguments) const;
    AutomationValue Property(const std::string& name) const;
    void SetProperty(const std::string& name, const AutomationValue& value) const;
    // The objects the object's enumerator hands out.
    std::vector<AutomationObject> Children() const;

    AutomationTarget* target() const { return target_.get(); }

private:
    AutomationTarget& Target() const;
    std::shared_ptr<AutomationTarget> target_;
};

struct AutomationValue {
    enum class Kind { Empty, Boolean, Integer, Text, Object, List };

    AutomationValue() = default;
    AutomationValue(bool value) : kind(Kind::Boolean), boolean(value) {}
    AutomationValue(int32_t value) : kind(Kind::Integer), integer(value) {}
    AutomationValue(std::string value) : kind(Kind::Text), text(std::move(value)) {}
    AutomationValue(const char* value) : kind(Kind::Text), text(value) {}
    AutomationValue(AutomationObject value) : kind(Kind::Object), object(std::move(value)) {}
    AutomationValue(std::vector<AutomationValue> value) : kind(Kind::List), list(std::move(value)) {}

    Kind kind = Kind::Empty;
    bool boolean = false;
    int32_t integer = 0;
    std::string text;
    AutomationObject object;
    std::vector<AutomationValue> list;
};

// The text of a plain value: booleans as "TRUE"/"FALSE", integers in decimal,
// empty as "". Objects and lists have none (AutomationError).
std::string AutomationText(const AutomationValue& value);

// One side's view of an object: what AutomationObject forwards to.
class AutomationTarget {
public:
    virtual ~AutomationTarget() = default;
    virtual AutomationValue Call(const std::string& method, const std::vector<AutomationValue>& arguments) = 0;
    virtual AutomationValue Property(const std::string& name) = 0;
    virtual void SetProperty(const std::string& name, const AutomationValue& value) = 0;
    virtual std::vector<AutomationObject> Children() = 0;
};

// A new object of the class registered under the ProgID; AutomationError
// when there is none or it cannot be created.
AutomationObject CreateAutomationObject(const std::string& progId);

// Automation for the current thread while it lives; objects must be
// released before it ends, so it is declared before them.
class AutomationApartment {
public:
    AutomationApartment();
    ~AutomationApartment();
    AutomationApartment(const AutomationApartment&) = delete;
    AutomationApartment& operator=(const AutomationApartment&) = delete;

private:
    bool initialised_ = false;
};
