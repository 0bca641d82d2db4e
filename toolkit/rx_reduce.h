#pragma once
// Colour reduction of RxGraph as pure code: a true-colour picture mapped to
// at most 256 palette entries by one of six methods. rx_graph.h wraps it
// around the framework's bitmaps.
#include <array>
#include <cstdint>
#include "toolkit/dib_format.h"

namespace toolkit::rx {

enum class TMappingMethod : int {
    mmHistogram = 0,   // the most frequent colours
    mmQuantize = 1,    // median cut
    mmTrunc784 = 2,    // fixed 7 x 8 x 4 levels
    mmTrunc666 = 3,    // fixed 6 x 6 x 6 levels
    mmTripel = 4,      // one channel per pixel in turn
    mmGrayscale = 5,
};

// The module-wide method; nothing in the program changes it.
inline TMappingMethod DefaultMappingMethod = TMappingMethod::mmHistogram;

// The first of the nearest levels to the value.
uint8_t NearestLevel(uint8_t value, const uint8_t* levels, int count);

// An 8-bit picture of the same size: its palette (256 entries, the unused
// ones as the method says) and indices. colours limits the histogram
// method (2 to 256); usedColors receives the header's used-colour field
// (0 when the method leaves it open).
dib::Dib ReduceTo8Bits(const dib::Dib& truecolour, TMappingMethod method, int colours, uint32_t& usedColors);

}  // namespace toolkit::rx
