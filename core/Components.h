#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The component list: the product's selectable features, their states
// ("TRUE"/"FALSE"), descriptions and sizes. One list per process, reset at
// every script run; names compare without regard to case. The size table is
// separate: it is filled from the payload and by definitions, and survives
// ClearComponents.

inline constexpr const char* kPredefinedComponent = "ZOLT-PREDEF-COMPONENT";

int ComponentIndex(const std::string& name);  // -1 when absent
bool ComponentExists(const std::string& name);
// A required component is always defined selected; the feature tree and
// list never deselect it (the script's own commands still may).
void DefineComponent(const std::string& name, const std::string& description, bool selected, bool required = false);
bool IsComponentRequiredAt(int index);
void SetComponentState(const std::string& name, bool selected);  // existing components only
void SetComponentStateAt(int index, bool selected);
bool IsComponentSelected(const std::string& name);
std::string ComponentDescription(const std::string& name);
int64_t ComponentSize(const std::string& name);  // 0 for unknown names
// Sets the size of an existing component (added to the size table when it
// has no entry yet); does nothing for unknown components.
void SetComponentSize(const std::string& name, int64_t bytes);
void ClearComponents();  // names, states and descriptions; sizes stay

// Names and states in list order (for the feature tree and instance files).
std::vector<std::string> ComponentNames();
std::vector<std::string> ComponentStates();

// The size table: alternating upper-case name and decimal size, from the payload.
void LoadComponentSizes(const std::vector<std::string>& alternating);

// Bytes of the components selected in the loaded instance; RequiredSpace
// subtracts it so a maintenance run asks only for what it adds.
void SetInstalledSizeBaseline(int64_t bytes);
int64_t InstalledSizeBaseline();
// Sum of the sizes of the selected components, minus the baseline.
int64_t RequiredSpace();
// Free bytes available to the user on the drive of TARGETDIR; -1 when TARGETDIR is empty.
int64_t FreeSpaceOnTarget();
int64_t SpaceLeftAfterInstall();

// "1,205 KB": bytes below 1 MiB (and negative values) in bytes, below 1 GiB
// in KB, else in MB; integer division, digits grouped by three.
std::string FormatSize(int64_t bytes);

// Component files (".dat", feature selections):
//   names, "$", states, "$", TARGETDIR, ALLUSERS, STARTMENU [, data folder in short form]
// Without merge the saved components are appended to the list; with merge
// only the states of components already in the list are taken over. Both
// define TARGETDIR, ALLUSERS and STARTMENU from the file. Returns false when
// the file does not exist (nothing changes). A truncated file gives what it
// holds; with merge (a script loading feature selections) it then raises a
// ScriptError naming the file.
bool LoadComponentFile(const std::string& path, bool merge);
// Writes the file; the data-folder line only when not selectionsOnly. Raises
// a ScriptError when the file cannot be written.
void SaveComponentFile(const std::string& path, bool selectionsOnly);
