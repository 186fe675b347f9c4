#pragma once
#include <string>

#include "core/StartupValues.h"
#include "support/TempDir.h"
#include "system/HostMessageBoxes.h"
#include "system/HostRegistry.h"
#include "system/HostShellFolders.h"
#include "system/ShellFolders.h"

// A silent setup "sample" in a temporary folder on a machine with an
// administrator, the usual shell folders and an empty registry: the engine in
// setup\, its working copy of the package in temp\keb1\. Paths use
// backslashes as the engine writes them; the host's file service maps them
// onto the temporary folder.
struct SetupMachine {
    static constexpr const char* kProduct = "{ABCDEF12-2222-3333-4444-555555555555}";
    static constexpr const char* kRevision = "{99999999-2222-3333-4444-555555555555}";

    explicit SetupMachine(const TempDir& temp) : root(temp.path().string()) {
        Startup() = StartupValues{};
        Startup().silent = true;
        Startup().exePath = root + "\\setup\\sample.exe";
        Startup().exeFolder = root + "\\setup\\";
        Startup().dataFolder = root + "\\setup\\data\\";
        Startup().tempFolder = root + "\\temp\\";
        Startup().supportFolder = root + "\\temp\\keb1\\";
        Project() = ProjectValues{};
        Project().ProductCode = kProduct;
        Project().RevisionCode = kRevision;
        Project().Title = "Sample";
        HostRegistryState().Clear();
        HostBoxes().Reset();
        HostShellState().administrator = true;
        HostShellState().folders = {{kFolderDesktop, root + "\\user\\Desktop\\"},
                                    {kFolderCommonDesktop, root + "\\public\\Desktop\\"},
                                    {kFolderProgramFiles, root + "\\pf\\"},
                                    {kFolderPersonal, root + "\\user\\Documents\\"}};
        temp.write("temp/keb1/sample.msi", "");
        msiPath = root + "\\temp\\keb1\\sample.msi";
    }

    // The all-users instance folder of the sample, relative to the temporary folder.
    static std::string InstanceFolder() { return std::string("public/Application Data/") + kRevision + "/"; }

    std::string root;
    std::string msiPath;
};
