#pragma once
// The x87 floating-point control word. The main form runs with $133F (all
// exceptions masked, 64-bit precision, round to nearest), the mode in which
// the stored hashes are defined.
#include <cstdint>

namespace engine {

constexpr uint16_t kFpuControlWord = 0x133F;

inline uint16_t ReadFpuControlWord() {
    uint16_t cw = 0;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

inline void WriteFpuControlWord(uint16_t cw) { asm volatile("fldcw %0" : : "m"(cw)); }

// Sets a control word for one scope and puts the previous one back.
class FpuControlScope {
public:
    explicit FpuControlScope(uint16_t cw) : saved_(ReadFpuControlWord()) { WriteFpuControlWord(cw); }
    ~FpuControlScope() { WriteFpuControlWord(saved_); }
    FpuControlScope(const FpuControlScope&) = delete;
    FpuControlScope& operator=(const FpuControlScope&) = delete;
private:
    uint16_t saved_;
};

}  // namespace engine
