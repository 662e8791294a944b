#include "simulation/settlement.h"

namespace kvarlen {

namespace {

void LogInsurance(std::vector<std::string>* log, int32_t sum, bool paid) {
    if (log == nullptr) return;
    log->push_back("Страхование на сумму " + std::to_string(sum) +
                   (paid ? " сработало" : " НЕ сработало"));
}

void PayInsurance(TBox& box, std::vector<std::string>* log) {
    if (box.InsuranceSum <= 0) return;
    box.DealResult += 2.0 * box.InsuranceSum;
    LogInsurance(log, box.InsuranceSum, true);
}

} // namespace

void SettleDeal(TBoxes& boxes, int teamSize, bool skipAsked, std::vector<std::string>* log) {
    const TBox& dealer = boxes[0];
    const bool noGame = dealer.Hand.Combo == C_Empty;
    for (int b = 1; b <= teamSize; ++b) {
        TBox& box = boxes[static_cast<size_t>(b)];
        if (noGame) {
            if (skipAsked && box.WantsDealerGame) continue;
            SettleBox(box, false, 0, log);
            continue;
        }
        if (!box.Raise) continue;
        SettleBox(box, true, CompareHands(dealer.Hand, box.Hand), log);
    }
}

void SettleBox(TBox& box, bool dealerHasGame, uint8_t comparison, std::vector<std::string>* log,
               const TPayTable* pay) {
    if (!dealerHasGame) {
        if (box.Raise) {
            box.DealResult += 1 + 2 + 1;
            box.Outcome = kOutcomeNoGame;
        }
        PayInsurance(box, log);
        return;
    }
    if (!box.Raise) return;
    if (box.InsuranceSum > 0) LogInsurance(log, box.InsuranceSum, false);
    switch (comparison) {
    case 2:
        box.DealResult += 2.0 * (pay ? (*pay)[static_cast<size_t>(__builtin_ctz(box.Hand.Combo))]
                                     : PayOff(box.Hand.Combo)) +
                          3 + 1;
        box.Outcome = kOutcomeWon;
        break;
    case 1:
        box.Outcome = kOutcomeLost;
        break;
    default:
        box.DealResult += 1 + 2;
        box.Outcome = kOutcomePush;
        break;
    }
}

void SettleBoughtGame(TBoxes& boxes, int teamSize, const TRules& rules,
                      std::vector<std::string>* log) {
    const TBox& dealer = boxes[0];
    const double price = rules.PriceBuyDealerGame;
    for (int b = 1; b <= teamSize; ++b) {
        TBox& box = boxes[static_cast<size_t>(b)];
        if (!box.WantsDealerGame) continue;
        if (dealer.Hand.Combo == C_Empty) {
            box.DealResult += 2 - price;
            box.Outcome = kOutcomeNoGame;
            PayInsurance(box, log);
            continue;
        }
        if (!box.Raise) continue;
        if (box.InsuranceSum > 0) LogInsurance(log, box.InsuranceSum, false);
        switch (CompareHands(dealer.Hand, box.Hand)) {
        case 2:
            box.DealResult += 2.0 * PayOff(box.Hand.Combo) + 3 - price + (rules.AntePaid ? 1 : 0);
            box.Outcome = kOutcomeWon;
            break;
        case 1:
            box.DealResult -= price;
            box.Outcome = kOutcomeLost;
            break;
        default:
            box.DealResult += 3 - price;
            box.Outcome = kOutcomePush;
            break;
        }
    }
}

} // namespace kvarlen
