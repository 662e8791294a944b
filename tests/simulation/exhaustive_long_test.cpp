// Long sweeps (CTest label exhaustive-long): every deal of long runs checked against the table
// of net results and against what each box may know.
#include "fake_host.h"
#include "simulation/simulation_run.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

// The net of a box in one strategy deal, from its decisions and outcome.
double ExpectedNet(const TBox& box, const TRules& rules) {
    const double p = PayOff(box.Hand.Combo);
    const double price = rules.PriceBuyDealerGame;
    const double insurance = box.InsuranceSum;
    const double bought = box.BuyDecision > 0 ? 1 : 0;
    double net = 0;
    if (!box.Raise) {
        net = -1;
    } else if (!box.WantsDealerGame) {
        switch (box.Outcome) {
        case kOutcomeNoGame:
            net = 1 + insurance;
            break;
        case kOutcomeWon:
            net = 1 + 2 * p - insurance;
            break;
        case kOutcomeLost:
            net = -3 - insurance;
            break;
        case kOutcomePush:
            net = -insurance;
            break;
        default:
            ADD_FAILURE() << "raised box not settled";
        }
    } else {
        switch (box.Outcome) {
        case kOutcomeNoGame:
            net = -1 - price + insurance;
            break;
        case kOutcomeWon:
            net = 2 * p - price - insurance + (rules.AntePaid ? 1 : 0);
            break;
        case kOutcomeLost:
            net = -3 - price - insurance;
            break;
        case kOutcomePush:
            net = -price - insurance;
            break;
        default:
            ADD_FAILURE() << "box that asked not settled";
        }
    }
    return net - bought;
}

TEST(Exhaustive, StrategyDealsFollowTheNetTable) {
    for (uint8_t mode : {0, 1, 2})
        for (uint8_t antePaid : {0, 1}) {
            test::FakeHost host;
            host.Settings = test::QuietSettings(3, 300000);
            host.Settings.Rules.DealerGameBuy = mode;
            host.Settings.Rules.AntePaid = antePaid;
            host.Settings.Rules.PriceBuyDealerGame = 1.5;
            host.Settings.Rules.PriceBuy6 = 2.5; // strategy play pays 1 for a sixth card anyway
            host.Live.Trace = true;
            host.RecordTrace = false;
            TDeck deck;
            TGenerator gen;
            gen.SeedMyRandom(1000u + mode * 10u + antePaid);
            TBoxes boxes;
            int64_t bad = 0, asked = 0;
            host.OnWait = [&] {
                for (size_t b = 1; b <= 3; ++b) {
                    asked += boxes[b].WantsDealerGame;
                    bad += boxes[b].DealResult != ExpectedNet(boxes[b], host.Settings.Rules);
                }
            };
            ASSERT_TRUE(SixCardSimulation(host, deck, gen, boxes).Ran);
            EXPECT_EQ(bad, 0) << "mode " << int(mode) << " ante " << int(antePaid);
            if (mode != 0) {
                EXPECT_GT(asked, 0);
            }
        }
}

TEST(Exhaustive, IdealViewsHideOwnCardsAndKeepTheDealers) {
    for (TInfoMode mode : {TInfoMode::InTurn, TInfoMode::Beacon, TInfoMode::FullExchange}) {
        test::FakeHost host;
        host.Settings = test::QuietSettings(3, 3000);
        host.Live.Mode = mode;
        host.Live.Trace = true;
        host.RecordTrace = false;
        TDeck deck;
        TGenerator gen;
        gen.SeedMyRandom(31337);
        TBoxes boxes;
        int64_t bad = 0;
        host.OnWait = [&] {
            for (size_t b = 1; b <= 3; ++b) {
                const TDeck& v = boxes[b].DeckView;
                const THand& own = boxes[b].Hand;
                for (int i = 1; i <= own.Count; ++i)
                    bad += v.IsUnseen(own.Cards[i].Suit, own.Cards[i].Value);
                // The beacon takes the others' cards of the open value by suit, not knowing
                // which they are: it may take a closed dealer card, never the open one.
                const THand& dealer = boxes[0].Hand;
                const int last = mode == TInfoMode::Beacon ? 1 : 5;
                for (int i = 1; i <= last; ++i)
                    bad += !v.IsUnseen(dealer.Cards[i].Suit, dealer.Cards[i].Value);
            }
        };
        ASSERT_TRUE(IDEAL_SixCardSimulation(host, deck, gen, boxes).Ran);
        EXPECT_EQ(bad, 0);
    }
}

} // namespace
} // namespace kvarlen
