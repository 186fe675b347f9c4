#pragma once
// What a form from another designer holds that the engine has no use for:
// properties its class does not publish (LCLVersion, BorderSpacing.Around),
// values of another kind than the property takes, classes it does not know,
// children inside a control that holds none. At run time they are left out,
// so that any form that reads is shown; the authoring check lists them.
#include <cstddef>
#include <string>
#include <vector>

#include "dialogs/FormFile.h"

struct UnknownDesign {
    enum class What { Property, Value, Class, Child };
    What what;
    size_t object;    // the component's place in the form, depth first; 0 is the form itself
    size_t property;  // Property and Value: the index among the component's stored properties
    std::string name;  // the property's or the class's name
    std::string text;  // "TLoginForm LoginForm has no property LCLVersion"
};

// Leaves out what the engine does not know, in place: unknown and misfitting
// properties are removed; a component of an unknown class becomes an empty,
// borderless panel of the same place and size that keeps its children (so
// their positions and bindings stay); children of a control that holds none
// are removed with it. Gives what it left out, in form order.
std::vector<UnknownDesign> FitToDesignedClasses(FormObject& root);

// The same list for a form that is not changed.
std::vector<UnknownDesign> FindUnknownDesign(const FormObject& root);

// The log's lines about one form: each property name and class left out
// once, as the first component that had it says it:
// "login.dfm: left out TLoginForm LoginForm has no property LCLVersion".
std::vector<std::string> UnknownDesignLogLines(const std::string& formFileName,
                                               const std::vector<UnknownDesign>& found);
