#pragma once
// Helpers for tests that build 7z archives with outside tools (7zz, py7zr,
// bsdtar) and compare what our library extracts with the originals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <random>
#include <string>
#include <vector>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/Extractor.h"
#include "support/TempDir.h"

namespace fixtures {

inline int Run(const std::string& command) { return std::system(("LANG=C.UTF-8 " + command).c_str()); }

inline bool HaveCommand(const std::string& name) { return Run("command -v " + name + " >/dev/null 2>&1") == 0; }

inline bool HavePy7zr() { return Run("/usr/bin/python3 -c 'import py7zr' >/dev/null 2>&1") == 0; }

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Deterministic bytes: random, text-like, or x86-like code full of relative
// calls and jumps so that the branch filters have something to convert.
inline std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

inline std::string TextBytes(size_t lines, uint32_t seed) {
    std::mt19937 rng(seed);
    static const char* words[] = {"alpha", "beta", "setup", "engine", "archive", "folder", "value", "\r\n"};
    std::string s;
    for (size_t i = 0; i < lines; ++i) {
        for (int w = 0; w < 8; ++w) s += std::string(words[rng() % 8]) + " ";
        s += std::to_string(rng() % 1000) + "\r\n";
    }
    return s;
}

inline std::string CodeBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        switch (rng() % 6) {
            case 0: s += '\xE8'; break;           // call rel32
            case 1: s += '\xE9'; break;           // jmp rel32
            case 2: s += "\x0F\x85"; break;       // jnz rel32
            default: s += static_cast<char>(0x50 + rng() % 8); continue;
        }
        int32_t target = static_cast<int32_t>(rng() % 0x20000) - 0x10000;
        for (int i = 0; i < 4; ++i) s += static_cast<char>((target >> (8 * i)) & 0xFF);
    }
    s.resize(size);
    return s;
}

// The sample tree every archive test packs: name (UTF-8, "/" separated) to
// bytes; names ending in "/" are empty folders.
inline std::map<std::string, std::string> SampleTree() {
    return {
        {"random.bin", RandomBytes(200000, 1)},
        {"docs/readme.txt", TextBytes(3000, 2)},
        {"docs/deeper/copy.txt", TextBytes(3000, 2)},
        {"program.exe", CodeBytes(300000, 3)},
        {"empty.txt", ""},
        {"empty folder/", ""},
        {"caf\xC3\xA9 \xC3\x9Cnic\xC3\xB6" "de.txt", TextBytes(50, 4)},
        {"tiny.dat", "x"},
    };
}

inline void WriteTree(const std::filesystem::path& root, const std::map<std::string, std::string>& tree) {
    for (const auto& [name, bytes] : tree) {
        auto path = root / name;
        if (!name.empty() && name.back() == '/') {
            std::filesystem::create_directories(path);
            continue;
        }
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
}

// The name our library writes on the host: Windows-1252 bytes for the
// Latin-1 letters of the UTF-8 sample names.
inline std::string AnsiName(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Every file below root, or anything else that is not a folder, relative
// and sorted; nothing when root does not exist.
inline std::vector<std::string> FilesBelow(const std::filesystem::path& root) {
    std::vector<std::string> files;
    if (std::filesystem::exists(root))
        for (auto& e : std::filesystem::recursive_directory_iterator(root))
            if (!e.is_directory()) files.push_back(std::filesystem::relative(e.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

// Every file below `ours` is complete: the same bytes as the file of that
// name below `reference`.
inline void ExpectOnlyCompleteFiles(const std::filesystem::path& ours, const std::filesystem::path& reference) {
    for (const std::string& name : FilesBelow(ours))
        EXPECT_EQ(ReadWholeFile((ours / name).string()), ReadWholeFile((reference / name).string())) << name;
}

// Extracts the archive with 7zz into destination, the reference to compare with.
inline void ExtractWith7zz(const std::string& archivePath, const std::string& destination) {
    ASSERT_EQ(Run("7zz x -bd -y -o" + Quote(destination) + " " + Quote(archivePath) + " >/dev/null"), 0);
}

// Extracts every entry of the archive as `request` says (its targets are
// filled in here); the library's error code, or kKebErrorNone.
inline uint32_t ExtractAll(const std::string& archivePath, keb::ExtractRequest request, KebProgressCallback progress) {
    try {
        keb::PasswordProvider password(nullptr, nullptr);
        keb::Archive archive(archivePath, password);
        for (const auto& entry : archive.database().entries) request.targets.push_back(entry.name);
        keb::ExtractionProgress extraction(progress);
        keb::ExtractEntries(archive, password, extraction, request);
    } catch (const keb::ArchiveError& e) {
        return e.code();
    }
    return kKebErrorNone;
}

// Every file and folder of the tree is in `root` with the same bytes, and
// nothing else is there.
inline void ExpectTreeExtracted(const std::filesystem::path& root, const std::map<std::string, std::string>& tree) {
    size_t expected = 0;
    for (const auto& [name, bytes] : tree) {
        std::string ansi = AnsiName(name);
        auto path = root / ansi;
        if (name.back() == '/') {
            EXPECT_TRUE(std::filesystem::is_directory(path)) << ansi;
        } else {
            EXPECT_EQ(ReadWholeFile(path.string()), bytes) << ansi;
            EXPECT_TRUE(std::filesystem::is_regular_file(path)) << ansi;
        }
    }
    std::set<std::string> present;
    for (auto it = std::filesystem::recursive_directory_iterator(root); it != std::filesystem::recursive_directory_iterator(); ++it)
        if (it->is_regular_file()) present.insert(std::filesystem::relative(it->path(), root).string());
    for (const auto& [name, bytes] : tree)
        if (name.back() != '/') ++expected;
    EXPECT_EQ(present.size(), expected) << "unexpected extra or missing files";
}

}  // namespace fixtures
