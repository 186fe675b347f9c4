#pragma once
#include <string>
#include <vector>

// The reference tables an author looks things up in besides the commands:
// the predefined variables, the setup's own command line, the media modes,
// the web media project value and the roles a control's Tag gives it. One
// source for `orvanta commands --reference`, docs/commands.md and the same
// tables in docs/authoring.md (a test keeps that copy in step).

struct ReferenceTable {
    const char* key;    // for `orvanta commands --reference <key>`
    const char* title;
    const char* intro;  // one paragraph, markdown
    std::vector<const char*> columns;
    std::vector<std::vector<const char*>> rows;
};

const std::vector<ReferenceTable>& ReferenceTables();
// The table of that key, or nullptr.
const ReferenceTable* FindReferenceTable(const std::string& key);
// As `orvanta commands --reference` prints it: aligned columns.
std::string ReferenceTableText(const ReferenceTable& table);
// Every table as markdown, "### title" headings.
std::string ReferenceTablesMarkdown();
