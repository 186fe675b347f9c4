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

std::vector<BlockFile> BlockFiles(const Project& project, const RecordingCommand& c, const WebMediaFolder& block) {
    const fs::path root = (fs::path(project.folder) / Slashed(block.second)).lexically_normal();
    const fs::path source = (fs::path(project.folder) / Slashed(c.at(1))).lexically_normal();
    const fs::path inside = source.lexically_relative(root);
    if (inside.empty() || *inside.begin() == "..")
        throw ParameterError(1, "'" + c.at(1) + "' is not in the folder '" + block.second + "' of web media block " +
                                    block.first + ": its files travel only in the block's archive");
    std::vector<fs::path> files;
    if (fs::is_directory(source)) {
        for (const auto& e : fs::recursive_directory_iterator(source))
            if (e.is_regular_file()) files.push_back(e.path());
        std::sort(files.begin(), files.end());
    } else {
        files.push_back(source);
    }
    std::vector<BlockFile> out;
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
    return out;
}

void AuthorBlockFiles(const RecordingCommand& c, PackageRows& rows, const WebMediaFolder& block) {
    BlockRows(c, rows).Author(BlockFiles(rows.project(), c, block));
}
