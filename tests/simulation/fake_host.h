// A host for the engine tests: fixed settings and options, every call recorded.
#pragma once

#include "simulation/simulation_host.h"

#include <functional>
#include <string>
#include <vector>

namespace kvarlen::test {

class FakeHost : public TSimulationHost {
  public:
    TRunSettings Settings;
    TLiveOptions Live;
    bool ThrowOnSettings = false;
    // Called before each deal's live options are handed out (deal = number of the call).
    std::function<void(int64_t call, TLiveOptions&)> OnLive;
    std::function<bool()> Stop;
    std::function<void()> OnWait;

    std::vector<std::string> Calls; // progress and trace calls, in order
    std::vector<std::string> Messages;
    std::vector<std::string> Memo;
    std::vector<TMathInputs> Math;
    std::string Caption;
    int DeckDirty = 0;
    int64_t LiveCalls = 0;
    bool RecordTrace = true;
    std::vector<TTracedDeal> Traced; // every TraceDealResult, kept apart from Calls

    TRunSettings ReadRunSettings() override {
        if (ThrowOnSettings) throw ConvertError("'x' is not a valid integer value");
        return Settings;
    }
    void ReadLiveOptions(TLiveOptions& o) override {
        ++LiveCalls;
        if (OnLive) OnLive(LiveCalls, Live);
        o = Live;
    }
    void Progress(int64_t deal, const std::string& caption) override {
        Calls.push_back("Progress " + std::to_string(deal) + " " + caption);
        Caption = caption;
    }
    void Idle() override { Calls.push_back("Idle"); }
    bool StopRequested() override { return Stop ? Stop() : false; }
    void TraceInit() override { Calls.push_back("Init"); }
    void ClearTable() override { Trace("ClearTable"); }
    void Trace_DrawDHand(const THand& h, int left, int top) override {
        Trace("DHand " + std::to_string(h.Count) + " " + std::to_string(left) + " " +
              std::to_string(top));
    }
    void Trace_DrawPHand(const THand& h, int left, int top, int open) override {
        Trace("PHand " + std::to_string(h.Count) + " " + std::to_string(left) + " " +
              std::to_string(top) + " " + std::to_string(open));
    }
    void DrawRaiseDecision(bool raise, int left, int top) override {
        Trace(std::string("Raise ") + (raise ? "1 " : "0 ") + std::to_string(left) + " " +
              std::to_string(top));
    }
    void DrawInsurDecision(int32_t sum, int left, int top) override {
        Trace("Insur " + std::to_string(sum) + " " + std::to_string(left) + " " +
              std::to_string(top));
    }
    void TraceDealResult(const TTracedDeal& d) override { Traced.push_back(d); }
    void WaitForReadKey() override {
        Trace("Wait");
        if (OnWait) OnWait();
    }
    void Message(const std::string& text) override { Messages.push_back(text); }
    void AppendReport(const std::vector<std::string>& lines) override {
        Memo.insert(Memo.end(), lines.begin(), lines.end());
    }
    std::vector<std::string> MemoLines() override { return Memo; }
    void SetMathFields(const TMathInputs& m) override { Math.push_back(m); }
    void SetStartCaption(const std::string& c) override { Caption = c; }
    void MarkDeckDirty() override { ++DeckDirty; }

  private:
    void Trace(const std::string& s) {
        if (RecordTrace) Calls.push_back(s);
    }
};

// Settings of a small run that writes no files.
inline TRunSettings QuietSettings(int team, int deals) {
    TRunSettings s;
    s.TeamSize = team;
    s.DealsToPlay = deals;
    s.InitialBank = 100;
    s.OutDir.clear();
    return s;
}

// A hand from command-line notation, e.g. "AH KS XC 3C XD", classified.
inline THand MakeHand(const std::string& cards, bool akPlays = true) {
    THand h;
    const std::vector<TCardRec> c = ParseCards(cards);
    h.Count = static_cast<uint8_t>(c.size());
    for (size_t i = 0; i < c.size(); ++i) h.Cards[i + 1] = c[i];
    EvaluateHand(h, akPlays);
    return h;
}

} // namespace kvarlen::test
