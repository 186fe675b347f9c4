// Property lookups and typed reads of a form object.
#include <algorithm>
#include <cctype>

#include "dialogs/FormFile.h"

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Runs a typed read of a stored value, naming the property when it fails.
template <class Result, class Read>
Result ReadStored(const FormObject& object, std::string_view property, Result absent, Read read) {
    const FormValue* value = object.Find(property);
    if (!value) return absent;
    try {
        return read(*value);
    } catch (const FormError& e) {
        throw FormError(object.name + "." + std::string(property) + ": " + e.what());
    }
}

}  // namespace

const FormValue* FormObject::Find(std::string_view property) const {
    auto it = std::find_if(properties.begin(), properties.end(),
                           [&](const FormProperty& p) { return SameName(p.name, property); });
    return it == properties.end() ? nullptr : &it->value;
}

FormValue* FormObject::Find(std::string_view property) {
    return const_cast<FormValue*>(static_cast<const FormObject&>(*this).Find(property));
}

int64_t FormObject::Integer(std::string_view property, int64_t absent) const {
    return ReadStored(*this, property, absent, [](const FormValue& v) { return v.AsInteger(); });
}

bool FormObject::Bool(std::string_view property, bool absent) const {
    return ReadStored(*this, property, absent, [](const FormValue& v) { return v.AsBool(); });
}

std::string FormObject::Text(std::string_view property, const std::string& absent) const {
    return ReadStored(*this, property, absent, [](const FormValue& v) { return v.AsText(); });
}

std::string FormObject::Identifier(std::string_view property, const std::string& absent) const {
    return ReadStored(*this, property, absent, [](const FormValue& v) { return v.AsIdentifier(); });
}

std::vector<std::string> FormObject::Strings(std::string_view property) const {
    return ReadStored(*this, property, std::vector<std::string>(), [](const FormValue& v) { return v.AsStringList(); });
}

std::string FormObject::Binary(std::string_view property) const {
    return ReadStored(*this, property, std::string(), [](const FormValue& v) { return v.AsBinary(); });
}

void FormObject::Set(std::string_view property, FormValue value) {
    if (FormValue* stored = Find(property)) {
        *stored = std::move(value);
        return;
    }
    properties.push_back(FormProperty{std::string(property), std::move(value)});
}

bool FormObject::Remove(std::string_view property) {
    auto it = std::find_if(properties.begin(), properties.end(),
                           [&](const FormProperty& p) { return SameName(p.name, property); });
    if (it == properties.end()) return false;
    properties.erase(it);
    return true;
}

const FormObject* FormObject::FindObject(std::string_view objectName) const {
    if (SameName(name, objectName)) return this;
    for (const auto& child : children)
        if (const FormObject* found = child.FindObject(objectName)) return found;
    return nullptr;
}

FormObject* FormObject::FindObject(std::string_view objectName) {
    return const_cast<FormObject*>(static_cast<const FormObject&>(*this).FindObject(objectName));
}
