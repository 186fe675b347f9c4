#pragma once
#include "tools/authoring/PackageRows.h"

// One pair of functions per kind of recording command: Check* refuses
// parameter values the rows cannot be made from (ParameterError), Author*
// checks the same and adds the rows. Parameters are listed in
// PackageAuthoring.h.

// ServiceRows.cpp
void CheckInstallService(const Project& project, const RecordingCommand& c);
void AuthorInstallService(const RecordingCommand& c, PackageRows& rows);
void CheckControlService(const Project& project, const RecordingCommand& c);
void AuthorControlService(const RecordingCommand& c, PackageRows& rows);

// FileTypeRows.cpp
void CheckCreateFileType(const Project& project, const RecordingCommand& c);
void AuthorCreateFileType(const RecordingCommand& c, PackageRows& rows);

// LocalFileRows.cpp
void CheckCopyMoveFiles(const Project& project, const RecordingCommand& c);
void AuthorCopyMoveFiles(const RecordingCommand& c, PackageRows& rows);
void CheckDeleteFiles(const Project& project, const RecordingCommand& c);
void AuthorDeleteFiles(const RecordingCommand& c, PackageRows& rows);

// OdbcRows.cpp
void CheckInstallOdbcDriver(const Project& project, const RecordingCommand& c);
void AuthorInstallOdbcDriver(const RecordingCommand& c, PackageRows& rows);
void CheckCreateOdbcDsn(const Project& project, const RecordingCommand& c);
void AuthorCreateOdbcDsn(const RecordingCommand& c, PackageRows& rows);

// AdvertisedRows.cpp
void CheckAdvertisedFileType(const Project& project, const RecordingCommand& c);
void AuthorAdvertisedFileType(const RecordingCommand& c, PackageRows& rows);
void CheckAdvertisedShortcut(const Project& project, const RecordingCommand& c);
void AuthorAdvertisedShortcut(const RecordingCommand& c, PackageRows& rows);

// AssemblyRows.cpp
void CheckInstallAssembly(const Project& project, const RecordingCommand& c);
void AuthorInstallAssembly(const RecordingCommand& c, PackageRows& rows);
