#include "support/IisModel.h"

#include <cstdio>

namespace {

using Arguments = std::vector<AutomationValue>;

std::string ArgumentText(const AutomationValue& value) {
    try {
        return AutomationText(value);
    } catch (const AutomationError&) {
        return "<object>";
    }
}

// What every object of the model shares: recording and failing calls.
class ModelObject : public AutomationTarget {
public:
    ModelObject(std::shared_ptr<IisModelState> state, std::string name)
        : state_(std::move(state)), name_(std::move(name)) {}

    AutomationValue Call(const std::string& method, const Arguments& arguments) override {
        std::string call = name_ + "." + method;
        for (const auto& argument : arguments) call += " " + ArgumentText(argument);
        Record(call, method);
        return Method(method, arguments);
    }
    AutomationValue Property(const std::string& name) override {
        Record(name_ + ".get " + name, name);
        return Read(name);
    }
    void SetProperty(const std::string& name, const AutomationValue& value) override {
        Record(name_ + ".put " + name + "=" + ArgumentText(value), name);
        Write(name, value);
    }
    std::vector<AutomationObject> Children() override {
        Record(name_ + ".children", "children");
        return {};
    }

protected:
    virtual AutomationValue Method(const std::string& method, const Arguments& arguments) {
        throw AutomationError("no method " + method);
    }
    virtual AutomationValue Read(const std::string& name) { throw AutomationError("no property " + name); }
    virtual void Write(const std::string& name, const AutomationValue& value) {
        throw AutomationError("no property " + name);
    }
    void Record(const std::string& call, const std::string& name) {
        state_->calls.push_back(call);
        if (!state_->failingCall.empty() && name == state_->failingCall) throw AutomationError(name + " fails");
    }
    static std::string Text(const Arguments& arguments, size_t n) {
        if (n >= arguments.size()) throw AutomationError("missing argument");
        return AutomationText(arguments[n]);
    }

    std::shared_ptr<IisModelState> state_;
    std::string name_;
};

// A site's or folder's properties with the generic Get and Put and SetInfo.
class PropertyObject : public ModelObject {
public:
    PropertyObject(std::shared_ptr<IisModelState> state, std::string name,
                   std::map<std::string, AutomationValue>& properties, bool& committed)
        : ModelObject(std::move(state), std::move(name)), properties_(properties), committed_(committed) {}

protected:
    AutomationValue Method(const std::string& method, const Arguments& arguments) override {
        if (method == "SetInfo") {
            committed_ = true;
            return {};
        }
        if (method == "Get") return Read(Text(arguments, 0));
        if (method == "Put" && arguments.size() == 2) {
            Write(Text(arguments, 0), arguments[1]);
            return {};
        }
        return ModelObject::Method(method, arguments);
    }
    AutomationValue Read(const std::string& name) override {
        const auto found = properties_.find(name);
        if (found == properties_.end()) throw AutomationError("property not set: " + name);
        return found->second;
    }
    void Write(const std::string& name, const AutomationValue& value) override { properties_[name] = value; }

    std::map<std::string, AutomationValue>& properties_;
    bool& committed_;
};

class FolderObject final : public PropertyObject {
public:
    FolderObject(std::shared_ptr<IisModelState> state, std::string name, std::shared_ptr<IisModelFolder> folder)
        : PropertyObject(std::move(state), std::move(name), folder->properties, folder->committed),
          folder_(std::move(folder)) {}

protected:
    AutomationValue Method(const std::string& method, const Arguments& arguments) override {
        if (method == "AppCreate2") {
            folder_->properties["AppIsolated"] = AutomationValue(static_cast<int32_t>(arguments.at(0).integer));
            return {};
        }
        return PropertyObject::Method(method, arguments);
    }
    AutomationValue Read(const std::string& name) override {
        if (name == "MimeMap" && !folder_->properties.count(name)) return Arguments{};
        return PropertyObject::Read(name);
    }

private:
    std::shared_ptr<IisModelFolder> folder_;
};

class SiteObject final : public PropertyObject {
public:
    SiteObject(std::shared_ptr<IisModelState> state, int number, std::shared_ptr<IisModelSite> site)
        : PropertyObject(std::move(state), "site" + std::to_string(number), site->properties, site->committed),
          number_(number), site_(std::move(site)) {}

protected:
    AutomationValue Method(const std::string& method, const Arguments& arguments) override {
        if (method == "Start") return Become("started", {"stopped", "started", "paused"});
        if (method == "Stop") return Become("stopped", {"started", "paused", "stopped"});
        if (method == "Pause") return Become("paused", {"started"});
        if (method == "Continue") return Become("started", {"paused", "started"});
        if (method == "GetObject" || method == "Create" || method == "Delete") {
            if (Text(arguments, 0) != "IIsWebVirtualDir") throw AutomationError("no such class");
            const std::string path = Text(arguments, 1);
            auto found = site_->folders.find(path);
            if (method == "Delete") {
                if (found == site_->folders.end()) throw AutomationError("no folder " + path);
                site_->folders.erase(found);
                return {};
            }
            if (method == "GetObject" && (found == site_->folders.end() || !found->second->committed))
                throw AutomationError("no folder " + path);
            if (method == "Create") found = site_->folders.insert_or_assign(path, std::make_shared<IisModelFolder>()).first;
            return AutomationObject(std::make_shared<FolderObject>(state_, name_ + "/" + path, found->second));
        }
        return PropertyObject::Method(method, arguments);
    }
    AutomationValue Read(const std::string& name) override {
        if (name == "Status") return AutomationValue(static_cast<int32_t>(site_->state == "started" ? 2 : site_->state == "paused" ? 6 : 4));
        if (name == "Class") return "IIsWebServer";
        if (name == "Name") return std::to_string(number_);
        if (name == "AnonymousUserName" && !site_->properties.count(name)) return state_->anonymousUser;
        return PropertyObject::Read(name);
    }

private:
    AutomationValue Become(const std::string& next, std::vector<std::string> from) {
        for (const auto& state : from)
            if (site_->state == state) {
                site_->state = next;
                return {};
            }
        throw AutomationError("the site is " + site_->state);
    }
    int number_;
    std::shared_ptr<IisModelSite> site_;
};

// A child of the web service that is not a site.
class FiltersObject final : public ModelObject {
public:
    using ModelObject::ModelObject;

protected:
    AutomationValue Read(const std::string& name) override {
        if (name == "Class") return "IIsFilters";
        if (name == "Name") return "Filters";
        return ModelObject::Read(name);
    }
};

class WebServiceObject final : public ModelObject {
public:
    using ModelObject::ModelObject;

    std::vector<AutomationObject> Children() override {
        ModelObject::Children();
        std::vector<AutomationObject> children{AutomationObject(std::make_shared<FiltersObject>(state_, "Filters"))};
        for (const auto& [number, site] : state_->sites)
            if (site->committed) children.emplace_back(std::make_shared<SiteObject>(state_, number, site));
        return children;
    }

protected:
    AutomationValue Method(const std::string& method, const Arguments& arguments) override {
        if (method == "SetInfo") return {};
        if (method == "EnableWebServiceExtension") {
            state_->webServiceExtensions.push_back(Text(arguments, 0));
            return {};
        }
        if (method == "EnableExtensionFile") {
            state_->extensionFiles.push_back(Text(arguments, 0));
            return {};
        }
        if (method == "GetObject" || method == "Create" || method == "Delete") {
            if (Text(arguments, 0) != "IIsWebServer") throw AutomationError("no such class");
            const int number = std::stoi(Text(arguments, 1));
            auto found = state_->sites.find(number);
            if (method == "Delete") {
                if (found == state_->sites.end()) throw AutomationError("no site");
                state_->sites.erase(found);
                return {};
            }
            if (method == "GetObject" && (found == state_->sites.end() || !found->second->committed))
                throw AutomationError("no site");
            if (method == "Create") {
                if (found != state_->sites.end() && found->second->committed) throw AutomationError("site exists");
                found = state_->sites.insert_or_assign(number, std::make_shared<IisModelSite>()).first;
            }
            return AutomationObject(std::make_shared<SiteObject>(state_, number, found->second));
        }
        return ModelObject::Method(method, arguments);
    }
};

class NamespaceObject final : public ModelObject {
public:
    using ModelObject::ModelObject;

protected:
    AutomationValue Method(const std::string& method, const Arguments& arguments) override {
        if (method == "GetObject" && Text(arguments, 0) == "IIsWebService" && Text(arguments, 1) == "localhost/w3svc")
            return AutomationObject(std::make_shared<WebServiceObject>(state_, "w3svc"));
        return ModelObject::Method(method, arguments);
    }
};

class MimeMapObject final : public AutomationTarget {
public:
    AutomationValue Call(const std::string& method, const Arguments&) override {
        throw AutomationError("no method " + method);
    }
    AutomationValue Property(const std::string& name) override { return values_.at(name); }
    void SetProperty(const std::string& name, const AutomationValue& value) override {
        if (name != "Extension" && name != "MimeType") throw AutomationError("no property " + name);
        values_[name] = value;
    }
    std::vector<AutomationObject> Children() override { return {}; }

private:
    std::map<std::string, AutomationValue> values_{{"Extension", ""}, {"MimeType", ""}};
};

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", ch);
            out += escape;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

std::string ValueJson(const AutomationValue& value) {
    switch (value.kind) {
        case AutomationValue::Kind::Empty: return "null";
        case AutomationValue::Kind::Boolean: return value.boolean ? "true" : "false";
        case AutomationValue::Kind::Integer: return std::to_string(value.integer);
        case AutomationValue::Kind::Text: return Quoted(value.text);
        case AutomationValue::Kind::Object:
            return "{\"Extension\":" + ValueJson(value.object.Property("Extension")) +
                   ",\"MimeType\":" + ValueJson(value.object.Property("MimeType")) + "}";
        case AutomationValue::Kind::List: {
            std::string out = "[";
            for (const auto& item : value.list) out += (out.size() > 1 ? "," : "") + ValueJson(item);
            return out + "]";
        }
    }
    return "null";
}

std::string PropertiesJson(const std::map<std::string, AutomationValue>& properties) {
    std::string out = "{";
    for (const auto& [name, value] : properties) out += (out.size() > 1 ? "," : "") + Quoted(name) + ":" + ValueJson(value);
    return out + "}";
}

std::string ListJson(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (const auto& text : texts) out += (out.size() > 1 ? "," : "") + Quoted(text);
    return out + "]";
}

}  // namespace

void IisModelState::AddSite(int number, const std::string& description) {
    auto site = std::make_shared<IisModelSite>();
    site->properties["ServerComment"] = description;
    site->committed = true;
    sites[number] = site;
}

std::string IisModelState::Json() const {
    std::string out = "{\"sites\":{";
    bool first = true;
    for (const auto& [number, site] : sites) {
        if (!site->committed) continue;
        out += (first ? "" : ",") + Quoted(std::to_string(number)) + ":{\"state\":" + Quoted(site->state) +
               ",\"properties\":" + PropertiesJson(site->properties) + ",\"folders\":{";
        first = false;
        bool firstFolder = true;
        for (const auto& [path, folder] : site->folders) {
            if (!folder->committed) continue;
            out += (firstFolder ? "" : ",") + Quoted(path) + ":" + PropertiesJson(folder->properties);
            firstFolder = false;
        }
        out += "}}";
    }
    return out + "},\"webServiceExtensions\":" + ListJson(webServiceExtensions) +
           ",\"extensionFiles\":" + ListJson(extensionFiles) + ",\"calls\":" + ListJson(calls) + "}\n";
}

std::shared_ptr<AutomationTarget> MakeIisNamespace(std::shared_ptr<IisModelState> state) {
    return std::make_shared<NamespaceObject>(std::move(state), "IISNamespace");
}

std::shared_ptr<AutomationTarget> MakeMimeMapEntry() { return std::make_shared<MimeMapObject>(); }
