#pragma once
#include <filesystem>
#include <string>

// `orvanta new`: a project that builds and runs as it is, with the standard
// wizard (welcome, licence, features, destination, progress, finish), the
// removal confirmation and its progress page, a package skeleton with fresh
// GUIDs, a files folder and the standard pages' translations.
//
// The folder must not exist yet or be an empty folder (never a link); the
// title defaults to the folder's name. Throws std::runtime_error.
void CreateNewProject(const std::filesystem::path& folder, const std::string& title);

// A GUID in braces, upper case, version 4, from the system's random source.
std::string RandomGuid();
