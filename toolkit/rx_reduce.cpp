#include "toolkit/rx_reduce.h"
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace toolkit::rx {
namespace {

using Rgb = std::array<uint8_t, 3>;
constexpr dib::Quad kGrey{128, 128, 128, 0};

constexpr uint8_t kLevels7[] = {0, 43, 85, 128, 170, 213, 255};
constexpr uint8_t kLevels8[] = {0, 36, 73, 109, 146, 182, 219, 255};
constexpr uint8_t kLevels4[] = {0, 85, 170, 255};
constexpr uint8_t kLevels6[] = {0, 51, 102, 153, 204, 255};

// The four level look-ups, built once.
struct LevelTables {
    std::array<uint8_t, 256> L7{}, L8{}, L4{}, L6{};
    LevelTables() {
        for (int v = 0; v < 256; ++v) {
            L7[size_t(v)] = NearestLevel(uint8_t(v), kLevels7, 7);
            L8[size_t(v)] = NearestLevel(uint8_t(v), kLevels8, 8);
            L4[size_t(v)] = NearestLevel(uint8_t(v), kLevels4, 4);
            L6[size_t(v)] = NearestLevel(uint8_t(v), kLevels6, 6);
        }
    }
};
const LevelTables& Levels() {
    static const LevelTables tables;
    return tables;
}

dib::Quad QuadOf(uint8_t r, uint8_t g, uint8_t b) { return {b, g, r, 0}; }

dib::Dib EightBitLike(const dib::Dib& source) {
    auto out = dib::MakeDib(source.Width, source.Height, 8);
    out.Palette.assign(256, kGrey);
    return out;
}

template <typename F>
void MapPixels(const dib::Dib& source, dib::Dib& out, F indexOf) {
    for (int y = 0; y < source.Height; ++y)
        for (int x = 0; x < source.Width; ++x) out.SetIndex(x, y, indexOf(source.Rgb(x, y), x, y));
}

// Popularity histogram ----------------------------------------------------------

class ColourCounter {
public:
    static constexpr int kSlots = 5191;
    static constexpr int kMaxColours = 2049;
    struct Slot {
        Rgb Colour{};
        uint32_t Count = 0;
        bool Used = false;
    };
    // False when the picture holds more distinct colours than fit.
    bool Count(const dib::Dib& source, const Rgb& mask) {
        slots_.assign(kSlots, Slot{});
        order_.clear();
        for (int y = 0; y < source.Height; ++y)
            for (int x = 0; x < source.Width; ++x) {
                const Slot* s = Insert(Masked(source.Rgb(x, y), mask));
                if (!s) return false;
            }
        return true;
    }
    const Slot* Insert(const Rgb& c) {
        for (int i = Hash(c);; i = (i + 1) % kSlots) {
            Slot& s = slots_[size_t(i)];
            if (s.Used && s.Colour == c) {
                ++s.Count;
                return &s;
            }
            if (!s.Used) {
                if (int(order_.size()) >= kMaxColours) return nullptr;
                s = {c, 1, true};
                order_.push_back(i);
                return &s;
            }
        }
    }
    int Find(const Rgb& c) const {
        for (int i = Hash(c);; i = (i + 1) % kSlots) {
            const Slot& s = slots_[size_t(i)];
            if (!s.Used) return -1;
            if (s.Colour == c) return i;
        }
    }
    static Rgb Masked(const Rgb& c, const Rgb& mask) {
        return {uint8_t(c[0] & mask[0]), uint8_t(c[1] & mask[1]), uint8_t(c[2] & mask[2])};
    }
    const std::vector<int>& Order() const { return order_; }
    const Slot& At(int i) const { return slots_[size_t(i)]; }

private:
    static int Hash(const Rgb& c) {
        const uint32_t r = c[0], g = c[1], b = c[2];
        return int((r + g) * (b + g) * (r + b) % kSlots);
    }
    std::vector<Slot> slots_;
    std::vector<int> order_;   // slots in the order the colours were met
};

void CoarsenOneMask(Rgb& mask) {
    auto& [r, g, b] = mask;
    if (r < g) g = uint8_t(g << 1);
    else if (b < r) r = uint8_t(r << 1);
    else b = uint8_t(b << 1);
}

uint32_t SquaredDistance(const Rgb& a, const Rgb& b) {
    uint32_t d = 0;
    for (size_t i = 0; i < 3; ++i) {
        const int v = int(a[i]) - int(b[i]);
        d += uint32_t(v * v);
    }
    return d;
}

dib::Dib Histogram(const dib::Dib& source, int colours) {
    ColourCounter counter;
    Rgb mask{255, 255, 255};
    while (!counter.Count(source, mask)) CoarsenOneMask(mask);

    // The wanted number of colours, most frequent first (the first met of
    // equal counts).
    std::vector<int> ranked = counter.Order();
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](int a, int b) { return counter.At(a).Count > counter.At(b).Count; });
    ranked.resize(std::min<size_t>(ranked.size(), size_t(std::clamp(colours, 1, 256))));
    auto out = EightBitLike(source);
    for (size_t i = 0; i < ranked.size(); ++i) {
        const auto& c = counter.At(ranked[i]).Colour;
        out.Palette[i] = QuadOf(c[0], c[1], c[2]);
    }
    std::vector<uint8_t> map(ColourCounter::kSlots, 0);
    for (int slot : counter.Order()) {
        const auto& c = counter.At(slot).Colour;
        uint32_t best = UINT32_MAX;
        for (size_t i = 0; i < ranked.size(); ++i) {
            const uint32_t d = SquaredDistance(c, counter.At(ranked[i]).Colour);
            if (d < best) {
                best = d;
                map[size_t(slot)] = uint8_t(i);
            }
        }
    }
    MapPixels(source, out, [&](const Rgb& c, int, int) {
        const int slot = counter.Find(ColourCounter::Masked(c, mask));
        return slot < 0 ? uint8_t(0) : map[size_t(slot)];
    });
    return out;
}

// Median cut ---------------------------------------------------------------------

struct Box {
    std::vector<int> Cells;   // 12-bit cell numbers
    std::array<int, 3> Extent{};
    uint64_t Pixels = 0;
};

int Channel(int cell, int channel) { return (cell >> (8 - 4 * channel)) & 0x0F; }

void MeasureBox(Box& box, const std::vector<uint32_t>& counts) {
    box.Pixels = 0;
    for (int ch = 0; ch < 3; ++ch) {
        int lo = 15, hi = 0;
        for (int c : box.Cells) {
            lo = std::min(lo, Channel(c, ch));
            hi = std::max(hi, Channel(c, ch));
        }
        box.Extent[size_t(ch)] = (hi - lo) * 16;
    }
    for (int c : box.Cells) box.Pixels += counts[size_t(c)];
}

dib::Dib MedianCut(const dib::Dib& source, uint32_t& usedColors) {
    auto cellOf = [](const Rgb& c) { return (c[0] >> 4) << 8 | (c[1] >> 4) << 4 | (c[2] >> 4); };
    std::vector<uint32_t> counts(4096, 0);
    for (int y = 0; y < source.Height; ++y)
        for (int x = 0; x < source.Width; ++x) ++counts[size_t(cellOf(source.Rgb(x, y)))];

    std::vector<Box> boxes(1);
    for (int c = 0; c < 4096; ++c)
        if (counts[size_t(c)]) boxes[0].Cells.push_back(c);
    MeasureBox(boxes[0], counts);
    boxes[0].Extent = {255, 255, 255};
    while (boxes.size() < 256) {
        int pick = -1, channel = 0, widest = -1;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].Cells.size() < 2) continue;
            for (int ch = 0; ch < 3; ++ch)
                if (boxes[b].Extent[size_t(ch)] > widest) {
                    widest = boxes[b].Extent[size_t(ch)];
                    pick = int(b);
                    channel = ch;
                }
        }
        if (pick < 0) break;
        Box& box = boxes[size_t(pick)];
        std::stable_sort(box.Cells.begin(), box.Cells.end(),
                         [channel](int a, int b) { return Channel(a, channel) < Channel(b, channel); });
        uint64_t running = 0;
        size_t split = 1;
        for (; split < box.Cells.size(); ++split) {
            running += counts[size_t(box.Cells[split - 1])];
            if (running * 2 >= box.Pixels) break;
        }
        split = std::min(split, box.Cells.size() - 1);
        Box upper;
        upper.Cells.assign(box.Cells.begin() + std::ptrdiff_t(split), box.Cells.end());
        box.Cells.resize(split);
        MeasureBox(box, counts);
        MeasureBox(upper, counts);
        boxes.push_back(std::move(upper));
    }

    auto out = EightBitLike(source);
    std::vector<uint8_t> boxOfCell(4096, 0);
    for (size_t b = 0; b < boxes.size(); ++b) {
        std::array<int, 3> sum{};
        for (int c : boxes[b].Cells) {
            boxOfCell[size_t(c)] = uint8_t(b);
            for (int ch = 0; ch < 3; ++ch) sum[size_t(ch)] += Channel(c, ch);
        }
        const int n = std::max<int>(int(boxes[b].Cells.size()), 1);
        std::array<int, 3> v{};
        for (size_t ch = 0; ch < 3; ++ch) v[ch] = std::min((16 * sum[ch] + 15) / n, 255);
        if (v[0] <= 16 && v[1] <= 16 && v[2] <= 16) v = {0, 0, 0};
        out.Palette[b] = QuadOf(uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2]));
    }
    for (size_t b = boxes.size(); b < 256; ++b) out.Palette[b] = {0, 0, 0, 0};
    usedColors = uint32_t(boxes.size());
    MapPixels(source, out, [&](const Rgb& c, int, int) { return boxOfCell[size_t(cellOf(c))]; });
    return out;
}

// Fixed levels, channel pattern, grey scale -----------------------------------------

dib::Dib Truncated784(const dib::Dib& source, uint32_t& usedColors) {
    auto out = EightBitLike(source);
    for (int r = 0; r < 7; ++r)
        for (int g = 0; g < 8; ++g)
            for (int b = 0; b < 4; ++b) out.Palette[size_t(r * 32 + g * 4 + b)] = QuadOf(kLevels7[r], kLevels8[g], kLevels4[b]);
    const auto& t = Levels();
    MapPixels(source, out, [&](const Rgb& c, int, int) {
        return uint8_t(t.L7[c[0]] * 32 + t.L8[c[1]] * 4 + t.L4[c[2]]);
    });
    usedColors = 224;
    return out;
}

dib::Dib Truncated666(const dib::Dib& source, uint32_t& usedColors) {
    auto out = EightBitLike(source);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) out.Palette[size_t(r * 36 + g * 6 + b)] = QuadOf(kLevels6[r], kLevels6[g], kLevels6[b]);
    const auto& t = Levels();
    MapPixels(source, out, [&](const Rgb& c, int, int) {
        return uint8_t(t.L6[c[0]] * 36 + t.L6[c[1]] * 6 + t.L6[c[2]]);
    });
    usedColors = 216;
    return out;
}

dib::Dib ChannelPattern(const dib::Dib& source) {
    auto out = EightBitLike(source);
    for (int i = 0; i < 64; ++i) {
        const auto v = uint8_t(4 * i);
        out.Palette[size_t(i)] = QuadOf(v, 0, 0);
        out.Palette[size_t(64 + i)] = QuadOf(0, v, 0);
        out.Palette[size_t(128 + i)] = QuadOf(0, 0, v);
    }
    MapPixels(source, out, [](const Rgb& c, int x, int y) {
        switch ((x + y) % 3) {
        case 0: return uint8_t(c[0] / 4);
        case 1: return uint8_t(64 + c[1] / 4);
        default: return uint8_t(128 + c[2] / 4);
        }
    });
    return out;
}

dib::Dib Grayscale(const dib::Dib& source) {
    auto out = EightBitLike(source);
    for (int i = 0; i < 256; ++i) out.Palette[size_t(i)] = QuadOf(uint8_t(i), uint8_t(i), uint8_t(i));
    MapPixels(source, out,
              [](const Rgb& c, int, int) { return uint8_t((77 * c[0] + 150 * c[1] + 29 * c[2]) >> 8); });
    return out;
}

}  // namespace

uint8_t NearestLevel(uint8_t value, const uint8_t* levels, int count) {
    int best = 0;
    for (int i = 1; i < count; ++i)
        if (std::abs(int(levels[i]) - value) < std::abs(int(levels[best]) - value)) best = i;
    return uint8_t(best);
}

dib::Dib ReduceTo8Bits(const dib::Dib& truecolour, TMappingMethod method, int colours, uint32_t& usedColors) {
    usedColors = 0;
    switch (method) {
    case TMappingMethod::mmQuantize: return MedianCut(truecolour, usedColors);
    case TMappingMethod::mmTrunc784: return Truncated784(truecolour, usedColors);
    case TMappingMethod::mmTrunc666: return Truncated666(truecolour, usedColors);
    case TMappingMethod::mmTripel: return ChannelPattern(truecolour);
    case TMappingMethod::mmGrayscale: return Grayscale(truecolour);
    case TMappingMethod::mmHistogram: break;
    }
    return Histogram(truecolour, colours);
}

}  // namespace toolkit::rx
