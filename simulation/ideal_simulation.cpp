// Ideal play: every decision by the exact expected values, each box on its own view of the
// unseen cards; by the MO values or, with BestPlay, by best play.
#include "analysis/best_play.h"
#include "analysis/ev.h"
#include "analysis/settled_outcome.h"
#include "simulation/dbf_history.h"
#include "simulation/deal_stream.h"
#include "simulation/report.h"
#include "simulation/settlement.h"
#include "simulation/strategy_rules.h"

#include <chrono>

namespace kvarlen {

namespace {

void TakeHand(TDeck& view, const THand& hand) {
    for (int i = 1; i <= hand.Count; ++i) view.Take(hand.Cards[i]);
}

double MillisecondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// A drawn card into the box's hand at `slot`, known to the box from now on.
void ReceiveCard(TBox& box, int slot, const TCardRec& card, int32_t mark, const TCardRec& open,
                 bool akPlays) {
    box.Hand.Cards[slot] = card;
    box.Hand.Cards[slot].Mark = mark;
    box.DeckView.Take(card);
    if (card.Value == open.Value) ++box.OwnMatches;
    box.Hand.Sorted = 0;
    EvaluateHand(box.Hand, akPlays);
}

// Best play of one box on its view (built, DeckView): the best option; after a draw the best
// continuation on the final hand. The MO fields hold the best-play values, so that the deal log
// and the history show what was decided on.
void PlayBestBox(TDealStream& s, TBox& box, const TCardRec& open) {
    const TRules& rules = s.Settings->Rules;
    const auto t0 = std::chrono::steady_clock::now();
    const TOptionTable table =
        BestPlayOptions(box.DeckView, box.Hand, open, rules, RulesRequest(rules));
    s.DecisionMs += MillisecondsSince(t0);
    const TPlayOption& best = table.BestOption();
    bool haveExchange = false;
    for (const TPlayOption& o : table.Options) {
        switch (o.Kind) {
        case TOptionKind::Raise:
            box.MORaiseDealt = o.Value;
            break;
        case TOptionKind::Exchange1:
            if (!haveExchange || o.Value > box.MOChange1) box.MOChange1 = o.Value;
            haveExchange = true;
            break;
        case TOptionKind::Buy:
            box.MOBuy = o.Value;
            break;
        default:
            break;
        }
    }
    box.MOCurrent = box.MORaiseDealt;

    bool raise = best.Kind == TOptionKind::Raise;
    int32_t insurance = best.Insurance;
    if (best.Kind == TOptionKind::Exchange1 || best.Kind == TOptionKind::Buy) {
        if (best.Kind == TOptionKind::Exchange1) {
            box.ExchangeIndex = best.First;
            box.DealResult -= rules.PriceChange1;
            ReceiveCard(box, best.First, DrawCard(*s.Deck, *s.Gen), kMarkExchanged, open,
                        rules.AKPlays);
        } else {
            box.BuyDecision |= 1;
            box.DealResult -= rules.PriceBuy6;
            box.Hand.Count = 6;
            ReceiveCard(box, 6, DrawCard(*s.Deck, *s.Gen), kMarkBought, open, rules.AKPlays);
        }
        // The view has lost the received card: the dealer's hands against the final hand.
        const TContinuation c = BestContinuation(
            SettledOutcome(box.DeckView, box.Hand, open, rules), box.Hand.Combo, rules);
        box.MORaiseFinal = c.RaiseValue;
        box.MOCurrent = box.MORaiseFinal;
        raise = c.Raise;
        insurance = c.Insurance;
    }
    box.Raise = raise;
    if (box.Raise) {
        box.DealResult -= 2;
    } else {
        ++s.Stats.PassByClass[static_cast<size_t>(ComboIndex(box.Hand.Combo))];
        box.Outcome = kOutcomePassed;
    }
    box.InsuranceSum = insurance;
    box.DealResult -= box.InsuranceSum;
}

} // namespace

void BuildDeckView(TBoxes& boxes, int teamSize, int h, TInfoMode mode, const TCardRec& open) {
    TBox& box = boxes[static_cast<size_t>(h)];
    TDeck& view = box.DeckView;
    view = FullDeck();
    switch (mode) {
    case TInfoMode::InTurn:
        for (int b = 1; b <= h; ++b) TakeHand(view, boxes[static_cast<size_t>(b)].Hand);
        break;
    case TInfoMode::FullExchange:
        for (int b = 1; b <= teamSize; ++b) TakeHand(view, boxes[static_cast<size_t>(b)].Hand);
        break;
    case TInfoMode::Beacon: {
        int known = 0;
        for (int b = 1; b <= teamSize; ++b) known += boxes[static_cast<size_t>(b)].OwnMatches;
        for (int b = 1; b <= teamSize; ++b) boxes[static_cast<size_t>(b)].KnownMatches = known;
        TakeHand(view, box.Hand);
        // The others' cards of the open value, highest suits first; never the open card itself,
        // which the box knows to be the dealer's.
        int rest = known - box.OwnMatches;
        for (int suit = 4; suit >= 1 && rest > 0; --suit) {
            if (suit == open.Suit) continue;
            TCardRec& entry = view.At(suit, open.Value);
            if (entry.Value > 0) {
                entry.Value = 0;
                --rest;
            }
        }
        break;
    }
    }
}

void PlayIdealDeals(TDealStream& s, int64_t deals) {
    TSimulationHost& host = *s.Host;
    const TRunSettings& settings = *s.Settings;
    const TRules& rules = settings.Rules;
    TDeck& deck = *s.Deck;
    TGenerator& gen = *s.Gen;
    TBoxes& boxes = *s.Boxes;
    const int team = settings.TeamSize;
    TBox& dealer = boxes[0];
    TBox& first = boxes[1];
    TLiveOptions live;
    const int64_t target = s.Played + deals;
    int64_t lastProgress = -1;
    int64_t rejected = 0;
    if (deals <= 0) return;
    const double t1Before = GlobalT1();

    for (bool stop = false; !stop;) {
        host.ReadLiveOptions(live);
        const bool history = s.DbfHandle > 0 && live.DbfHistory;
        if (history) ClearRecord(s.DbfHandle);
        const int64_t k = s.Played + 1;
        if (k % 10000 == 0 && k != lastProgress) {
            host.Progress(k, ProgressCaption(k));
            lastProgress = k;
        }
        if (host.StopRequested()) {
            s.Stopped = true;
            break;
        }
        std::vector<std::string>* log = live.GameLog ? &s.GameLog : nullptr;

        deck = FullDeck();
        // Box by box, the dealer's five first.
        for (int q = 0; q <= team; ++q) {
            TBox& box = boxes[static_cast<size_t>(q)];
            ResetBoxForDeal(box);
            for (int r = 1; r <= 5; ++r) box.Hand.Cards[r] = DrawCard(deck, gen);
        }
        const TCardRec open = dealer.Hand.Cards[1];
        for (int b = 1; b <= team; ++b) {
            TBox& box = boxes[static_cast<size_t>(b)];
            for (int r = 1; r <= 5; ++r) box.OwnMatches += box.Hand.Cards[r].Value == open.Value;
        }
        for (int q = 0; q <= team; ++q)
            EvaluateHand(boxes[static_cast<size_t>(q)].Hand, rules.AKPlays);
        if (live.Statistics)
            for (int b = 1; b <= team; ++b)
                ++s.Stats.DealtByClass[static_cast<size_t>(
                    ComboIndex(boxes[static_cast<size_t>(b)].Hand.Combo))];
        ++s.Passes;

        if (live.Filter >= 1 && live.Filter <= 10 && first.Hand.Combo != (1u << live.Filter)) {
            // Keep the window alive (and a stop possible) when the filter rarely passes.
            if (++rejected % 10000 == 0) host.Idle();
            continue;
        }
        rejected = 0;
        ++s.Played;
        if (s.Played >= target) stop = true;
        if (history) WriteDealtFields(s.DbfHandle, first, rules, live.DbfDrawColumns);
        if (s.DealLog) s.DealLog->Dealt(boxes, team);

        for (int h = 1; h <= team; ++h) {
            TBox& box = boxes[static_cast<size_t>(h)];
            BuildDeckView(boxes, team, h, live.Mode, open);
            if (settings.BestPlay) {
                PlayBestBox(s, box, open);
                continue;
            }
            const TDeck& view = box.DeckView;
            box.MORaiseDealt = MO_Raise(view, box.Hand, open, rules);
            box.MOCurrent = box.MORaiseDealt;
            if (rules.Exchange1) {
                box.ExchangeIndex = 0;
                box.MOChange1 = MO_Change1(view, box.Hand, open, rules, box.ExchangeIndex);
                if (!(box.MOChange1 > box.MOCurrent && box.MOChange1 > -1)) box.ExchangeIndex = 0;
            }
            if (rules.Buy6) {
                box.BuyDecision = 0;
                const auto t0 = std::chrono::steady_clock::now();
                box.MOBuy = MO_Buy(view, box.Hand, open, rules, settings.DealerAK);
                s.DecisionMs += MillisecondsSince(t0);
                if (box.MOBuy > box.MOCurrent && box.MOBuy > -1) box.BuyDecision |= 1;
            }
            if (box.ExchangeIndex != 0) {
                box.DealResult -= rules.PriceChange1;
                ReceiveCard(box, box.ExchangeIndex, DrawCard(deck, gen), kMarkExchanged, open,
                            rules.AKPlays);
                box.MORaiseFinal = MO_Raise(box.DeckView, box.Hand, open, rules);
                box.MOCurrent = box.MORaiseFinal;
            }
            if (box.BuyDecision > 0) {
                box.DealResult -= rules.PriceBuy6;
                box.Hand.Count = 6;
                ReceiveCard(box, 6, DrawCard(deck, gen), kMarkBought, open, rules.AKPlays);
                box.MORaiseFinal = MO_Raise(box.DeckView, box.Hand, open, rules);
                box.MOCurrent = box.MORaiseFinal;
            }
            box.Raise = box.MOCurrent > -1;
            if (box.Raise) {
                box.DealResult -= 2;
            } else {
                ++s.Stats.PassByClass[static_cast<size_t>(ComboIndex(box.Hand.Combo))];
                box.Outcome = kOutcomePassed;
            }
            if (box.Hand.Combo >= C_Straight) {
                box.InsuranceSum = InsuranceRule(box.Hand.Combo, box.OwnMatches, rules);
                box.DealResult -= box.InsuranceSum;
            }
        }

        if (live.Trace) {
            // The deal is drawn before its settlement; a settled copy gives its results.
            TBoxes settled = boxes;
            SettleDeal(settled, team, false, nullptr);
            TraceDeal(host, boxes, team, open, s.Played, settled);
        }
        SettleDeal(boxes, team, false, log);
        if (history) {
            WriteOutcomeFields(s.DbfHandle, dealer, first);
            std::string error;
            if (!AppendBlank(s.DbfHandle, 0, &error)) {
                // The table keeps its complete records; the run ends after this deal, so
                // that no deal goes unrecorded.
                if (!error.empty()) host.Message(error);
                CloseBase(s.DbfHandle);
                s.DbfHandle = 0;
                s.WriteFailed = true;
                s.Stopped = true;
                stop = true;
            }
        }
        if (live.Statistics) CountFinalStats(s.Stats, boxes, team);

        double teamResult = 0;
        for (int b = 1; b <= team; ++b) {
            TBox& box = boxes[static_cast<size_t>(b)];
            box.Bank += box.DealResult;
            teamResult += box.DealResult;
        }
        s.SumSquares += teamResult * teamResult;
        if (s.DealLog) s.DealLog->Settled(boxes, team, s.Played, true, rules);
        if (log) AppendDealLog(boxes, team, settings.Separator, *log, &s.GameLogBanks);
    }
    s.GlobalT1Ms += GlobalT1() - t1Before;
}

} // namespace kvarlen
