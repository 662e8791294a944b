// Settling the team's boxes against the dealer (box 0) at the end of a deal.
#pragma once

#include "simulation/box.h"

#include <string>
#include <vector>

namespace kvarlen {

// The ordinary settlement. A dealer without a game pays every raised box +4 (net +1) and every
// insurance even money; a qualifying dealer is compared with every raised box: a win pays
// 2 x PayOff + 4, a loss takes the stakes, a push returns them. With skipAsked the boxes that
// asked for the dealer's game are left to SettleBoughtGame. log (when given) receives the
// insurance lines of the game log.
void SettleDeal(TBoxes& boxes, int teamSize, bool skipAsked, std::vector<std::string>* log);

// One box of the ordinary settlement. dealerHasGame false: a raised box gets +4 and insurance is
// paid; true: a raised box is settled by `comparison`, the code of CompareHands(dealer, box)
// (1 the dealer wins, 2 the box wins, 0 push), and insurance is lost. A passed box facing a
// dealer with a game is left as it is. The exact value of the game settles through this too,
// with pay (when given) in place of PayTable.
void SettleBox(TBox& box, bool dealerHasGame, uint8_t comparison, std::vector<std::string>* log,
               const TPayTable* pay = nullptr);

// After the dealer's bought card: the boxes that asked for the game, with its price.
void SettleBoughtGame(TBoxes& boxes, int teamSize, const TRules& rules,
                      std::vector<std::string>* log);

} // namespace kvarlen
