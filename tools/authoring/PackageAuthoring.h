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
};

// The width of the setup being built. An x64 setup carries the 64-bit engine
// and a 64-bit package whose authored components use the 64-bit registry view.
enum class SetupArch { x86, x64 };

RecordedRows AuthorRecordedRows(const Project& project, SetupArch arch = SetupArch::x86);
