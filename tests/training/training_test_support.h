// What the training tests share: sessions driven by a seeded bot, and the rule sets they play.
#pragma once

#include "training/training_session.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>

namespace kvarlen::test {

inline training::TSessionSettings Settings(int boxes, TInfoMode mode, uint32_t seed,
                                           int64_t deals) {
    training::TSessionSettings s;
    s.TeamSize = boxes;
    s.Mode = mode;
    s.Seed = seed;
    s.Deals = deals;
    s.Feedback = training::TFeedback::Deal;
    s.Pay = PayTable;
    return s;
}

inline TRules ExchangeRules() {
    TRules r;
    r.Buy6 = false;
    r.Exchange1 = true;
    r.PriceChange1 = 0.5;
    return r;
}

// A player that answers at random from the legal keys (or as `choose` says), seeded.
struct TBot {
    std::mt19937 Rng;
    explicit TBot(uint32_t seed) : Rng(seed) {}
    std::string Pick(const training::TDecisionPoint& p) {
        return p.Keys[std::uniform_int_distribution<size_t>(0, p.Keys.size() - 1)(Rng)];
    }
};

// Plays the whole session; `visit` sees each point before it is answered.
inline void PlaySession(training::TTrainingSession& s,
                        const std::function<std::string(training::TTrainingSession&)>& answer) {
    while (s.NextDeal())
        while (s.Step() == training::TStep::Decision) s.Answer(answer(s));
}

} // namespace kvarlen::test
