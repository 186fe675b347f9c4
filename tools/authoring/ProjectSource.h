#pragma once
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "script/Payload.h"

// The readable source of a setup project (a "project.orv" file):
//
//   # comment
//   Setup = sample                  engine copy name: sample.exe, .res, .msi
//   Title = Sample Product          and the other project values (see below)
//   Package = product.wxs           .msi file, or .wxs compiled with wixl
//   Support = support               folder packed into the .res archive
//   PluginCommand = Sample Action   a command name that a plug-in provides
//   PluginLibrary = plugins/x.dll   a plug-in library packed into the .res archive
//
//   [script]
//   Set Variable @ id={...} header=ABC media=Web\ off
//     | NAME
//     | value
//
// A UTF-8 byte order mark at the start is skipped.
// A command is a line with its name; after " @ " come its optional
// attributes: id (generated from the product code and the command's place
// when absent), header, media folder and "off" for a commented-out command.
// Each following "|" line is one parameter: the text after "|" and one
// optional blank, taken literally. Command lines may be indented; blank lines
// and "#" lines are ignored.

struct SourceError : std::runtime_error {
    SourceError(const std::string& file, int line, const std::string& text)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + text), file(file), line(line) {}
    std::string file;
    int line;
};

struct Project {
    Payload payload;
    std::string setupName = "setup";
    std::string packageFile;   // relative to the project folder; empty when none
    std::string supportFolder; // relative; empty when none
    std::string splashFile;    // relative; empty when none
    std::string translationsFolder;  // relative; empty when none
    std::string iconFile;      // relative .ico file; empty when none
    std::string version;       // product version of the setup's version resource; empty: the package's
    std::string description;   // file description of the version resource; empty: "<Title> Setup"
    bool singleFile = false;   // SingleFile = yes: one launcher carrying the setup folder
    // Web media blocks built by the tool: (block name, folder relative to the
    // project whose files the block's archive holds).
    std::vector<std::pair<std::string, std::string>> webMedia;
    // Plug-in libraries relative to the project: each lands in the root of
    // the support archive under its file name.
    std::vector<std::string> pluginLibraries;
    std::string folder;        // folder holding the source file
    std::string sourceFile;    // path of the source file
    std::map<std::string, int> valueLines;  // source line of each project value given once
    // Source lines of the values that may be given again (WebMedia, MediaFile,
    // PluginLibrary, ...), in the order given.
    std::map<std::string, std::vector<int>> repeatedValueLines;
    std::vector<int> commandLines;  // source line of each command
    std::vector<std::vector<int>> parameterLines;  // source line of each command's parameters
};

// Reads a project from a source file or from a folder holding "project.orv".
Project LoadProject(const std::string& path);
// Parses source text; fileName is used in error messages.
Project ParseProject(const std::string& text, const std::string& fileName);
// Writes the readable source of a payload (the inverse of parsing: parsing
// the result gives the same payload back). "#" lines name each command's
// parameters (one line above a few, one above each of many); ids and headers
// that building would generate are left out. The values naming files (Package, Support,
// Splash, Icon, Translations, WebMedia, PluginLibrary) and Version and
// Description are not in a payload: their lines are left for the author to
// complete. Throws std::runtime_error for a value no source line can hold
// (a line break, an attribute with both a blank and a quote) and for
// commands sharing an id (as the parser compares them). Blocks nested deeper
// than a few levels are indented no further.
std::string WriteProjectSource(const Payload& payload, const std::string& setupName);

// Each command's parameter lines as the engine finds them: after its id line
// (in the last list holding it), up to the next command's id or the list's
// end; none for a command without an id line.
std::vector<std::vector<std::string>> CommandParameters(const Script& script);

// The installation-change commands that own rows in the installer package
// and so need a command header.
bool IsRecordingCommand(const std::string& name);
