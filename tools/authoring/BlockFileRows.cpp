#include "tools/authoring/BlockFileRows.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "system/TextUtils.h"

namespace fs = std::filesystem;

namespace {

// The recording commands the engine fetches a block for.
bool Fetches(const std::string& kind) {
    static const std::set<std::string> kinds = {"Install Files", "Install Assembly", "Install ODBC Driver",
                                                "Install Service"};
    return kinds.count(kind) > 0;
}

std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string Slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The folder a fetched file lies in, below the data folder: the first map
// entry that moves it, else its place below the block's own folder.
std::string FetchedFolder(const Project& project, const std::string& block, const std::string& inner) {
    const std::vector<std::string>& map = project.payload.project.MediaFileMap;
    for (size_t i = 0; i + 2 < map.size(); i += 3)
        if (SameText(map[i], block) && SameText(Backslashed(map[i + 1]), inner))
            return map[i + 2].empty() ? std::string() : WithBackslash(map[i + 2]);
    const size_t slash = inner.rfind('\\');
    return block + "\\" + (slash == std::string::npos ? std::string() : inner.substr(0, slash + 1));
}

class BlockRows {
public:
    BlockRows(const RecordingCommand& c, PackageRows& rows) : c_(c), rows_(rows) {}

    void Author(const std::vector<BlockFile>& files) {
        for (const BlockFile& file : files) folders_[file.targetFolder].push_back(&file);
        rows_.Table("MoveFile", "`FileKey` CHAR(72) NOT NULL, `Component_` CHAR(72) NOT NULL, `SourceName` CHAR(255) "
                                "LOCALIZABLE, `DestName` CHAR(255) LOCALIZABLE, `SourceFolder` CHAR(72), `DestFolder` "
                                "CHAR(72) NOT NULL, `Options` SHORT NOT NULL PRIMARY KEY `FileKey`");
        rows_.Sequence("MoveFiles", 3800);
        rows_.Sequence("RemoveFiles", 3500);
        rows_.Body() << "<Directory Id=\"" << Property(c_, 1) << "\" Name=\".\">\n";
        Folder("", Property(c_, 1));
        rows_.Body() << "</Directory>\n";
    }

private:
    // The folder's files, then its subfolders, each a Directory below it.
    void Folder(const std::string& folder, const std::string& directory) {
        const auto files = folders_.find(folder);
        if (files != folders_.end()) {
            const std::string component = Next("C");
            rows_.Body() << rows_.Component(c_, component, "<CreateFolder />");
            for (const BlockFile* file : files->second) Rows(*file, component, directory);
        }
        std::set<std::string> children;
        for (const auto& [path, unused] : folders_) {
            if (path.size() <= folder.size() || (!folder.empty() && path.compare(0, folder.size() + 1, folder + "/")))
                continue;
            const std::string rest = path.substr(folder.empty() ? 0 : folder.size() + 1);
            children.insert(rest.substr(0, rest.find('/')));
        }
        for (const std::string& child : children) {
            const std::string id = Next("D");
            rows_.Body() << "<Directory Id=\"" << id << "\" Name=\"" << Xml(child) << "\">\n";
            Folder(folder.empty() ? child : folder + "/" + child, id);
            rows_.Body() << "</Directory>\n";
        }
    }

    // Copied from the data folder when the component is installed, deleted when it is removed.
    void Rows(const BlockFile& file, const std::string& component, const std::string& directory) {
        const std::string n = std::to_string(++counter_);
        const std::string source = "S" + c_.header + "_" + n;
        rows_.Statement("INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('Set" + source +
                        "', 51, '" + source + "', '[SRCDIR]" + Sql(file.fetchedFolder) + "')");
        rows_.Statement("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('Set" + source +
                        "', 3790)");
        rows_.Statement("INSERT INTO `MoveFile` (`FileKey`, `Component_`, `SourceName`, `DestName`, `SourceFolder`, "
                        "`DestFolder`, `Options`) VALUES ('M" + c_.header + "_" + n + "', '" + component + "', '" +
                        Sql(file.name) + "', '" + file.name + "', '" + source + "', '" + directory + "', 0)");
        rows_.Statement("INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, "
                        "`InstallMode`) VALUES ('R" + c_.header + "_" + n + "', '" + component + "', '" + file.name +
                        "', '" + directory + "', 2)");
    }

    std::string Next(const char* prefix) { return prefix + c_.header + "_" + std::to_string(++counter_); }

    const RecordingCommand& c_;
    PackageRows& rows_;
    std::map<std::string, std::vector<const BlockFile*>> folders_;
    int counter_ = 0;
};

// The files of parameter k, appended to out.
void ParameterFiles(const Project& project, const RecordingCommand& c, size_t k, const WebMediaFolder& block,
                    std::vector<BlockFile>& out) {
    const fs::path root = (fs::path(project.folder) / Slashed(block.second)).lexically_normal();
    const fs::path source = (fs::path(project.folder) / Slashed(c.at(k))).lexically_normal();
    const fs::path inside = source.lexically_relative(root);
    if (inside.empty() || *inside.begin() == "..")
        throw ParameterError(k, "'" + c.at(k) + "' is not in the folder '" + block.second + "' of web media block " +
                                    block.first + ": its files travel only in the block's archive");
    std::vector<fs::path> files;
    if (fs::is_directory(source)) {
        for (const auto& e : fs::recursive_directory_iterator(source))
            if (e.is_regular_file()) files.push_back(e.path());
        std::sort(files.begin(), files.end());
    } else {
        files.push_back(source);
    }
    for (const fs::path& file : files) {
        BlockFile f;
        f.projectPath = fs::relative(file, project.folder).generic_string();
        const fs::path below = fs::is_directory(source) ? file.parent_path().lexically_relative(source) : fs::path();
        f.targetFolder = below == "." ? std::string() : below.generic_string();
        const std::string inner = Backslashed(file.lexically_relative(root).generic_string());
        f.fetchedFolder = FetchedFolder(project, block.first, inner);
        f.name = file.filename().string();
        Sql(f.name);
        out.push_back(std::move(f));
    }
}

}  // namespace

const WebMediaFolder* FetchedBlock(const Project& project, const RecordingCommand& c) {
    const Script& s = project.payload.script;
    if (project.payload.project.MediaMode != 2 || !Fetches(c.name) || c.number >= s.CommandMediaFolders.size())
        return nullptr;
    std::string name = s.CommandMediaFolders[c.number];
    if (!name.empty() && name.back() == '\\') name.pop_back();
    // A project that builds no blocks fetches archives made elsewhere (a
    // decompiled setup's): its files stay in the package.
    if (name.empty() || SameText(name, "OFFLINE") || project.webMedia.empty()) return nullptr;
    for (const WebMediaFolder& block : project.webMedia)
        if (SameText(block.first, name)) return &block;
    std::string known;
    for (const WebMediaFolder& block : project.webMedia) known += (known.empty() ? "" : ", ") + block.first;
    throw std::runtime_error("media=" + s.CommandMediaFolders[c.number] +
                             " names no web media block of the project (its blocks: " + known + ")");
}

std::vector<size_t> FileParameters(const RecordingCommand& c) {
    if (c.name != "Install ODBC Driver") return {1};
    if (c.at(3).empty() || c.at(3) == c.at(2)) return {2};
    return {2, 3};
}

std::vector<BlockFile> BlockFiles(const Project& project, const RecordingCommand& c, const WebMediaFolder& block) {
    std::vector<BlockFile> out;
    for (size_t k : FileParameters(c)) {
        const size_t first = out.size();
        ParameterFiles(project, c, k, block, out);
        if (c.name != "Install Files" && out[first].fetchedFolder != out.front().fetchedFolder)
            throw ParameterError(k, "'" + c.at(k) + "' is fetched into '" + out[first].fetchedFolder + "', p" +
                                        std::to_string(FileParameters(c).front()) + " into '" +
                                        out.front().fetchedFolder + "': the command's files install from one folder");
    }
    return out;
}

void AuthorBlockFiles(const RecordingCommand& c, PackageRows& rows, const WebMediaFolder& block) {
    BlockRows(c, rows).Author(BlockFiles(rows.project(), c, block));
}

namespace {

// The files not in the cabinet lie on a medium of their own, the source
// folder; the sequence numbers stay above those of the cabinet's files.
constexpr const char* kFetchedDisk = "30000";
constexpr int kFetchedSequence = 1000000;

// The command's files as File rows not compressed (the installer copies
// them from its source folder, below which the folder P<H>_1 names the
// folders the fetch leaves them in), the first the component's key path.
void AuthorFetchedFiles(const RecordingCommand& c, PackageRows& rows, const WebMediaFolder& block,
                        const std::vector<std::string>& ids) {
    const std::vector<BlockFile> files = BlockFiles(rows.project(), c, block);
    // A package source without files of its own gets no file actions from the WiX compiler.
    rows.Sequence("RemoveFiles", 3500);
    rows.Sequence("InstallFiles", 4000);
    if (rows.Next("fetched files") == 1) {
        // The package's source is then not compressed, so that these files are
        // found by their folders; the files the WiX compiler put into the
        // cabinet (vital, 512, or none) are flagged compressed (16384).
        rows.SetUncompressedSource();
        rows.Statement("UPDATE `File` SET `Attributes` = 16896 WHERE `Attributes` = 512");
        rows.Statement("UPDATE `File` SET `Attributes` = 16384 WHERE `Attributes` = 0");
        // The cabinet is embedded and needs no source folder: the data folder can be it.
        rows.Statement("INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('SourceFromData', "
                       "51, 'SourceDir', '[SRCDIR]')");
        rows.Statement("INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES "
                       "('SourceFromData', 'SRCDIR', 5)");
        rows.Statement(std::string("INSERT INTO `Media` (`DiskId`, `LastSequence`) VALUES (") + kFetchedDisk +
                       ", 2147483647)");
    }
    std::string parent = "TARGETDIR", folder, below = files.front().fetchedFolder;
    int folders = 0;
    for (size_t slash; (slash = below.find('\\')) != std::string::npos; below.erase(0, slash + 1)) {
        if (!folder.empty()) {
            const std::string id = "B" + c.header + "_" + std::to_string(++folders);
            rows.Statement("INSERT INTO `Directory` (`Directory`, `Directory_Parent`, `DefaultDir`) VALUES ('" + id +
                           "', '" + parent + "', '.:" + Sql(folder) + "')");
            parent = id;
        }
        folder = below.substr(0, slash);
    }
    if (!folder.empty())
        rows.Statement("UPDATE `Directory` SET `Directory_Parent` = '" + parent + "', `DefaultDir` = '.:" + Sql(folder) +
                       "' WHERE `Directory` = '" + Property(c, 1) + "'");
    const std::string component = "C" + c.header;
    for (size_t i = 0; i < files.size(); ++i) {
        const auto size = fs::file_size(fs::path(rows.project().folder) / files[i].projectPath);
        rows.Statement("INSERT INTO `File` (`File`, `Component_`, `FileName`, `FileSize`, `Attributes`, `Sequence`) "
                       "VALUES ('" + ids[i] + "', '" + component + "', '" + files[i].name + "', " +
                       std::to_string(size) + ", 8192, " + std::to_string(kFetchedSequence + rows.Next("fetched file")) +
                       ")");
    }
    rows.Statement("UPDATE `Component` SET `KeyPath` = '" + ids.front() + "' WHERE `Component` = '" + component + "'");
    rows.Body() << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n"
                << rows.Component(c, component, "") << "</Directory>\n";
}

}  // namespace

void AuthorCommandFiles(const RecordingCommand& c, PackageRows& rows) {
    std::vector<std::string> ids;
    for (size_t i = 0; i < FileParameters(c).size(); ++i) ids.push_back((i == 0 ? "F" : "G") + c.header);
    if (const WebMediaFolder* block = FetchedBlock(rows.project(), c)) return AuthorFetchedFiles(c, rows, *block, ids);
    std::string files;
    for (size_t i = 0; i < ids.size(); ++i) files += rows.File(ids[i], c.at(FileParameters(c)[i]), i == 0);
    rows.Body() << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n"
                << rows.Component(c, "C" + c.header, files) << "</Directory>\n";
}
