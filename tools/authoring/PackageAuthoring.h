#pragma once
#include <string>
#include <vector>

#include "tools/authoring/ProjectSource.h"

// The installer rows behind the recording commands. Every recording command
// with header H owns rows guarded by the component condition A<H>="TRUE" and
// fed by its P<H>_k properties, which the engine records at run time:
//
//   Install Files   p1 source file or folder (relative to the project), p3 target folder (P<H>_1)
//   Create Folder   p1 folder (P<H>_1)
//   Write Registry  p1 root (HKLM, HKCU, HKCR, HKU, HKMU), p2 type (string, integer,
//                   expandable), p3 key (P<H>_1), p4 name (P<H>_2), p5 value (P<H>_3)
//   Create Shortcut p1 target (P<H>_2), p2 name, p3 folder (P<H>_1), p4 description,
//                   p5 arguments (P<H>_3), p6 working folder (P<H>_4)
//   Edit INI File   p1 folder (P<H>_1), p2 file name, p3 action (0 add line, 1 create
//                   line, 3 add tag), p4 section (P<H>_2), p5 key (P<H>_3), p6 value (P<H>_4)
//   Set Environment p1 name with the installer's prefixes (for example "=-*NAME"),
//                   p2 value (P<H>_1)
//   Install Service p1 program (a file of the project), p2 folder (P<H>_1), p3 type
//                   (own, shared, own-interactive, shared-interactive), p4 name (P<H>_2),
//                   p5 display name (P<H>_3), p6 description (P<H>_9), p7 start (auto,
//                   demand, disabled), p8 error control (normal, ignore, critical),
//                   p9 account (P<H>_4), p10 password (P<H>_5), p11 and p12 what happens
//                   to the service when the component is installed and removed (start,
//                   stop, remove), p13 arguments (P<H>_6), p14 dependencies (P<H>_7),
//                   p15 load order group (P<H>_8)
//   Control Service p1 name (P<H>_1), p2 arguments (P<H>_2), p3 and p4 as p11 and p12
//                   above, p5 wait for the service (flag)
//   Create File Type p1 file type (P<H>_1), p2 extension without its dot (P<H>_2),
//                   p3 description (P<H>_3), p4 program (P<H>_4), p5 its arguments
//                   (P<H>_5), p6 verb (default "open")
//   Copy/Move Local Files p1 source folder (P<H>_1), p2 file name (wildcards allowed),
//                   p3 destination folder (P<H>_2), p4 new name, p5 move (flag)
//   Delete Files    p1 folder (P<H>_1), p2 file name (wildcards allowed), p3 when the
//                   component is installed (flag), p4 when it is removed (flag)
//   Install ODBC Driver p1 driver name, p2 driver library and p3 its setup library
//                   (files of the project; no p3: the driver library), p4 folder
//                   (P<H>_1), p5 attributes ("Key=Value;Key=Value")
//   Create ODBC DSN p1 data source name, p2 driver name, p3 machine or user,
//                   p4 attributes
//   Advertised File Type p1 file type (ProgId), p2 extension without its dot,
//                   p3 description, p4 program (a file of the project), p5 verb,
//                   p6 its arguments, p7 the program's folder below Program Files
//   Advertised Shortcut p1 program (a file of the project), p2 name, p3 folder
//                   (P<H>_1), p4 description, p5 arguments (P<H>_3), p6 working
//                   folder (P<H>_4), where the program is installed
//   Install Assembly p1 the assembly (a file of the project), p2 into the global
//                   assembly cache (flag), p3 folder (P<H>_1), p4 name, p5 version,
//                   p6 culture, p7 public key token, p8 processor architecture
//
// A folder recorded as P<H>_1 is a directory of that name below TARGETDIR:
// setting the property places the directory.

struct RecordedRows {
    // WiX elements for the package source, to be placed inside <Product>.
    std::string wix;
    // SQL statements for what the WiX compiler cannot express (component
    // conditions, INI and environment rows with their actions), run on the
    // compiled package.
    std::vector<std::string> sql;
    // Files outside the cabinet: the package's source is to be marked not
    // compressed (SetSourceUncompressed).
    bool uncompressedSource = false;
};

// The width of the setup being built. An x64 setup carries the 64-bit engine
// and a 64-bit package whose authored components use the 64-bit registry view.
enum class SetupArch { x86, x64 };

// Parameter values of a recording command that give no rows are a
// SourceError at the command's source line.
RecordedRows AuthorRecordedRows(const Project& project, SetupArch arch = SetupArch::x86);

// Every such error of the project's recording commands, as "file:line: text".
std::vector<std::string> RecordingCommandErrors(const Project& project);
