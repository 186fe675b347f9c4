#pragma once
// The component classes a wizard form may hold and the published properties
// each accepts; what a form holds beyond them is left out at load and listed
// by the authoring check (dialogs/UnknownDesign.h).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/FormFile.h"

// What a property's text means; decides how a text written by a rule is checked.
enum class DesignedKind {
    Other,       // stored as designed, any text
    Bool,        // "True"/"False"
    Integer,     // decimal
    Text,        // any text
    Identifier,  // an enumeration value ("taCenter")
    Color,       // "clRed", "clBtnFace" or a decimal colour value
    Lines,       // a string list as one text, items joined with CR LF
};

struct DesignedClass {
    const char* name;
    bool container;  // holds child components (panels, group boxes)
};

// The 34 control classes, in registration order.
const std::vector<DesignedClass>& DesignedClasses();
const DesignedClass* FindDesignedClass(std::string_view className);  // exact name; nullptr when unknown

// Whether the class publishes the property (dotted names whole, letter case
// ignored). className "" is the form itself.
bool AcceptsProperty(std::string_view className, std::string_view property);

// Whether a stored value is of the kind the property needs.
bool FitsDesignedKind(const FormValue& value, DesignedKind kind);
const char* DesignedKindName(DesignedKind kind);  // "an integer", for messages

// "TButton Go": class and name, for messages.
std::string DescribeComponent(const FormObject& object);

// The property's text kind for the class (Other when the table has none).
DesignedKind KindOf(std::string_view className, std::string_view property);

// The published property as text for rules and the runtime: the stored
// value, else the class default ("True" for Enabled, "-1" for ItemIndex).
// "Items" and "Lines" give the string list joined with CR LF; "Name" the
// object's name. nullopt when the class has no such property.
// className is the object's class, "" for the form.
std::optional<std::string> DesignedPropertyText(const FormObject& object, std::string_view className,
                                                std::string_view property);

// Stores a property from its text in the object, checked against its kind;
// throws FormError naming the object and property when the text does not fit
// ("abc" for Position) or the class has no such property.
void SetDesignedPropertyText(FormObject& object, std::string_view className, std::string_view property,
                             const std::string& text);

// The stored name of a property the short names stand for: "Items" is
// "Items.Strings", "Lines" is "Lines.Strings".
std::string StoredPropertyName(std::string_view property);

// Items joined with CR LF (system/TextUtils SplitLines is the reverse).
std::string JoinLines(const std::vector<std::string>& items);
