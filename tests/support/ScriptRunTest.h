#pragma once
// The fixture of the unit tests that build a script, run it silently on the
// host and read the variables it left: fresh start-up values and registry
// double for each test, a temporary folder, the script under construction.
#include <gtest/gtest.h>

#include <string>

#include "core/StartupValues.h"
#include "core/VariableStore.h"
#include "script/mscriptexec.h"
#include "support/ScriptBuilder.h"
#include "support/TempDir.h"
#include "system/HostRegistry.h"

class ScriptRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        Startup().silent = true;
        HostRegistryState().Clear();
    }

    // Runs the script; it must end without an error report.
    void Run(const ScriptBuilder& script) {
        RunScript(script.script(), ScriptBuilder::PackagePath(), nullptr);
        EXPECT_EQ(LastScriptErrorReport(), "");
    }
    void Run() { Run(b); }

    std::string Value(const std::string& name) { return VariableExists(name) ? GetVariable(name) : "<undefined>"; }
    std::string Path(const std::string& relative) const { return temp.path().string() + "/" + relative; }

    TempDir temp;
    ScriptBuilder b;
};
