#include "dialogs/UnknownDesign.h"


#include <set>

#include "dialogs/DesignedClasses.h"
#include "system/TextUtils.h"

namespace {

// What a placeholder keeps of the unknown component: where it is and
// whether it shows, which its children follow.
const char* const kPlaceholderKeeps[] = {"Left", "Top", "Width", "Height", "Align", "Anchors", "Visible", "Enabled"};

size_t CountObjects(const FormObject& object) {
    size_t count = 1;
    for (const FormObject& child : object.children) count += CountObjects(child);
    return count;
}

void MakePlaceholder(FormObject& object) {
    std::vector<FormProperty> kept;
    for (const char* name : kPlaceholderKeeps)
        if (const FormValue* value = object.Find(name); value && FitsDesignedKind(*value, KindOf("TPanel", name)))
            kept.push_back({name, *value});
    object.className = "TPanel";
    object.properties = std::move(kept);
    object.Set("BevelOuter", FormValue::Ident("bvNone"));
    object.Set("ParentColor", FormValue::Bool(true));
    object.Set("Caption", FormValue::Text(""));
}

class Fitting {
public:
    std::vector<UnknownDesign> Run(FormObject& root) {
        Fit(root, true);
        return std::move(found_);
    }

private:
    void Add(UnknownDesign::What what, size_t object, size_t property, std::string name, std::string text) {
        found_.push_back({what, object, property, std::move(name), std::move(text)});
    }

    void Fit(FormObject& object, bool isRoot) {
        const size_t place = next_++;
        const std::string className = isRoot ? "" : object.className;
        const DesignedClass* cls = isRoot ? nullptr : FindDesignedClass(object.className);
        if (!isRoot && !cls) {
            Add(UnknownDesign::What::Class, place, 0, object.className,
                "unknown class " + object.className + (object.name.empty() ? "" : " (" + object.name + ")"));
            MakePlaceholder(object);
        } else {
            FitProperties(object, className, place);
        }
        const bool holds = isRoot || !cls || cls->container;
        for (FormObject& child : object.children) {
            if (holds) {
                Fit(child, false);
                continue;
            }
            Add(UnknownDesign::What::Child, next_, 0, child.className,
                DescribeComponent(object) + " cannot hold " + DescribeComponent(child));
            next_ += CountObjects(child);
        }
        if (!holds) object.children.clear();
    }

    void FitProperties(FormObject& object, const std::string& className, size_t place) {
        std::vector<FormProperty> kept;
        for (size_t n = 0; n < object.properties.size(); ++n) {
            FormProperty& property = object.properties[n];
            if (!AcceptsProperty(className, property.name)) {
                Add(UnknownDesign::What::Property, place, n, property.name,
                    DescribeComponent(object) + " has no property " + property.name);
                continue;
            }
            const DesignedKind kind = KindOf(className, property.name);
            if (!FitsDesignedKind(property.value, kind)) {
                Add(UnknownDesign::What::Value, place, n, property.name,
                    DescribeComponent(object) + "." + property.name + " is not " + DesignedKindName(kind));
                continue;
            }
            kept.push_back(std::move(property));
        }
        object.properties = std::move(kept);
    }

    size_t next_ = 0;
    std::vector<UnknownDesign> found_;
};

}  // namespace

std::vector<UnknownDesign> FitToDesignedClasses(FormObject& root) { return Fitting().Run(root); }

std::vector<UnknownDesign> FindUnknownDesign(const FormObject& root) {
    FormObject copy = root;
    return FitToDesignedClasses(copy);
}

std::vector<std::string> UnknownDesignLogLines(const std::string& formFileName,
                                               const std::vector<UnknownDesign>& found) {
    std::vector<std::string> lines;
    std::set<std::string> logged;
    for (const UnknownDesign& item : found) {
        if (!logged.insert(std::to_string(static_cast<int>(item.what)) + UpperAscii(item.name)).second) continue;
        lines.push_back(formFileName + ": left out " + item.text);
    }
    return lines;
}
