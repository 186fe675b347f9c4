#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/Signing.h"

namespace {

// Exit code 0: signed, unchanged and trusted; 1: unsigned or changed since it
// was signed; 2: unchanged, but the signer's certificate is not trusted.
int Verify(const std::vector<std::string>& args) {
    std::string file, caFile;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--ca" && i + 1 < args.size()) caFile = args[++i];
        else if (file.empty()) file = args[i];
        else throw UsageError{"unexpected argument '" + args[i] + "'"};
    }
    if (file.empty()) throw UsageError{"a setup or library to verify is required"};

    const SignatureCheck check = CheckSignature(file, caFile);
    std::cout << file << "\n";
    if (!check.present) {
        std::cout << "  signature: none\n";
        return 1;
    }
    std::cout << "  signature: " << (check.intact ? "intact" : "BROKEN: " + check.problem) << "\n"
              << "  signed by: " << check.signer << "\n";
    if (!check.intact) return 1;
    std::cout << "  certificate: " << (check.trusted ? "trusted" : "not trusted (" + check.problem + ")") << "\n";
    return check.trusted ? 0 : 2;
}

OrvantaSubcommand verb("verify", "checks the signature of a setup or keb.dll",
                       "verify <setup.exe or keb.dll> [--ca <root certificates>]", Verify);

}  // namespace
