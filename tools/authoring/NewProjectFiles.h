#pragma once
#include <string>
#include <vector>

// A file of the project `orvanta new` makes: its path inside the project
// and its text, with {{TITLE}}, {{SETUP}} and the {{..._CODE}} GUIDs still
// to fill in.
struct TemplateFile {
    std::string path, text;
};

// The template's own files and the standard wizard's forms, which are the
// sample's (examples/sample/support), compiled into orvanta.
const std::vector<TemplateFile>& NewProjectFiles();
