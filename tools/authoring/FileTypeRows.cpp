// "Create File Type": the class registry rows of an extension, its file type
// and the command of one verb, written below HKCR.
#include "tools/authoring/RecordingKinds.h"

namespace {

std::string Verb(const RecordingCommand& c) {
    const std::string verb = c.at(6).empty() ? "open" : c.at(6);
    if (verb.find_first_of("\\[]{}") != std::string::npos)
        throw ParameterError(6, "'" + verb + "' cannot name a verb (no backslash or brackets)");
    return verb;
}

}  // namespace

void CheckCreateFileType(const Project&, const RecordingCommand& c) {
    for (size_t k : {1, 2, 4})
        if (c.at(k).empty()) throw ParameterError(k, "is empty");
    Verb(c);
}

void AuthorCreateFileType(const RecordingCommand& c, PackageRows& rows) {
    CheckCreateFileType(rows.project(), c);
    const std::string type = "[" + Property(c, 1) + "]";
    auto value = [](const std::string& key, const std::string& value, bool keyPath = false) {
        return "<RegistryValue Root=\"HKCR\" Key=\"" + Xml(key) + "\" Value=\"" + Xml(value) + "\" Type=\"string\"" +
               (keyPath ? " KeyPath=\"yes\"" : "") + " />";
    };
    rows.Body() << rows.Component(c, "C" + c.header,
                                  value(".[" + Property(c, 2) + "]", type, true) + value(type, "[" + Property(c, 3) + "]") +
                                      value(type + "\\shell\\" + Verb(c) + "\\command",
                                            "\"[" + Property(c, 4) + "]\" [" + Property(c, 5) + "]"));
}
