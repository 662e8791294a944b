// Drills: which deals a session plays, by box 1's dealt hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvarlen::training {

enum class TDrillKind : uint8_t { None, Class, Close, Weak };

struct TDrill {
    TDrillKind Kind = TDrillKind::None;
    int Class = 0;     // Class: 1..10, ace + king .. royal flush, as ideal play's filter
    double Margin = 0; // Close: box 1's best two options at its first decision this close
    // Weak: box 1's dealt classes (combination flags) the history found the dearest.
    std::vector<uint16_t> WeakCombos;
};

// The class names of the drill, as `simulate --filter` spells them: "ak" .. "royals" for 1..10.
const std::vector<std::string>& DrillClassNames();

// "class:NAME", "close:MARGIN" (antes, above 0), "weak". Throws std::runtime_error naming
// what is wrong. Weak leaves WeakCombos empty: the history fills it.
TDrill ParseDrill(const std::string& text);
// The text ParseDrill reads; "" for none.
std::string DrillText(const TDrill& drill);

} // namespace kvarlen::training
