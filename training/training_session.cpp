#include "training/training_session.h"

#include "cards/notation.h"
#include "cards/numfmt.h"
#include "simulation/deal_stream.h"
#include "simulation/settlement.h"

#include <cctype>

namespace kvarlen::training {

namespace {

bool SameView(const TDeck& a, const TDeck& b) {
    for (int i = 1; i <= 52; ++i)
        if (a[i].Value != b[i].Value) return false;
    return true;
}

std::string Upper(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r')
            s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TBoxPlay PlayOf(const TBox& dealt, const TBox& box, const TCardRec& next) {
    TBoxPlay p;
    p.Dealt = dealt.Hand;
    p.Final = box.Hand;
    p.DrawnSlot = box.BuyDecision > 0 ? 6 : box.ExchangeIndex;
    if (p.DrawnSlot > 0) p.Received = next;
    p.Raise = box.Raise;
    p.Insurance = box.InsuranceSum;
    p.Result = box.DealResult;
    p.Outcome = box.Outcome;
    return p;
}

} // namespace

const char* InfoModeCode(TInfoMode mode) {
    switch (mode) {
    case TInfoMode::InTurn:
        return "in-turn";
    case TInfoMode::Beacon:
        return "beacon";
    case TInfoMode::FullExchange:
        return "full";
    }
    return "";
}

const char* FeedbackCode(TFeedback feedback) {
    switch (feedback) {
    case TFeedback::Now:
        return "now";
    case TFeedback::Deal:
        return "deal";
    case TFeedback::End:
        return "end";
    }
    return "";
}

std::string HandNotation(const THand& hand) {
    std::string s;
    for (int i = 1; i <= hand.Count; ++i) {
        if (i > 1) s += ' ';
        s += CardNotation(hand.Cards[i]);
    }
    return s;
}

TTrainingSession::TTrainingSession(const TSessionSettings& s) : settings_(s) {
    if (s.TeamSize < 1 || s.TeamSize > kMaxTeamSize)
        throw TSessionError("a team has 1, 2 or 3 boxes");
    if (s.Seed < 1 || s.Seed > 2147483646u) throw TSessionError("the seed must be 1..2147483646");
    if (s.Deals < 0) throw TSessionError("the number of deals cannot be negative");
    // Ideal play settles without the dealer's bought game; the judge values that game only.
    if (s.Rules.DealerGameBuy != 0)
        throw TSessionError("the training table does not buy the dealer a game");
    const TDrill& d = s.Drill;
    if (d.Kind == TDrillKind::Class) {
        if (d.Class < 1 || d.Class > 10) throw TSessionError("a drilled class is 1..10");
        if (d.Class == 1 && !s.Rules.AKPlays)
            throw TSessionError("no deal is of the ace + king class when ace + king does not play");
    }
    if (d.Kind == TDrillKind::Close && !(d.Margin > 0))
        throw TSessionError("a close call needs a margin above 0");
    if (d.Kind == TDrillKind::Weak && d.WeakCombos.empty())
        throw TSessionError("the history holds no mistakes to drill yet");
    gen_.UseMyRandom = true;
    gen_.SeedMyRandom(s.Seed);
}

void TTrainingSession::DealCandidate() {
    const int team = settings_.TeamSize;
    deck_ = FullDeck();
    // As ideal play deals: the dealer's five first, then box by box.
    for (int q = 0; q <= team; ++q) {
        TBox& box = boxes_[static_cast<size_t>(q)];
        ResetBoxForDeal(box);
        for (int r = 1; r <= 5; ++r) box.Hand.Cards[r] = DrawCard(deck_, gen_);
    }
    open_ = boxes_[0].Hand.Cards[1];
    for (int b = 1; b <= team; ++b) {
        TBox& box = boxes_[static_cast<size_t>(b)];
        for (int r = 1; r <= 5; ++r) box.OwnMatches += box.Hand.Cards[r].Value == open_.Value;
    }
    for (int q = 0; q <= team; ++q)
        EvaluateHand(boxes_[static_cast<size_t>(q)].Hand, settings_.Rules.AKPlays);
    // Fixed before anyone decides, so the player and the shadow draw the same card whatever
    // slot either gives up.
    for (int b = 1; b <= team; ++b) next_[static_cast<size_t>(b)] = DrawCard(deck_, gen_);
    drillTable_.reset();
}

bool TTrainingSession::PassesDrill() {
    const TDrill& d = settings_.Drill;
    const uint16_t combo = boxes_[1].Hand.Combo;
    switch (d.Kind) {
    case TDrillKind::None:
        return true;
    case TDrillKind::Class:
        return combo == (1u << d.Class);
    case TDrillKind::Weak:
        for (uint16_t c : d.WeakCombos)
            if (c == combo) return true;
        return false;
    case TDrillKind::Close: {
        // Box 1 decides first: its view does not depend on anyone's choice.
        BuildDeckView(boxes_, settings_.TeamSize, 1, settings_.Mode, open_);
        const TRules& rules = settings_.Rules;
        const TOptionRequest request = DrawsAllowed(rules) ? RulesRequest(rules) : TOptionRequest{};
        drillTable_ = BestPlayOptions(boxes_[1].DeckView, boxes_[1].Hand, open_, rules, request);
        std::vector<double> values;
        if (DrawsAllowed(rules)) {
            for (const TOptionValue& o : PriceDraw(*drillTable_, rules).Options)
                values.push_back(o.Value);
        } else {
            const TPricedDecision p = PriceRaise(drillTable_->DealtContinuation);
            for (const TOptionValue& o : p.Options) values.push_back(o.Value);
        }
        double first = values[0], second = -1e300;
        for (size_t i = 1; i < values.size(); ++i) {
            if (values[i] > first) {
                second = first;
                first = values[i];
            } else if (values[i] > second) {
                second = values[i];
            }
        }
        return first - second <= d.Margin;
    }
    }
    return true;
}

bool TTrainingSession::NextDeal() {
    if (step_ != TStep::DealEnd) return false;
    if (settings_.Deals > 0 && played_deals_ >= settings_.Deals) {
        step_ = TStep::Finished;
        return false;
    }
    for (;;) {
        DealCandidate();
        if (PassesDrill()) break;
        ++rejected_;
    }
    ++played_deals_;
    deal_ = TDealRecord{};
    deal_.Number = played_deals_;
    deal_.Dealer = boxes_[0].Hand;
    for (int b = 1; b <= settings_.TeamSize; ++b)
        deal_.Next.push_back(next_[static_cast<size_t>(b)]);
    dealt_ = boxes_;
    playedValid_.fill(false);
    bestValue_.fill(0);
    seq_ = 0;
    StartBox(1);
    return true;
}

TBoxSight TTrainingSession::SightOf(int h, int b) const {
    TBoxSight s;
    s.Box = b;
    s.Played = b < h;
    switch (settings_.Mode) {
    case TInfoMode::InTurn:
        s.Visible = b < h;
        break;
    case TInfoMode::FullExchange:
        s.Visible = true;
        break;
    case TInfoMode::Beacon:
        s.Visible = false;
        break;
    }
    if (s.Visible) s.Hand = boxes_[static_cast<size_t>(b)].Hand;
    return s;
}

void TTrainingSession::FillPoint(TDecisionKind kind) {
    const int h = box_;
    const TBox& box = boxes_[static_cast<size_t>(h)];
    point_ = TDecisionPoint{};
    point_.Deal = played_deals_;
    point_.Box = h;
    point_.Kind = kind;
    point_.DealtCombo = dealt_[static_cast<size_t>(h)].Hand.Combo;
    switch (kind) {
    case TDecisionKind::Draw:
        point_.Keys.push_back("0");
        if (settings_.Rules.Exchange1)
            for (int i = 1; i <= 5; ++i) point_.Keys.push_back(std::to_string(i));
        if (settings_.Rules.Buy6) point_.Keys.push_back("B");
        break;
    case TDecisionKind::RaisePass:
        point_.Keys = {"R", "P"};
        break;
    case TDecisionKind::Insurance:
        point_.Keys = {"I", "N"};
        break;
    }
    TTableView& t = point_.Table;
    t.Hand = box.Hand;
    t.DrawnSlot = box.BuyDecision > 0 ? 6 : box.ExchangeIndex;
    if (t.DrawnSlot > 0) t.Received = next_[static_cast<size_t>(h)];
    t.Open = open_;
    for (int b = 1; b <= settings_.TeamSize; ++b)
        if (b != h) t.Others.push_back(SightOf(h, b));
    t.Beacon = settings_.Mode == TInfoMode::Beacon;
    if (t.Beacon)
        for (int b = 1; b <= settings_.TeamSize; ++b)
            t.BeaconCount += boxes_[static_cast<size_t>(b)].OwnMatches;
    t.View = box.DeckView;
    priced_.reset();
    step_ = TStep::Decision;
}

void TTrainingSession::StartBox(int h) {
    box_ = h;
    table_.reset();
    contReady_ = false;
    // The view ideal play gives the box: the earlier boxes have their final cards.
    BuildDeckView(boxes_, settings_.TeamSize, h, settings_.Mode, open_);
    if (h == 1 && drillTable_) {
        if (DrawsAllowed(settings_.Rules))
            table_ = drillTable_;
        else {
            cont_ = drillTable_->DealtContinuation;
            contReady_ = true;
        }
    }
    FillPoint(DrawsAllowed(settings_.Rules) ? TDecisionKind::Draw : TDecisionKind::RaisePass);
}

const TPricedDecision& TTrainingSession::Priced() {
    if (priced_) return *priced_;
    const TRules& rules = settings_.Rules;
    const TBox& box = boxes_[static_cast<size_t>(box_)];
    switch (point_.Kind) {
    case TDecisionKind::Draw:
        if (!table_)
            table_ = BestPlayOptions(box.DeckView, box.Hand, open_, rules, RulesRequest(rules));
        priced_ = PriceDraw(*table_, rules);
        played_[static_cast<size_t>(box_)] = *table_;
        playedView_[static_cast<size_t>(box_)] = box.DeckView;
        playedValid_[static_cast<size_t>(box_)] = true;
        break;
    case TDecisionKind::RaisePass:
        EnsureContinuation();
        priced_ = PriceRaise(cont_);
        break;
    case TDecisionKind::Insurance:
        EnsureContinuation();
        priced_ = PriceInsurance(cont_);
        break;
    }
    // The box's first decision holds its best value for the deal.
    if (point_.Kind == TDecisionKind::Draw ||
        (point_.Kind == TDecisionKind::RaisePass && !DrawsAllowed(rules)))
        bestValue_[static_cast<size_t>(box_)] = priced_->BestOption().Value;
    return *priced_;
}

void TTrainingSession::EnsureContinuation() {
    if (contReady_) return;
    const TBox& box = boxes_[static_cast<size_t>(box_)];
    cont_ = FinalContinuation(box.DeckView, box.Hand, open_, settings_.Rules);
    contReady_ = true;
}

TJudgement TTrainingSession::Answer(const std::string& key) {
    if (step_ != TStep::Decision) throw TKeyError("no decision is asked now");
    const std::string k = Upper(key);
    bool legal = false;
    std::string keys;
    for (const std::string& s : point_.Keys) {
        legal = legal || s == k;
        keys += (keys.empty() ? "" : ", ") + s;
    }
    const TPricedDecision& p = Priced();
    const int chosen = legal ? p.Find(k) : -1;
    if (chosen < 0) throw TKeyError("'" + ShortText(key) + "' is not one of the keys " + keys);
    TJudgement j;
    j.Deal = played_deals_;
    j.Box = box_;
    j.Seq = ++seq_;
    j.Kind = point_.Kind;
    j.Priced = p;
    j.Chosen = chosen;
    j.Cost = p.CostOf(chosen);
    j.Hand = point_.Table.Hand;
    j.DealtCombo = point_.DealtCombo;
    j.Open = open_;
    j.View = point_.Table.View;
    j.Received = point_.Table.Received;
    j.DrawnSlot = point_.Table.DrawnSlot;
    if (settings_.Feedback == TFeedback::Now && j.Mistake()) {
        pending_ = j;
        step_ = TStep::Review;
        return j;
    }
    deal_.Judgements.push_back(j);
    Apply(j);
    return j;
}

void TTrainingSession::TakeBack() {
    if (step_ != TStep::Review || !pending_) return;
    pending_->TakenBack = true;
    deal_.Judgements.push_back(*pending_);
    pending_.reset();
    step_ = TStep::Decision;
}

void TTrainingSession::GoOn() {
    if (step_ != TStep::Review || !pending_) return;
    const TJudgement j = *pending_;
    pending_.reset();
    deal_.Judgements.push_back(j);
    Apply(j);
}

void TTrainingSession::ReceiveCard(TBoxes& boxes, int h, int slot, int32_t mark) {
    TBox& box = boxes[static_cast<size_t>(h)];
    TCardRec card = next_[static_cast<size_t>(h)];
    card.Mark = mark;
    if (slot == 6) box.Hand.Count = 6;
    box.Hand.Cards[slot] = card;
    box.DeckView.Take(card);
    if (card.Value == open_.Value) ++box.OwnMatches;
    box.Hand.Sorted = 0;
    EvaluateHand(box.Hand, settings_.Rules.AKPlays);
}

void TTrainingSession::Apply(const TJudgement& j) {
    const TRules& rules = settings_.Rules;
    TBox& box = boxes_[static_cast<size_t>(box_)];
    const std::string& key = j.Choice().Key;
    switch (j.Kind) {
    case TDecisionKind::Draw:
        if (key == "0") {
            cont_ = table_->DealtContinuation;
            contReady_ = true;
        } else if (key == "B") {
            box.BuyDecision |= 1;
            box.DealResult -= rules.PriceBuy6;
            ReceiveCard(boxes_, box_, 6, kMarkBought);
            contReady_ = false;
        } else {
            const int slot = key[0] - '0';
            box.ExchangeIndex = static_cast<uint8_t>(slot);
            box.DealResult -= rules.PriceChange1;
            ReceiveCard(boxes_, box_, slot, kMarkExchanged);
            contReady_ = false;
        }
        FillPoint(TDecisionKind::RaisePass);
        return;
    case TDecisionKind::RaisePass:
        box.Raise = key == "R";
        if (box.Raise)
            box.DealResult -= 2;
        else
            box.Outcome = kOutcomePassed;
        EnsureContinuation();
        if (cont_.InsuranceOffered) {
            FillPoint(TDecisionKind::Insurance);
            return;
        }
        FinishBox();
        return;
    case TDecisionKind::Insurance:
        box.InsuranceSum = key == "I" ? PayOff(box.Hand.Combo) : 0;
        box.DealResult -= box.InsuranceSum;
        FinishBox();
        return;
    }
}

void TTrainingSession::FinishBox() {
    if (box_ < settings_.TeamSize) {
        StartBox(box_ + 1);
        return;
    }
    SettleAll();
}

TBoxes TTrainingSession::PlayShadow() {
    const TRules& rules = settings_.Rules;
    const int team = settings_.TeamSize;
    TBoxes s = dealt_;
    for (int h = 1; h <= team; ++h) {
        const size_t i = static_cast<size_t>(h);
        BuildDeckView(s, team, h, settings_.Mode, open_);
        TBox& box = s[i];
        TOptionTable table;
        if (!DrawsAllowed(rules))
            table = BestPlayOptions(box.DeckView, box.Hand, open_, rules, TOptionRequest{});
        else if (playedValid_[i] && SameView(playedView_[i], box.DeckView))
            table = played_[i]; // the same hand on the same view: the player's table
        else
            table = BestPlayOptions(box.DeckView, box.Hand, open_, rules, RulesRequest(rules));
        const TPlayOption& best = table.BestOption();
        bool raise = best.Kind == TOptionKind::Raise;
        int32_t insurance = best.Insurance;
        if (best.Kind == TOptionKind::Exchange1 || best.Kind == TOptionKind::Buy) {
            if (best.Kind == TOptionKind::Exchange1) {
                box.ExchangeIndex = best.First;
                box.DealResult -= rules.PriceChange1;
                ReceiveCard(s, h, best.First, kMarkExchanged);
            } else {
                box.BuyDecision |= 1;
                box.DealResult -= rules.PriceBuy6;
                ReceiveCard(s, h, 6, kMarkBought);
            }
            const TContinuation c = FinalContinuation(box.DeckView, box.Hand, open_, rules);
            raise = c.Raise;
            insurance = c.Insurance;
        }
        box.Raise = raise;
        if (raise)
            box.DealResult -= 2;
        else
            box.Outcome = kOutcomePassed;
        box.InsuranceSum = insurance;
        box.DealResult -= insurance;
    }
    SettleDeal(s, team, false, nullptr);
    return s;
}

void TTrainingSession::SettleAll() {
    const int team = settings_.TeamSize;
    SettleDeal(boxes_, team, false, nullptr);
    const TBoxes shadow = PlayShadow();
    for (int b = 1; b <= team; ++b) {
        const size_t i = static_cast<size_t>(b);
        TBoxPlay p = PlayOf(dealt_[i], boxes_[i], next_[i]);
        p.BestValue = bestValue_[i];
        deal_.Boxes.push_back(p);
        deal_.Result += p.Result;
        deal_.BestExpected += p.BestValue;
        TBoxPlay q = PlayOf(dealt_[i], shadow[i], next_[i]);
        deal_.Shadow.push_back(q);
        deal_.ShadowResult += q.Result;
    }
    deal_.Dealer = boxes_[0].Hand;
    for (const TJudgement& j : deal_.Judgements) deal_.Cost += j.Cost;
    stats_.AddDeal(deal_);
    last_ = deal_;
    step_ = TStep::DealEnd;
}

TPricedDecision Reprice(const TJudgement& j, const TRules& rules) {
    if (j.Kind == TDecisionKind::Draw) return PriceDraw(j.View, j.Hand, j.Open, rules);
    const TContinuation c = FinalContinuation(j.View, j.Hand, j.Open, rules);
    return j.Kind == TDecisionKind::RaisePass ? PriceRaise(c) : PriceInsurance(c);
}

} // namespace kvarlen::training
