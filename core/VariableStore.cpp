#include "core/VariableStore.h"

#include <cstdint>
#include <functional>
#include <queue>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "core/ScriptError.h"
#include "system/CommaText.h"
#include "system/TextUtils.h"

namespace {

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

struct CaseInsensitiveHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const {
        uint64_t h = 1469598103934665603ull;  // FNV-1a over the upper-cased bytes
        for (char c : text) h = (h ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211ull;
        return static_cast<size_t>(h);
    }
};
struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};

// The list in store order plus an index from name to positions, so that
// lookups and expansion do not walk names the caller never mentions. A name
// can sit at several positions only after RestoreVariables of such a list;
// the first position is the variable, the others still take part in
// expansion as the plain list would.
class Store {
public:
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }

    const std::vector<size_t>* Positions(std::string_view name) const {
        auto it = index_.find(name);
        return it == index_.end() ? nullptr : &it->second;
    }
    std::pair<std::string, std::string>* Find(std::string_view name) {
        const auto* positions = Positions(name);
        return positions ? &entries_[positions->front()] : nullptr;
    }
    void Append(const std::string& name, const std::string& value) {
        const size_t position = entries_.size();
        entries_.emplace_back(name, value);
        index_[name].push_back(position);
        if (name.find('$') != std::string::npos) namesWithDollar_.push_back(position);
        if (name.size() > longestName_) longestName_ = name.size();
    }
    void Clear() {
        entries_.clear();
        index_.clear();
        namesWithDollar_.clear();
        longestName_ = 0;
    }
    // Positions of names that cannot be found between two neighbouring "$".
    const std::vector<size_t>& NamesWithDollar() const { return namesWithDollar_; }
    size_t LongestName() const { return longestName_; }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
    std::unordered_map<std::string, std::vector<size_t>, CaseInsensitiveHash, CaseInsensitiveEqual> index_;
    std::vector<size_t> namesWithDollar_;
    size_t longestName_ = 0;
};

std::recursive_mutex& StoreMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

Store& TheStore() {
    static Store store;
    return store;
}

bool OverriddenWhileSilent(const std::string& name, const std::string& source) {
    if (source == kOverrideSource || !Startup().silent) return false;
    for (const auto& [overrideName, value] : Startup().overrides)
        if (SameText(overrideName, name)) return true;
    return false;
}

std::string Reference(const std::string& name) { return "$" + name + "$"; }


// One substitution pass: every variable in store order replaces its
// references in the text as it stands after the variables before it. Only
// variables whose reference can occur are visited: candidates are the texts
// between neighbouring "$" signs, found again whenever a value changed the text.
class ExpansionPass {
public:
    ExpansionPass(const Store& store, std::string text) : store_(store), text_(std::move(text)) {}

    std::string Run(std::vector<size_t>& substituted) {
        AddCandidates(0, true);
        while (!queue_.empty()) {
            const size_t position = queue_.top();
            queue_.pop();
            const auto& [name, value] = store_.Entries()[position];
            std::string replaced = ReplaceText(text_, Reference(name), value, true);
            if (replaced == text_) continue;
            text_ = std::move(replaced);
            substituted.push_back(position);
            AddCandidates(position, false);
        }
        return std::move(text_);
    }

private:
    void Offer(size_t position, size_t after, bool first) {
        if ((first || position > after) && queued_.insert(position).second) queue_.push(position);
    }

    void AddCandidates(size_t after, bool first) {
        size_t open = text_.find('$');
        while (open != std::string::npos) {
            const size_t close = text_.find('$', open + 1);
            if (close == std::string::npos) break;
            const size_t length = close - open - 1;
            if (length <= store_.LongestName()) {
                if (const auto* positions = store_.Positions(std::string_view(text_).substr(open + 1, length)))
                    for (size_t position : *positions) Offer(position, after, first);
            }
            open = close;
        }
        if (text_.find('$') != std::string::npos)
            for (size_t position : store_.NamesWithDollar()) Offer(position, after, first);
    }

    const Store& store_;
    std::string text_;
    std::priority_queue<size_t, std::vector<size_t>, std::greater<>> queue_;
    std::unordered_set<size_t> queued_;
};

// Whether the variable's value leads back to its own reference through the
// values of the variables it mentions.
bool RefersToItself(const Store& store, size_t start) {
    std::vector<size_t> pending{start};
    std::unordered_set<size_t> visited;
    while (!pending.empty()) {
        const size_t position = pending.back();
        pending.pop_back();
        const std::string& value = store.Entries()[position].second;
        for (size_t open = value.find('$'); open != std::string::npos;) {
            const size_t close = value.find('$', open + 1);
            if (close == std::string::npos) break;
            if (const auto* targets = store.Positions(std::string_view(value).substr(open + 1, close - open - 1)))
                for (size_t target : *targets) {
                    if (target == start) return true;
                    if (visited.insert(target).second) pending.push_back(target);
                }
            open = close;
        }
    }
    return false;
}

[[noreturn]] void ThrowSelfReference(const std::string& name) {
    throw ScriptError("Variable refers to itself and cannot be expanded: " + name);
}

// Passes after which an unstable expansion is examined for a cycle; a chain
// of references between distinct variables settles in fewer passes than the
// store has variables.
constexpr int kPassesBeforeCycleCheck = 32;
constexpr size_t kLengthBeforeCycleCheck = 64u << 10;
constexpr int kPassesBeforeLengthLimit = 8;
constexpr size_t kLengthLimit = 4u << 20;

std::string ExpandOnePass(const std::string& text, int passNumber) {
    auto lock = LockVariableStore();
    const Store& store = TheStore();
    std::vector<size_t> substituted;
    std::string result = ExpansionPass(store, NewlineToCrLf(text)).Run(substituted);
    const bool suspicious = passNumber > kPassesBeforeCycleCheck || result.size() > kLengthBeforeCycleCheck;
    if (suspicious && result != text) {
        for (size_t position : substituted)
            if (RefersToItself(store, position)) ThrowSelfReference(store.Entries()[position].first);
        // References assembled from pieces of several values escape the
        // check above; past these bounds no settling expansion goes on.
        const bool runaway = passNumber > kPassesBeforeCycleCheck + static_cast<int>(store.Entries().size()) ||
                             (passNumber > kPassesBeforeLengthLimit && result.size() > kLengthLimit);
        if (runaway && !substituted.empty()) ThrowSelfReference(store.Entries()[substituted.front()].first);
    }
    return result;
}

}  // namespace

std::unique_lock<std::recursive_mutex> LockVariableStore() { return std::unique_lock(StoreMutex()); }

void DefineVariable(const std::string& name, const std::string& value, const std::string& source) {
    if (name.empty()) return;
    {
        auto lock = LockVariableStore();
        if (!TheStore().Find(name)) TheStore().Append(name, "");
    }
    SetVariable(name, value, source);
}

void SetVariable(const std::string& name, const std::string& value, const std::string& source) {
    auto lock = LockVariableStore();
    if (OverriddenWhileSilent(name, source)) return;
    auto* entry = TheStore().Find(name);
    if (!entry) throw ScriptError(EngineText(EngineMessage::UndefinedVariableWrite) + name);
    entry->second = value;
}

std::string GetVariable(const std::string& name) {
    auto lock = LockVariableStore();
    const auto* entry = TheStore().Find(name);
    if (!entry) throw ScriptError(EngineText(EngineMessage::UndefinedVariableRead) + name);
    return entry->second;
}

bool VariableExists(const std::string& name) {
    auto lock = LockVariableStore();
    return TheStore().Find(name) != nullptr;
}

void ClearVariables() {
    auto lock = LockVariableStore();
    TheStore().Clear();
}

std::vector<std::pair<std::string, std::string>> ListVariables() {
    auto lock = LockVariableStore();
    return TheStore().Entries();
}

std::string SnapshotVariables() {
    auto lock = LockVariableStore();
    std::vector<std::string> items;
    items.reserve(TheStore().Entries().size() * 2);
    for (const auto& [name, value] : TheStore().Entries()) {
        items.push_back(name);
        items.push_back(value);
    }
    return ToCommaText(items);
}

void RestoreVariables(const std::string& commaText) {
    const std::vector<std::string> items = FromCommaText(commaText);
    auto lock = LockVariableStore();
    TheStore().Clear();
    for (size_t i = 0; i < items.size(); i += 2)
        TheStore().Append(items[i], i + 1 < items.size() ? items[i + 1] : std::string());
}

std::string ExpandText(const std::string& text) {
    std::string previous = text;
    std::string current = ExpandOnePass(previous, 1);
    for (int pass = 2; current.find('$') != std::string::npos && current != previous; ++pass) {
        previous = std::move(current);
        current = ExpandOnePass(previous, pass);
    }
    return current;
}
