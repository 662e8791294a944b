// Layouts the exactness tests sample: named ones that reach the awkward corners of the counters
// and random ones from a fixed seed.
#pragma once

#include "dealer_brute_force.h"

#include <random>
#include <string>
#include <vector>

namespace kvarlen::test {

struct TSample {
    std::string Name;
    std::vector<TCardRec> Player; // five or six cards
    TCardRec Open;
    std::vector<TCardRec> Out; // known to be out of play
    bool AKPlays = true;

    TDeck Deck() const {
        std::vector<TCardRec> gone = Player;
        gone.insert(gone.end(), Out.begin(), Out.end());
        return DeckWithout(gone);
    }
    THand Hand() const { return MakeHand(Player, AKPlays); }
};

inline TSample Sample(const std::string& name, const std::string& player, const std::string& open,
                      const std::string& out = "", bool ak = true) {
    return TSample{name, Cards(player), ParseCard(open), Cards(out), ak};
}

// Every class of player hand, the open values that bend the patterns, suits short of five,
// six-card hands, ace + king off and cards out of play.
inline std::vector<TSample> NamedSamples() {
    return {
        Sample("pair of tens against an open ten", "AH KS XC 3C XD", "XS"),
        Sample("nothing against an open ace", "2C 7D 9H JS 4C", "AS"),
        Sample("all kings seen, open ace", "KS KC KD KH 5D", "AH"),
        Sample("ace king against an open king", "AS KC 8D JH 3S", "KD"),
        Sample("ace king against an open ace", "AS KC 9D 5H 2S", "AD"),
        Sample("ace king against an open queen", "AC KC 9D 4H 2S", "QS"),
        Sample("ace king against an open ten", "AD KH JC 7S 3D", "XH"),
        Sample("ace king against an open jack", "AD KH QC 7S 3D", "JH"),
        Sample("straight against an open five", "2S 3C 4D 5H 6S", "5C"),
        Sample("wheel against an open six", "AS 2C 3D 4H 5S", "6C"),
        Sample("hearts short of five", "2H 5H 9H JH KH", "3H", "4H 6H 7H 8H"),
        Sample("spades short of five, straights", "8S 9C XD JH 2C", "QS",
               "AS KS JS XS 9S 3S 4S 5S"),
        Sample("flush against an open diamond", "2D 5D 9D JD KD", "3D"),
        Sample("pair of sevens met by hidden sevens", "7S 7C KD 4H 2S", "3D"),
        Sample("pair of aces, open ace", "AS AC 9D 5H 2S", "AH"),
        Sample("two pairs against an open king", "KS KC 5D 5H 9S", "KD"),
        Sample("two pairs, open kicker value", "QS QC 5D 5H 9S", "9D"),
        Sample("trips against their fourth", "7S 7C 7D 2H 3S", "7H"),
        Sample("trips against an open ace", "7S 7C 7D 2H 3S", "AC"),
        Sample("full house against an open four", "QS QC QD 4H 4S", "4D"),
        Sample("quads against an open two", "7S 7C 7D 7H KS", "2C"),
        Sample("quads against an open king", "7S 7C 7D 7H 2S", "KC"),
        Sample("straight flush against spades", "5H 6H 7H 8H 9H", "4S"),
        Sample("royal against an open ace", "XH JH QH KH AH", "AS"),
        Sample("six cards: pair of eights, open eight", "8S 8C KD 7H 4S 2C", "8D"),
        Sample("six cards: ace king, open queen", "AS KC 9D 5H 2S 3C", "QH"),
        Sample("six cards: straight, open seven", "2S 3C 4D 5H 6S 9C", "7D"),
        Sample("six cards: flush, open heart", "2H 5H 9H JH KH KS", "AH"),
        Sample("six cards: two pairs", "JS JC 4D 4H AS 2C", "JD"),
        Sample("ace king off, nothing", "AH KS XC 3C 7D", "9S", "", false),
        Sample("ace king off, pair", "AH AS XC 3C 7D", "KS", "", false),
        Sample("ace king off, open ace", "2C 5D 9H JS KC", "AD", "2S 3S", false),
        Sample("cards out of play", "AH KS XC 3C XD", "XS", "2C 7H 9S JD QD QH"),
        Sample("many out, open queen", "AC KD 6H 2S 9C", "QC", "XC XD XH JS JC JD 4C 5C 6C"),
    };
}

// A random layout: five or six player cards, an open card, up to maxOut cards out of play.
inline TSample RandomSample(std::mt19937& rng, int maxOut) {
    int pick[52];
    for (int i = 0; i < 52; ++i) pick[i] = i + 1;
    const int six = rng() % 4 == 0 ? 1 : 0;
    const int out = maxOut > 0 ? static_cast<int>(rng() % (maxOut + 1)) : 0;
    const int need = 5 + six + 1 + out;
    for (int i = 0; i < need; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
    auto card = [&](int k) { return MakeCard((pick[k] - 1) / 13 + 1, (pick[k] - 1) % 13 + 1); };
    TSample s;
    s.Name = "random";
    for (int i = 0; i < 5 + six; ++i) s.Player.push_back(card(i));
    s.Open = card(5 + six);
    for (int i = 0; i < out; ++i) s.Out.push_back(card(6 + six + i));
    s.AKPlays = rng() % 5 != 0;
    return s;
}

inline std::string Describe(const TSample& s) {
    std::string t = s.Name + ":";
    for (const TCardRec& c : s.Player) t += " " + CardNotation(c);
    t += " / open " + CardNotation(s.Open);
    if (!s.Out.empty()) {
        t += " / out";
        for (const TCardRec& c : s.Out) t += " " + CardNotation(c);
    }
    if (!s.AKPlays) t += " / AK off";
    return t;
}

} // namespace kvarlen::test
