// orvanta archive list|test|extract: the engine's view of a 7z archive, through
// the same front end and library the engine uses.
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <ctime>
#include <string>
#include <vector>

#include "Subcommand.h"
#include "keb/Archive.h"
#include "keb/LastError.h"
#include "keb/MethodNames.h"
#include "media/uSevenZipAPI.h"
#include "tools/authoring/CarriedSetup.h"

namespace {

struct ArchiveArguments {
    std::string action, archive, destination, password;
};

ArchiveArguments ParseArguments(const std::vector<std::string>& args) {
    ArchiveArguments a;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-p") {
            if (i + 1 >= args.size()) throw UsageError{"-p needs a password"};
            a.password = args[++i];
        } else if (args[i].rfind("-p", 0) == 0) {
            a.password = args[i].substr(2);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() < 2) throw UsageError{"an action and an archive are required"};
    a.action = positional[0];
    a.archive = positional[1];
    if (a.action == "extract") {
        // Like 7zz x: into the current folder unless a destination is given.
        if (positional.size() > 3) throw UsageError{"extract takes one destination folder"};
        a.destination = positional.size() == 3 ? positional[2] : ".";
    } else if ((a.action != "list" && a.action != "test") || positional.size() != 2) {
        throw UsageError{"unknown action or extra arguments"};
    }
    return a;
}

// The engine's text, and the library's own detail where it has one.
int Fail(const std::string& engineText) {
    std::string detail = keb::LastArchiveErrorText();
    if (engineText.rfind('#', 0) == 0 && !detail.empty())
        std::fprintf(stderr, "%s (%s)\n", engineText.c_str(), detail.c_str());
    else
        std::fprintf(stderr, "%s\n", engineText.c_str());
    return 1;
}

// "YYYY-MM-DD HH:MM:SS" in local time as 7zz shows it, or blanks when the archive gives no time.
std::string TimeText(uint64_t fileTime) {
    constexpr uint64_t kUnixEpoch = 116444736000000000ull;  // 1970-01-01 as FILETIME
    if (fileTime < kUnixEpoch) return std::string(19, ' ');
    const std::time_t seconds = static_cast<std::time_t>((fileTime - kUnixEpoch) / 10000000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// One line an entry (time, size or <folder>, name), then the totals.
void PrintListing(const std::vector<ArchiveListing>& entries) {
    uint64_t bytes = 0;
    size_t files = 0;
    for (const auto& e : entries) {
        if (e.isFolder) {
            std::printf("%s  %12s  %s\n", TimeText(e.modificationTime).c_str(), "<folder>", e.name.c_str());
            continue;
        }
        std::printf("%s  %12" PRIu64 "  %s\n", TimeText(e.modificationTime).c_str(), e.size, e.name.c_str());
        bytes += e.size;
        ++files;
    }
    std::printf("%zu file(s), %zu folder(s), %" PRIu64 " bytes\n", files, entries.size() - files, bytes);
}

// Each folder's coders by 7-Zip's names, as its listing's "Method" shows them.
void PrintFolderMethods(const std::string& archivePath, const std::string& password) {
    keb::PasswordProvider provider(password.c_str(), nullptr);
    keb::Archive archive(archivePath, provider);
    const auto& folders = archive.database().folders;
    for (size_t f = 0; f < folders.size(); ++f) std::printf("folder %zu: %s\n", f + 1, keb::FolderMethods(folders[f]).c_str());
}

int RunArchive(const std::vector<std::string>& args) {
    ArchiveArguments a = ParseArguments(args);
    // A single-file setup: the archive its launcher carries.
    std::optional<CarriedSetup> carried;
    if (CarriedSetup::IsLauncher(a.archive)) a.archive = carried.emplace(a.archive).archive().string();
    std::string error;
    if (a.action == "list") {
        std::vector<ArchiveListing> entries;
        if (!ListArchive(a.archive, a.password, error, entries)) return Fail(error);
        PrintListing(entries);
        PrintFolderMethods(a.archive, a.password);
        return 0;
    }
    // Testing is an extraction into no folder: every CRC is checked, nothing written.
    if (!ExtractArchiveFiles(a.archive, a.password, a.destination, {}, nullptr, error, true, true)) return Fail(error);
    std::printf("%s\n", a.action == "test" ? "Everything is OK" : "Extracted");
    return 0;
}

const OrvantaSubcommand kArchive("archive", "lists, tests or extracts a 7z archive",
                                 "archive list|test <archive> [-p password]\n"
                                 "       orvanta archive extract <archive> [destination: the current folder] [-p password]",
                                 &RunArchive);

}  // namespace
