#pragma once
#include <functional>
#include <string>

// The destination folder as the dialogs handle it. A TARGETDIR that does not
// exist yet keeps its "tail" (the part below the deepest folder that exists),
// so that browsing to another drive keeps the product's own folder names:
// with C:\Program Files\Acme\Tool where only C:\Program Files exists, the
// tail is Acme\Tool and choosing D:\Apps gives D:\Apps\Acme\Tool.

using FolderTest = std::function<bool(const std::string& folder)>;

// "C:\a\b" and "C:\a\b\" both give "C:\a\"; a folder without a parent gives itself.
std::string ParentFolder(const std::string& folder);
// The folder itself when it exists, else its nearest existing parent (with
// a trailing backslash); the topmost parent when none exists.
std::string DeepestExistingFolder(const std::string& folder, const FolderTest& exists);
// The part of the target below its deepest existing folder; empty when the
// target exists.
std::string TargetTail(const std::string& target, const FolderTest& exists);
// The target after the user chose a folder: unchanged when the chosen folder
// is a prefix of it (ignoring case), else the chosen folder and the tail.
std::string ChosenTarget(const std::string& shownTarget, const std::string& tail, const std::string& chosen);
