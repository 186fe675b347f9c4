#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The texts the apply thread writes: the property file the package reads
// during the run, and the header of the installer log.

using NameValueList = std::vector<std::pair<std::string, std::string>>;

// (name, value) pairs of an alternating comma text; a name without a value
// gets the empty value.
NameValueList PairsOfCommaText(const std::string& commaText);

// The value of the first entry named name (ignoring case), if any.
const std::string* FindValue(const NameValueList& pairs, const std::string& name);

struct PropertyFileContent {
    // The first two records: SourceDir and either MEDIAPACKAGEPATH or, for a
    // patch, SRCDIREX.
    std::string sourceDir;
    std::pair<std::string, std::string> mediaRecord;
    NameValueList properties;
    NameValueList variables;  // reserved installer names are left out
};

// Records of name, value lines and "$ex", CR LF. Each value goes through
// expand (the variable store's path expansion, which also turns "$NEWLINE$"
// into line breaks, so one value may span lines).
std::string PropertyFileText(const PropertyFileContent& content,
                             const std::function<std::string(const std::string&)>& expand);

struct LogHeaderContent {
    std::string timestamp;  // the user's short date and long time
    std::string variablesText;
    std::string propertiesText;
    std::string package;
    std::string productCode;
    std::string dataFolder;
    std::string mediaPath;
    std::string packageFolder;
};

// The lines in front of the installer's own log, CR LF, as ANSI text.
std::string LogHeaderText(const LogHeaderContent& content);
