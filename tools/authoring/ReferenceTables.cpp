#include "tools/authoring/ReferenceTables.h"

#include <algorithm>
#include <sstream>

namespace {

std::vector<ReferenceTable> BuildTables() {
    return {
        {"variables", "Predefined variables",
         "Defined before the first command, in this order (the order `orvanta run` prints them). Command-line "
         "`NAME=value` pairs are applied after them.",
         {"Variable", "Start value", "Meaning"},
         {
             {"PRODUCTCODE", "the project's ProductCode", "the product the setup installs"},
             {"REVISIONCODE", "the project's RevisionCode", "the package code of this revision"},
             {"UNINSTALLLINK", "application data + revision code + the setup's file name",
              "the cached setup that maintenance and removal start"},
             {"DATADIR", "the setup's folder + `data\\`", "where web media blocks land (MediaMode 2: application "
                                                          "data + revision code)"},
             {"NEEDSUPGRADE", "TRUE or FALSE", "the product is installed with another revision"},
             {"MAINTENANCE", "TRUE or FALSE", "this revision is installed: the run changes, repairs or removes it"},
             {"TARGETDIR", "Program Files + Title + `\\` (an administrator), else below the user's folder",
              "the destination folder"},
             {"STARTMENU", "the project's Title", "the Start menu folder of the shortcuts"},
             {"ALLUSERS", "TRUE when the user is an administrator", "install for all users"},
             {"NEWINSTANCE", "TRUE or FALSE", "TRUE when the product is installed and no `instance.dat` lies beside "
                                               "the setup (Transform Instance)"},
             {"SELECTED", "0", "reserved"},
             {"WINDOWHANDLE", "0", "the window of the dialog that stays on screen"},
             {"EXEFILE", "the setup's full path", ""},
             {"EXEDIR", "the setup's folder", ""},
             {"PROGRESSTEXT", "empty", "the text a progress page shows (Tag 1)"},
             {"ABORT", "FALSE", "TRUE while the user asks to cancel (refreshed before every command)"},
             {"PROGRESS", "0", "the percentage a progress page shows (Tag 1)"},
             {"LASTERROR", "empty", "the installer's error text after a failed Apply Changes"},
             {"LICENSE", "FALSE", "for a licence check box"},
             {"USERNAME", "the registered owner", "for the user information page"},
             {"USERCOMPANY", "the registered organization", "for the user information page"},
             {"REBOOTCOMPUTER", "FALSE", "for a finish page's restart choice"},
             {"RUNAPP", "TRUE", "for a finish page's start-the-program choice"},
             {"WIZARD", "NEXT", "the last wizard answer"},
             {"SILENT", "TRUE with `/s`, else FALSE", "no windows, no questions; a script may switch it"},
             {"LOGGED", "the file of `/m=`", "the installer's log file"},
             {"CMDLINE", "the command line after the program", ""},
             {"SFXPATH", "the folder of `/l=`", "where a launcher started the setup from"},
             {"SFXFILE", "the file name of `/l=`", ""},
             {"COMPLETE", "TRUE", "for a setup-type page: everything"},
             {"MINIMUM", "FALSE", "for a setup-type page: the least"},
             {"PERSONALIZED", "FALSE", "for a setup-type page: the user chooses"},
             {"MODIFY", "TRUE", "maintenance: change the installed features"},
             {"REPAIR", "FALSE", "maintenance: repair"},
             {"REMOVE", "FALSE", "maintenance: remove the product (`REMOVE=TRUE` on the command line)"},
             {"ROOTDIR", "the setup's folder", ""},
             {"TITLE", "the project's Title", ""},
             {"COMPANY", "the project's Publisher", ""},
             {"ADVERTISE", "FALSE", "advertise the product instead of installing it"},
             {"DATE", "today, short date format", "refreshed before every command"},
             {"TIME", "now, long time format", "refreshed before every command"},
             {"TEMPDIR", "the system's temporary folder", ""},
             {"SUPPORTDIR", "the run's support folder (the .res files)", "removed at the end of the run"},
             {"MSIFILE", "the working copy of the package", ""},
             {"LANGUAGE", "the installation language (empty: the default)", "the translations follow it"},
         }},
        {"command-line", "The setup's command line",
         "What `setup.exe` takes; switch letters in any case.",
         {"Argument", "Effect"},
         {
             {"`/s` or `-s`", "silent: no windows, no questions; SILENT is TRUE"},
             {"`/m=<file>`", "the installer writes its log there (LOGGED)"},
             {"`/l=<path>` or `-l=<path>`", "the launcher's path: SFXPATH and SFXFILE; web media is looked for "
                                            "beside it"},
             {"`/p=<folder>` or `-p=<folder>`", "the installed setup's folder, for Apply Patch"},
             {"`/k=<password>` or `-k=<password>`", "the password of the web media archives (letter case kept)"},
             {"`NAME=value`", "defines or sets the variable NAME before the first command; in a silent run it "
                              "wins over the script's own assignments"},
             {"`REMOVE=TRUE`", "with `/s`: removes the installed product (the script's maintenance branch)"},
             {"`LANGUAGE=<language>`", "the installation language by name (German, French, ...)"},
         }},
        {"media-mode", "MediaMode",
         "The project value `MediaMode` says where the data of web media blocks lives.",
         {"MediaMode", "Effect"},
         {
             {"1 (the default)", "DATADIR is the setup's folder + `data\\`"},
             {"2", "DATADIR is the application data folder + revision code: blocks are cached there, and the "
                   "setup's `data\\` folder is where offline media is copied from"},
             {"3", "UNINSTALLLINK is read from the product's registered uninstall command before every command"},
         }},
        {"web-media", "WebMedia",
         "The project value that makes a web media block's archive, one line per block.",
         {"Value", "Meaning"},
         {
             {"`WebMedia = <block> | <folder>`", "`orvanta build` packs the project folder's files into "
                                                 "`<block>.7zip` beside the setup; \"Web Media Block\" names "
                                                 "the block and its URL, `media=\"<block>\\\"` the commands that "
                                                 "need it"},
             {"`MediaFile = <block> | <path inside> | <destination>`",
              "after extraction, that file of the block moves into the data folder's destination subfolder"},
         }},
        {"tags", "Control roles (Tag)",
         "A control's `Tag` gives it its role in a wizard dialog; `Hint` names the variable it shows and writes.",
         {"Control", "Tag", "Role"},
         {
             {"`TButton`, `TBitBtn`, `TSpeedButton`, `TLabel`, `TImage`, `TShape`", "1", "Next"},
             {"", "2", "Back"},
             {"", "3", "Cancel, after the question \"Are you sure you want to cancel?\""},
             {"", "4", "Browse for the destination folder"},
             {"", "5", "a custom exit: the result is the control's `Name`, upper-cased"},
             {"`TEdit`", "1 to 4", "shows `$STARTMENU$`, `$TARGETDIR$`, `$USER$` or `$COMPANY$` when its "
                                   "variable is empty; 2 is the destination folder that Browse fills"},
             {"`TMemo`, `TRichEdit`", "1, 2", "shows `readme.txt` or `license.txt` of the support folder "
                                              "(`readme.<Language>.txt` first; a rich edit takes `.rtf` first)"},
             {"`TStaticText`", "1", "the progress text (PROGRESSTEXT)"},
             {"", "2", "the description of the feature chosen in the tree or list"},
             {"", "3", "the size of that feature"},
             {"", "4", "the space the selected features need"},
             {"", "5", "the free space on the destination's drive"},
             {"", "6", "the free space left after the installation"},
             {"`TProgressBar`, `TGauge`", "1", "the progress (PROGRESS)"},
             {"`TTreeView`", "1", "the feature tree: a click on an item's icon opens its state menu"},
             {"`TCheckListBox`", "1", "the feature list: a check selects the feature"},
             {"`TFileListBox`, `TDirectoryListBox`, `TDriveComboBox`, `TPTShellTree`, `TPTShellList`, "
              "`TPTShellCombo`",
              "1", "starts at the destination folder; a choice sets the destination"},
             {"`THTMLViewer`", "1", "shows `index.htm` of the support folder"},
             {"`TFlashFrame`", "1", "plays `movie.swf` of the support folder"},
         }},
    };
}

std::string Unmarked(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '`'), text.end());
    return text;
}

}  // namespace

const std::vector<ReferenceTable>& ReferenceTables() {
    static const std::vector<ReferenceTable> tables = BuildTables();
    return tables;
}

const ReferenceTable* FindReferenceTable(const std::string& key) {
    for (const auto& table : ReferenceTables())
        if (key == table.key) return &table;
    return nullptr;
}

std::string ReferenceTableText(const ReferenceTable& table) {
    // A cell wider than this ends its line; the row goes on below it.
    constexpr size_t kWidest = 30;
    std::vector<size_t> widths(table.columns.size(), 0);
    for (const auto& row : table.rows)
        for (size_t c = 0; c + 1 < row.size(); ++c)
            widths[c] = std::max(widths[c], std::min(kWidest, Unmarked(row[c]).size()));
    std::ostringstream out;
    out << table.title << ": " << Unmarked(table.intro) << "\n";
    for (const auto& row : table.rows) {
        std::string line = " ";
        size_t column = 1;  // where the current cell should start
        for (size_t c = 0; c < row.size(); ++c) {
            if (line.size() > column) {
                out << line << "\n";
                line.clear();
            }
            line += std::string(column - line.size(), ' ') + " " + Unmarked(row[c]);
            column += 1 + widths[c];
        }
        out << line << "\n";
    }
    return out.str();
}

std::string ReferenceTablesMarkdown() {
    std::ostringstream out;
    for (const auto& table : ReferenceTables()) {
        out << "\n### " << table.title << "\n\n" << table.intro << "\n\n|";
        for (const char* column : table.columns) out << " " << column << " |";
        out << "\n|";
        for (size_t c = 0; c < table.columns.size(); ++c) out << "---|";
        out << "\n";
        for (const auto& row : table.rows) {
            out << "|";
            for (const char* cell : row) out << " " << cell << " |";
            out << "\n";
        }
    }
    return out.str();
}
