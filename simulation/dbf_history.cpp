#include "simulation/dbf_history.h"

#include "simulation/strategy_rules.h"

namespace kvarlen {

namespace {

TDbfField Text(const char* name, int width) {
    return TDbfField{name, 'C', width, 0};
}
TDbfField Int(const char* name, int width) {
    return TDbfField{name, 'N', width, 0};
}
TDbfField Real(const char* name) {
    return TDbfField{name, 'N', 19, 12};
}

void SetText(int h, int field, const std::string& text) {
    SetValue(h, field, text.c_str(), 0);
}
void SetNumber(int h, int field, double number) {
    SetValue(h, field, "#", number);
}

} // namespace

const std::vector<TDbfField>& HistoryFields() {
    static const std::vector<TDbfField> fields = {
        Text("D_CARD1", 2),  Text("D_CARD2", 2), Text("D_CARD3", 2),   Text("D_CARD4", 2),
        Text("D_CARD5", 2),  Int("D_COMBO", 2),  Text("P_CARD1", 2),   Text("P_CARD2", 2),
        Text("P_CARD3", 2),  Text("P_CARD4", 2), Text("P_CARD5", 2),   Text("P_BOUGHT", 2),
        Int("P_COMBO", 2),   Int("RESERVED", 1), Real("MO_BUY"),       Real("MO_RAISE"),
        Real("MO_RAISE6"),   Int("OUTCOME", 3),  Int("OWN_MATCH", 2),  Real("MO_FINAL"),
        Text("F_RANK1", 1),  Text("F_RANK2", 1), Text("STR_RANK", 1),  Int("FLUSH4", 1),
        Int("TRIPS_FH", 1),  Int("HOLE2", 1),    Int("DEALT_COMB", 2), Text("DT_RANK1", 1),
        Text("DT_RANK2", 1),
    };
    return fields;
}

int OpenHistory(const std::string& path, std::string& error, TDbfOpenInfo* info) {
    return OpenBase(path, HistoryFields(), error, info);
}

void WriteDealtFields(int h, const TBox& box, const TRules& rules, bool drawColumns) {
    const THand& hand = box.Hand;
    SetNumber(h, 18, box.OwnMatches);
    for (int i = 1; i <= 5; ++i) SetText(h, 5 + i, HistoryCardText(hand.Cards[i]));
    SetNumber(h, 26, ComboOrdinal(hand.Combo));
    if (!drawColumns) return;
    SetText(h, 27, RankLetter(hand.Rank1));
    SetText(h, 28, RankLetter(hand.Rank2));
    const bool twoHoles = ThereIs2HoleStraight(hand);
    SetNumber(h, 25, twoHoles ? 1 : 0);
    std::string straightRank;
    if (!twoHoles) {
        const TStraightDraw draw = StraightDraw(hand);
        if (draw.Found)
            straightRank = RankLetter(StraightRankWithCard(hand, draw.CompletingRank, rules));
    }
    SetText(h, 22, straightRank);
    SetNumber(h, 23, FourFlushSuit(hand));
    SetNumber(h, 24, hand.Combo == C_Trips || hand.Combo == C_FullHouse ? 1 : 0);
}

void WriteOutcomeFields(int h, const TBox& dealer, const TBox& box) {
    for (int i = 1; i <= 5; ++i) SetText(h, i - 1, HistoryCardText(dealer.Hand.Cards[i]));
    SetNumber(h, 5, ComboOrdinal(dealer.Hand.Combo));
    const THand& hand = box.Hand;
    const bool six = hand.Count == 6;
    if (six)
        for (int i = 1; i <= 6; ++i)
            if (hand.Cards[i].Mark == kMarkBought) SetText(h, 11, HistoryCardText(hand.Cards[i]));
    SetNumber(h, 12, ComboOrdinal(hand.Combo));
    SetNumber(h, 14, box.MOBuy);
    SetNumber(h, 15, box.MORaiseDealt);
    if (six) SetNumber(h, 16, box.MORaiseFinal);
    SetNumber(h, 19, six ? box.MORaiseFinal : box.MORaiseDealt);
    SetText(h, 20, RankLetter(hand.Rank1));
    SetText(h, 21, RankLetter(hand.Rank2));
    SetNumber(h, 17, box.Outcome);
}

} // namespace kvarlen
