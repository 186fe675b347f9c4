#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// The setup script as parallel lists indexed by command number (0-based).
struct Script {
    std::vector<std::string> CommandNames;
    std::vector<std::string> CommandIds;           // GUID texts in braces
    std::vector<std::string> CommandFlags;         // "C" = commented out
    std::vector<std::string> CommandMediaFolders;  // relative, with backslash, or empty
    // Parameter lists: in each, a command's parameters follow the line equal
    // to its id. Start-up puts exactly one list here.
    std::vector<std::vector<std::string>> ParameterBlocks;
    std::vector<std::string> PluginCommandNames;
    // Alternating header text, decimal command number.
    std::vector<std::string> CommandHeaders;

    size_t size() const { return CommandNames.size(); }
    bool IsCommentedOut(size_t n) const { return n < CommandFlags.size() && CommandFlags[n] == "C"; }
};

// Parameter n of the command with the given id: the line n positions after
// the first line equal to the id, in the last list that holds the id. n = 0
// gives the id line itself; an id found nowhere gives the empty text. A line
// beyond the end of its list raises a ScriptError (list index out of bounds).
std::string GetParameter(const std::vector<std::vector<std::string>>& blocks, const std::string& id, size_t n);

// Command headers by command number, with the header pass flag of session
// start: while it is set a missing header yields the empty text, otherwise it
// raises "Unable to obtain command headers. Please rebuild your project.".
class CommandHeaderTable {
public:
    void Load(const std::vector<std::string>& alternating);
    std::string Get(size_t commandNumber) const;
    void SetHeaderPass(bool on) { headerPass_ = on; }

private:
    std::unordered_map<std::string, std::string> byNumber_;
    bool headerPass_ = false;
};

// Label name (upper case) to the command number of its "Label" command.
class LabelTable {
public:
    // Every command named "Label", commented out or not; the first of two
    // equal names wins.
    void Build(const Script& script);
    void Clear() { labels_.clear(); }
    // Raises ScriptError "LABEL undefined: " + name when the label is unknown.
    size_t Find(const std::string& name) const;
    bool Contains(const std::string& name) const;
    // Appends a label; used by the script check while it walks the script.
    void Add(const std::string& name, size_t commandNumber);

private:
    std::vector<std::pair<std::string, size_t>> labels_;
};
