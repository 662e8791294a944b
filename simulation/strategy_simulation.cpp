// Strategy play: every decision by the fixed rules, the dealer's bought game included.
#include "simulation/deal_stream.h"
#include "simulation/report.h"
#include "simulation/settlement.h"
#include "simulation/strategy_rules.h"

namespace kvarlen {

void PrepareBoxes(TBoxes& boxes, int32_t initialBank) {
    for (size_t b = 1; b <= 3; ++b) {
        boxes[b].InitialBank = initialBank;
        boxes[b].Bank = initialBank;
    }
}

std::string ProgressCaption(int64_t deal) {
    return std::to_string(deal / 10000) + " x 10000";
}

void TraceDeal(TSimulationHost& host, const TBoxes& boxes, int teamSize, const TCardRec& open,
               int64_t deal, const TBoxes& settled) {
    host.ClearTable();
    host.Trace_DrawDHand(boxes[0].Hand, kTraceLeft, kTraceDealerTop);
    for (int b = 1; b <= teamSize; ++b) {
        const TBox& box = boxes[static_cast<size_t>(b)];
        host.Trace_DrawPHand(box.Hand, kTraceLeft, kTraceBoxTop[b], open.Value);
        host.DrawRaiseDecision(box.Raise, kTraceLeft, kTraceDecisionTop[b]);
        host.DrawInsurDecision(box.InsuranceSum, kTraceLeft, kTraceDecisionTop[b]);
    }
    TTracedDeal traced;
    traced.Deal = deal;
    traced.TeamSize = teamSize;
    for (size_t b = 1; b <= static_cast<size_t>(teamSize); ++b) {
        traced.Result[b] = settled[b].DealResult;
        traced.Bank[b] = settled[b].Bank + settled[b].DealResult;
    }
    host.TraceDealResult(traced);
    host.WaitForReadKey();
}

void StreamResult(const TDealStream& s, TRunResult& r) {
    const TBoxes& boxes = *s.Boxes;
    r.TeamSize = s.Settings->TeamSize;
    r.Deals = s.Played;
    r.Passes = s.Passes;
    r.Stopped = s.Stopped;
    for (size_t b = 1; b <= 3; ++b) {
        r.InitialBank[b] = boxes[b].InitialBank;
        r.Net[b] = boxes[b].Bank - boxes[b].InitialBank;
    }
    r.SumSquares = s.SumSquares;
    r.Stats = s.Stats;
    r.DecisionMs = s.DecisionMs;
    r.GlobalT1Ms = s.GlobalT1Ms;
}

void CountFinalStats(TRunStats& st, const TBoxes& boxes, int teamSize) {
    for (int b = 1; b <= teamSize; ++b) {
        const TBox& box = boxes[static_cast<size_t>(b)];
        if (box.BuyDecision > 0) ++st.BuyCount[static_cast<size_t>(b)];
        const size_t c = static_cast<size_t>(ComboIndex(box.Hand.Combo));
        ++st.FinalByClass[c];
        if (box.Outcome == kOutcomeWon)
            ++st.WonByClass[c];
        else if (box.Outcome == kOutcomeLost)
            ++st.LostByClass[c];
        else if (box.Outcome == kOutcomeNoGame)
            ++st.NoGameByClass[c];
    }
}

void PlayStrategyDeals(TDealStream& s, int64_t deals) {
    TSimulationHost& host = *s.Host;
    const TRunSettings& settings = *s.Settings;
    const TRules& rules = settings.Rules;
    TDeck& deck = *s.Deck;
    TGenerator& gen = *s.Gen;
    TBoxes& boxes = *s.Boxes;
    const int team = settings.TeamSize;
    TBox& dealer = boxes[0];
    TLiveOptions live;

    for (int64_t n = 0; n < deals; ++n) {
        const int64_t k = s.Played + 1;
        if (k % 10000 == 0) host.Progress(k, ProgressCaption(k));
        if (host.StopRequested()) {
            s.Stopped = true;
            break;
        }
        host.ReadLiveOptions(live);
        std::vector<std::string>* log = live.GameLog ? &s.GameLog : nullptr;
        bool dealerBuys = false;

        deck = FullDeck();
        for (int q = 0; q <= team; ++q) ResetBoxForDeal(boxes[static_cast<size_t>(q)]);
        // Slot by slot round the table, the dealer first.
        for (int r = 1; r <= 5; ++r)
            for (int q = 0; q <= team; ++q)
                boxes[static_cast<size_t>(q)].Hand.Cards[r] = DrawCard(deck, gen);
        const TCardRec open = dealer.Hand.Cards[1];
        int matches = 0;
        for (int b = 1; b <= team; ++b)
            for (int r = 1; r <= 5; ++r)
                matches += boxes[static_cast<size_t>(b)].Hand.Cards[r].Value == open.Value;

        for (int q = 0; q <= team; ++q)
            EvaluateHand(boxes[static_cast<size_t>(q)].Hand, rules.AKPlays);
        if (live.Statistics)
            for (int b = 1; b <= team; ++b)
                ++s.Stats.DealtByClass[static_cast<size_t>(
                    ComboIndex(boxes[static_cast<size_t>(b)].Hand.Combo))];
        if (log) log->push_back(OpenCardLogLine(open, matches));
        if (s.DealLog) s.DealLog->Dealt(boxes, team);

        // Every purchase decision before the first purchase.
        if (rules.Buy6)
            for (int b = 1; b <= team; ++b) {
                TBox& box = boxes[static_cast<size_t>(b)];
                box.BuyDecision = team == 1 ? BuyRulesSolo(box.Hand, open, matches, rules)
                                            : BuyRulesTeam(box.Hand, open, matches, rules);
            }
        for (int b = 1; b <= team; ++b) {
            TBox& box = boxes[static_cast<size_t>(b)];
            if (box.BuyDecision <= 0) continue;
            box.DealResult -= 1; // a sixth card costs one ante in this play
            box.Hand.Count = 6;
            box.Hand.Cards[6] = DrawCard(deck, gen);
            box.Hand.Cards[6].Mark = kMarkBought;
            box.Hand.Sorted = 0;
            EvaluateHand(box.Hand, rules.AKPlays);
        }
        for (int b = 1; b <= team; ++b) {
            TBox& box = boxes[static_cast<size_t>(b)];
            box.Raise = RaiseRuleFor(team, box.Hand, open, matches, live.RaiseAt2Matches);
            if (box.Raise)
                box.DealResult -= 2;
            else
                ++s.Stats.PassByClass[static_cast<size_t>(ComboIndex(box.Hand.Combo))];
        }
        for (int b = 1; b <= team; ++b) {
            TBox& box = boxes[static_cast<size_t>(b)];
            if (box.Hand.Combo < C_Straight) continue;
            box.InsuranceSum = InsuranceRule(box.Hand.Combo, matches, rules);
            box.DealResult -= box.InsuranceSum;
        }

        int discard = 0;
        if ((rules.DealerGameBuy == 1 || rules.DealerGameBuy == 2) &&
            dealer.Hand.Combo == C_Empty) {
            discard = DealerDiscardSlot(dealer.Hand, rules);
            const int dead = DeadOuts(boxes, team, discard);
            for (int b = 1; b <= team; ++b) {
                TBox& box = boxes[static_cast<size_t>(b)];
                box.WantsDealerGame = DealerGameRule(box.Hand.Combo, dead);
                dealerBuys = dealerBuys || box.WantsDealerGame;
            }
        }
        SettleDeal(boxes, team, dealerBuys, log);
        if (dealerBuys) {
            dealer.Hand.Cards[discard] = DrawCard(deck, gen);
            dealer.Hand.Sorted = 0;
            EvaluateHand(dealer.Hand, rules.AKPlays);
            SettleBoughtGame(boxes, team, rules, log);
        }

        if (live.Trace) TraceDeal(host, boxes, team, open, s.Played + 1, boxes);
        if (live.Statistics) CountFinalStats(s.Stats, boxes, team);

        double teamResult = 0;
        for (int b = 1; b <= team; ++b) {
            TBox& box = boxes[static_cast<size_t>(b)];
            box.Bank += box.DealResult;
            teamResult += box.DealResult;
        }
        s.SumSquares += teamResult * teamResult;
        if (s.DealLog) s.DealLog->Settled(boxes, team, s.Played + 1, false, rules);
        if (s.BankLog) s.BankLog->Add(boxes[1].Bank, boxes[2].Bank, boxes[3].Bank);
        if (log) AppendDealLog(boxes, team, settings.Separator, *log, &s.GameLogBanks);
        ++s.Played;
        ++s.Passes;
    }
}

} // namespace kvarlen
