#include "keb/CoderFactory.h"

#include "keb/AesKeyDerivation.h"
#include "keb/AesStream.h"
#include "keb/ArchiveError.h"
#include "keb/Bcj2Stream.h"
#include "keb/BranchStreams.h"
#include "keb/BuildProfile.h"
#include "keb/LzmaStream.h"
#include "keb/MethodNames.h"

namespace keb {
namespace {

// The Copy method: the input as it is.
class CopyStream : public InStream {
public:
    explicit CopyStream(InStream& in) : in_(in) {}
    size_t Read(uint8_t* buffer, size_t size) override { return in_.Read(buffer, size); }

private:
    InStream& in_;
};

struct BranchMethod {
    const MethodId* id;
    BranchDecoder decoder;
};

const BranchMethod kBranchMethods[] = {
    {&method::kPowerPc, DecodePowerPc}, {&method::kIa64, DecodeIa64},   {&method::kArm, DecodeArm},
    {&method::kArmThumb, DecodeArmThumb}, {&method::kSparc, DecodeSparc}, {&method::kArm64, DecodeArm64},
    {&method::kRiscV, DecodeRiscV},
};

void RequireInputs(const Coder& coder, const std::vector<InStream*>& inputs, size_t count) {
    if (inputs.size() != count) ThrowCorrupt("wrong stream count for " + MethodName(coder.methodId));
}

// LZMA2, the filters 7-Zip picks by itself and their kin: in every build.
bool IsBasicMethod(const std::vector<uint8_t>& id) {
    for (const BranchMethod& branch : kBranchMethods)
        if (id == *branch.id) return true;
    for (const auto* known : {&method::kCopy, &method::kLzma, &method::kLzma2, &method::kBcjX86, &method::kDelta})
        if (id == *known) return true;
    return false;
}

bool IsFurtherMethod(const std::vector<uint8_t>& id) {
    for (const auto* known : {&method::kBcj2, &method::kAes, &method::kSwap2, &method::kSwap4})
        if (id == *known) return true;
    return false;
}

}  // namespace

bool CanDecode(const std::vector<uint8_t>& id) { return IsBasicMethod(id) || (kEveryMethod && IsFurtherMethod(id)); }

std::unique_ptr<InStream> CreateCoder(const Coder& coder, const std::vector<InStream*>& inputs, uint64_t unpackSize,
                                      PasswordProvider& password) {
    const auto& id = coder.methodId;
    if (id == method::kCopy) {
        RequireInputs(coder, inputs, 1);
        return std::make_unique<CopyStream>(*inputs[0]);
    }
    if (id == method::kLzma) {
        RequireInputs(coder, inputs, 1);
        return std::make_unique<LzmaStream>(*inputs[0], coder.properties, unpackSize);
    }
    if (id == method::kLzma2) {
        RequireInputs(coder, inputs, 1);
        return std::make_unique<Lzma2Stream>(*inputs[0], coder.properties, unpackSize);
    }
    if (id == method::kBcjX86) {
        RequireInputs(coder, inputs, 1);
        return std::make_unique<BcjX86Stream>(*inputs[0]);
    }
    for (const BranchMethod& branch : kBranchMethods)
        if (id == *branch.id) {
            RequireInputs(coder, inputs, 1);
            return std::make_unique<BranchStream>(*inputs[0], branch.decoder, coder.properties);
        }
    if (id == method::kDelta) {
        RequireInputs(coder, inputs, 1);
        return std::make_unique<DeltaStream>(*inputs[0], coder.properties);
    }
    if constexpr (kEveryMethod) {
        if (id == method::kSwap2 || id == method::kSwap4) {
            RequireInputs(coder, inputs, 1);
            return std::make_unique<SwapStream>(*inputs[0], id == method::kSwap2 ? 2 : 4);
        }
        if (id == method::kBcj2) {
            RequireInputs(coder, inputs, 4);
            return std::make_unique<Bcj2Stream>(*inputs[0], *inputs[1], *inputs[2], *inputs[3]);
        }
        if (id == method::kAes) {
            RequireInputs(coder, inputs, 1);
            AesParameters aes = ParseAesProperties(coder.properties);
            return std::make_unique<AesStream>(*inputs[0], password.AesKey(aes.cycles, aes.salt), aes.iv);
        }
    }
    ThrowArchiveError(kKebErrorCannotOpen, "unsupported method: " + MethodName(id));
}

}  // namespace keb
