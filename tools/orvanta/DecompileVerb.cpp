#include <filesystem>
#include <fstream>
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/CarriedSetup.h"
#include "tools/authoring/ProjectSource.h"

namespace {

int Decompile(const std::vector<std::string>& args) {
    std::string setup, outFile;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) outFile = args[++i];
        else if (setup.empty()) setup = args[i];
        else throw UsageError{"unexpected argument '" + args[i] + "'"};
    }
    if (setup.empty()) throw UsageError{"a setup executable is required"};
    if (!std::filesystem::is_regular_file(setup)) throw std::runtime_error(setup + ": no such file");
    if (!FindAppendedData(setup)) throw std::runtime_error(setup + ": not a setup executable");
    // A single-file setup: the script is the one of the engine its launcher carries.
    const std::string data = CarriedSetup::IsLauncher(setup)
                                 ? ReadAppendedData(CarriedSetup(setup).UnpackEngine().string())
                                 : ReadAppendedData(setup);
    if (data.empty()) throw std::runtime_error(setup + ": no setup script appended (a bare engine)");
    const Payload payload = ReadPayload(data);
    const std::string source = WriteProjectSource(payload, std::filesystem::path(setup).stem().string());
    if (outFile.empty()) {
        std::cout << source;
    } else {
        std::ofstream out(outFile, std::ios::binary);
        out << source;
        if (!out) throw std::runtime_error("cannot write " + outFile);
    }
    return 0;
}

OrvantaSubcommand verb("decompile", "writes the project source of a built setup",
                       "decompile <setup.exe> [-o project.orv]", Decompile);

}  // namespace
