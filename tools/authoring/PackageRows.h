#pragma once
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/authoring/PackageAuthoring.h"

// What every kind of recording command shares while its rows are authored:
// the command with its parameters, the parameter error the check reports,
// and the collector of WiX elements and SQL statements.

struct RecordingCommand {
    std::string name;
    std::string header;
    std::vector<std::string> p;  // p[1] .. p[n] as written; p[0] is the id
    size_t number = 0;           // command number in the script

    // Parameter k, or the empty text when the command has fewer.
    const std::string& at(size_t k) const;
};

// A parameter value the rows cannot be made from.
struct ParameterError : std::runtime_error {
    ParameterError(size_t parameter, const std::string& text)
        : std::runtime_error("p" + std::to_string(parameter) + " " + text), parameter(parameter) {}
    size_t parameter;
};

// The active recording commands of a project, in script order.
std::vector<RecordingCommand> RecordingCommands(const Project& project);

// "P<header>_<k>", the property the engine records for the command.
std::string Property(const RecordingCommand& c, int k);
std::string Xml(const std::string& text);
// A text inside an SQL string literal; the installer's SQL has no escape for quotes.
std::string Sql(const std::string& text);

// Parameter k as one of the given words (compared ignoring case); the empty
// text takes the first. Anything else is a ParameterError naming the words.
int Choice(const RecordingCommand& c, size_t k, const std::vector<std::pair<std::string, int>>& words);
// A flag parameter: empty, TRUE, FALSE, -1 or 0.
bool Flag(const RecordingCommand& c, size_t k);
// A file of the project (relative to its folder, "/" or "\\" between
// folders) that must exist.
void ProjectFile(const Project& project, const RecordingCommand& c, size_t k);

class PackageRows {
public:
    // The feature that holds every authored component.
    static constexpr const char* kFeature = "OrvantaRecorded";

    PackageRows(const Project& project, SetupArch arch) : project_(project), arch_(arch) {}
    const Project& project() const { return project_; }
    SetupArch arch() const { return arch_; }

    // WiX elements below TARGETDIR.
    std::ostringstream& Body() { return body_; }
    // A component guarded by A<header>="TRUE" holding the WiX content.
    std::string Component(const RecordingCommand& c, const std::string& id, const std::string& content);
    // A file of the project, by default the key path of its component.
    std::string File(const std::string& id, const std::string& projectFile, bool keyPath = true) const;
    // A table the WiX compiler does not make: created before its first row.
    void Table(const std::string& name, const std::string& columns);
    // A standard action at its place in the execution sequence (once).
    void Sequence(const char* action, int number);
    void Statement(std::string sql) { statements_.push_back(std::move(sql)); }
    // How often what was asked for, this time included: for rows a package
    // needs once and numbers that must not repeat.
    int Next(const std::string& what) { return ++counts_[what]; }
    // Some files lie outside the cabinet (RecordedRows::uncompressedSource).
    void SetUncompressedSource() { uncompressedSource_ = true; }

    RecordedRows Rows() const;

private:
    const Project& project_;
    const SetupArch arch_;
    std::ostringstream body_;
    std::vector<std::pair<std::string, std::string>> components_;  // component id, header
    std::vector<std::string> statements_;
    std::set<std::string> tables_, actions_;
    std::map<std::string, int> counts_;
    bool uncompressedSource_ = false;
};
