#include "tools/authoring/Signing.h"

#include <filesystem>
#include <regex>
#include <stdexcept>

#include "tools/authoring/RunProgram.h"

namespace fs = std::filesystem;

namespace {

// The text after "label:" on the first line that has it, without blanks at its ends.
std::string Field(const std::string& output, const std::string& label) {
    std::smatch found;
    if (!std::regex_search(output, found, std::regex("(^|\\n)[ \\t]*" + label + "[ \\t]*:[ \\t]*([^\\r\\n]*?)[ \\t]*(\\r?\\n|$)")))
        return {};
    return found[2];
}

}  // namespace

void SignFile(const std::string& path, const SigningIdentity& identity, const std::string& description,
              const std::string& url) {
    const std::string signedPath = path + ".signed";
    std::vector<std::string> command = {"osslsigncode", "sign", "-certs", identity.certificate, "-key", identity.key,
                                        "-h", "sha256", "-n", description};
    if (!url.empty()) command.insert(command.end(), {"-i", url});
    if (!identity.timestampUrl.empty()) command.insert(command.end(), {"-ts", identity.timestampUrl});
    command.insert(command.end(), {"-in", path, "-out", signedPath});
    fs::remove(signedPath);
    const ProgramResult result = RunProgramCapturing(command);
    if (result.exitCode != 0) {
        fs::remove(signedPath);
        throw std::runtime_error("osslsigncode could not sign " + path + ":\n" + result.output);
    }
    fs::rename(signedPath, path);
}

SignatureCheck CheckSignature(const std::string& path, const std::string& caFile) {
    std::vector<std::string> command = {"osslsigncode", "verify", "-in", path};
    if (!caFile.empty()) command.insert(command.end(), {"-CAfile", caFile});
    const ProgramResult result = RunProgramCapturing(command);
    SignatureCheck check;
    const std::string current = Field(result.output, "Current message digest");
    const std::string calculated = Field(result.output, "Calculated message digest");
    check.present = !current.empty();
    if (!check.present) return check;
    check.intact = current == calculated;
    check.trusted = check.intact && Field(result.output, "Signature verification") == "ok";
    const size_t signerPart = result.output.find("Signer's certificate");
    check.signer = Field(signerPart == std::string::npos ? result.output : result.output.substr(signerPart), "Subject");
    if (!check.intact) check.problem = "the file was changed after it was signed";
    else if (!check.trusted) check.problem = Field(result.output, "Error");
    return check;
}
