#pragma once
// Deterministic instruction-shaped bytes for each architecture the branch
// filters know: random words among which many are the calls, jumps and
// address loads a filter rewrites, so that a filter that converts the wrong
// words, or the right ones wrongly, changes the bytes.
#include <cstdint>
#include <random>
#include <string>

namespace fixtures {

enum class Architecture { Arm, ArmThumb, Arm64, PowerPc, Sparc, Ia64, RiscV };

namespace detail {

inline void AppendLe(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void AppendBe(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 16-byte bundle with a branch template and, in some branch slots, an
// IP-relative branch.
inline void AppendIa64Bundle(std::string& s, std::mt19937& rng) {
    static const uint8_t kTemplates[] = {0x10, 0x11, 0x12, 0x13, 0x16, 0x17, 0x18, 0x19, 0x1C, 0x1D, 0x04};
    uint8_t bundle[16];
    for (auto& b : bundle) b = static_cast<uint8_t>(rng());
    bundle[0] = static_cast<uint8_t>((bundle[0] & 0xE0) | kTemplates[rng() % sizeof kTemplates]);
    for (unsigned slot = 0; slot < 3; ++slot) {
        if (rng() % 3 == 0) continue;
        unsigned base = 5 + 41 * slot;
        auto setBit = [&](unsigned bit, bool on) {
            uint8_t& byte = bundle[(base + bit) / 8];
            uint8_t mask = static_cast<uint8_t>(1u << ((base + bit) % 8));
            byte = static_cast<uint8_t>(on ? byte | mask : byte & ~mask);
        };
        for (unsigned b = 0; b < 4; ++b) setBit(37 + b, (0x5 >> b) & 1);  // opcode 5: IP-relative branch
        for (unsigned b = 9; b < 12; ++b) setBit(b, false);                 // btype 0
    }
    s.append(reinterpret_cast<char*>(bundle), 16);
}

// One RISC-V item: a JAL, an AUIPC pair, a lone AUIPC (sometimes with rd
// = sp, which the filter must tell from its own pairs), a compressed
// half-word or any 32-bit word.
inline void AppendRiscV(std::string& s, std::mt19937& rng) {
    uint32_t r = rng();
    uint32_t reg = 1 + rng() % 31;
    switch (rng() % 8) {
        case 0: AppendLe(s, 0x6F | ((rng() % 2 ? 1u : 5u) << 7) | (r & 0xFFFFF000), 4); break;  // JAL ra/t0
        case 1:
        case 2:  // AUIPC reg + an instruction using reg as rs1 (ADDI, LD, JALR)
            AppendLe(s, 0x17 | (reg << 7) | (r & 0xFFFFF000), 4);
            AppendLe(s, (rng() & 0xFFF00F80) | (reg << 15) | (rng() % 2 ? 0x13u : 0x03u), 4);
            break;
        case 3: AppendLe(s, 0x17 | (2u << 7) | (r & 0xFFFFF000), 4); break;  // AUIPC sp
        case 4: AppendLe(s, 0x17 | (reg << 7) | (r & 0xFFFFF000), 4); break;  // AUIPC alone
        case 5: AppendLe(s, r & 0xFFFC, 2); break;                               // compressed
        default: AppendLe(s, r, 4); break;
    }
}

}  // namespace detail

inline std::string InstructionBytes(Architecture arch, size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        uint32_t r = rng();
        bool branch = rng() % 3 != 0;
        switch (arch) {
            case Architecture::Arm: detail::AppendLe(s, branch ? 0xEB000000 | (r & 0xFFFFFF) : r, 4); break;
            case Architecture::ArmThumb:
                if (branch) {
                    detail::AppendLe(s, 0xF000 | (r & 0x7FF), 2);
                    detail::AppendLe(s, 0xF800 | ((r >> 16) & 0x7FF), 2);
                } else {
                    detail::AppendLe(s, r, 2);
                }
                break;
            case Architecture::Arm64:
                if (!branch) detail::AppendLe(s, r, 4);
                else if (rng() % 2) detail::AppendLe(s, 0x94000000 | (r & 0x03FFFFFF), 4);  // BL
                else detail::AppendLe(s, 0x90000000 | (r & 0x60FFFFFF & ~(rng() % 2 ? 0u : 0x00E00000u)), 4);  // ADRP
                break;
            case Architecture::PowerPc: detail::AppendBe(s, branch ? 0x48000001 | (r & 0x03FFFFFC) : r); break;
            case Architecture::Sparc:
                detail::AppendBe(s, !branch ? r : (rng() % 2 ? 0x40000000 | (r & 0x3FFFFF) : 0x7FC00000 | (r & 0x3FFFFF)));
                break;
            case Architecture::Ia64: detail::AppendIa64Bundle(s, rng); break;
            case Architecture::RiscV: detail::AppendRiscV(s, rng); break;
        }
    }
    s.resize(size);
    return s;
}

}  // namespace fixtures
