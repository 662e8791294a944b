#include "simulation/deal_log.h"

#include "simulation/text_files.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

namespace kvarlen {

namespace {

TLogCard LogCard(const TCardRec& c) {
    return TLogCard{c.Suit, static_cast<uint8_t>(c.Value)};
}

std::string CardsText(const std::array<TLogCard, 5>& cards) {
    std::string s;
    for (const TLogCard& c : cards) {
        if (!s.empty()) s += ' ';
        s += CardNotation(TCardRec{c.Suit, c.Value, 0});
    }
    return s;
}

std::string CardText(const TLogCard& c) {
    return c.Suit == 0 ? std::string() : CardNotation(TCardRec{c.Suit, c.Value, 0});
}

// Shortest text that reads back as the same double, always with a decimal point.
std::string Number(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

// The columns in order; each gives its value as text, empty when the row has none.
struct TField {
    const char* Name;
    bool Quoted; // a JSON string (cards); the others are numbers
    std::string Text;
};

std::vector<TField> Fields(const TDealLogRow& r, int stream, int64_t seed) {
    auto mo = [&](int bit, double v) { return (r.HasMO & bit) ? Number(v) : std::string(); };
    auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    return {
        {"Stream", false, std::to_string(stream)},
        {"Deal", false, std::to_string(r.Deal)},
        {"Seed", false, seed >= 0 ? std::to_string(seed) : std::string()},
        {"Box", false, std::to_string(r.Box)},
        {"DealerCards", true, CardsText(r.DealerCards)},
        {"DealerClass", false, std::to_string(r.DealerClass)},
        {"Cards", true, CardsText(r.Cards)},
        {"Class", false, std::to_string(r.Class)},
        {"ExchangeIndex", false, std::to_string(r.ExchangeIndex)},
        {"ExchangeCard", true, CardText(r.ExchangeCard)},
        {"Bought", false, flag(r.Bought)},
        {"BoughtCard", true, CardText(r.BoughtCard)},
        {"BuyDecision", false, std::to_string(r.BuyDecision)},
        {"Raise", false, flag(r.Raise)},
        {"InsuranceSum", false, std::to_string(r.InsuranceSum)},
        {"WantsDealerGame", false, flag(r.WantsDealerGame)},
        {"DealerGame", false, flag(r.DealerGame)},
        {"DealerDiscard", true, CardText(r.DealerDiscard)},
        {"DealerCard", true, CardText(r.DealerCard)},
        {"DealerFinalClass", false, std::to_string(r.DealerFinalClass)},
        {"MORaiseDealt", false, mo(1, r.MORaiseDealt)},
        {"MOChange1", false, mo(2, r.MOChange1)},
        {"MOBuy", false, mo(4, r.MOBuy)},
        {"MORaiseFinal", false, mo(8, r.MORaiseFinal)},
        {"FinalClass", false, std::to_string(r.FinalClass)},
        {"Outcome", false, std::to_string(r.Outcome)},
        {"DealResult", false, Number(r.DealResult)},
        {"Bank", false, Number(r.Bank)},
    };
}

} // namespace

TDealLog::TDealLog() {
    scratch_ = std::tmpfile();
    buffer_.reserve(kBuffer);
}

TDealLog::~TDealLog() {
    if (scratch_ != nullptr) std::fclose(scratch_);
}

void TDealLog::Spill() {
    if (scratch_ != nullptr) {
        // A full disk loses the rows; writing the log then reports the error.
        if (std::fwrite(buffer_.data(), sizeof(TDealLogRow), buffer_.size(), scratch_) !=
            buffer_.size())
            failed_ = true;
    } else {
        memory_.insert(memory_.end(), buffer_.begin(), buffer_.end());
    }
    buffer_.clear();
}

void TDealLog::Dealt(const TBoxes& boxes, int teamSize) {
    for (int q = 0; q <= teamSize; ++q)
        dealt_[static_cast<size_t>(q)] = boxes[static_cast<size_t>(q)].Hand;
}

void TDealLog::Settled(const TBoxes& boxes, int teamSize, int64_t deal, bool ideal,
                       const TRules& rules) {
    const THand& dealerDealt = dealt_[0];
    const THand& dealerNow = boxes[0].Hand;
    TDealLogRow base;
    base.Deal = deal;
    for (int i = 1; i <= 5; ++i) {
        base.DealerCards[static_cast<size_t>(i - 1)] = LogCard(dealerDealt.Cards[i]);
        // A five-card hand keeps its slots: the replaced slot is the dealer's bought game.
        if (!SameCard(dealerDealt.Cards[i], dealerNow.Cards[i])) {
            base.DealerGame = true;
            base.DealerDiscard = LogCard(dealerDealt.Cards[i]);
            base.DealerCard = LogCard(dealerNow.Cards[i]);
        }
    }
    base.DealerClass = static_cast<uint8_t>(ComboOrdinal(dealerDealt.Combo));
    base.DealerFinalClass = static_cast<uint8_t>(ComboOrdinal(dealerNow.Combo));

    for (int b = 1; b <= teamSize; ++b) {
        const TBox& box = boxes[static_cast<size_t>(b)];
        const THand& dealt = dealt_[static_cast<size_t>(b)];
        TDealLogRow row = base;
        row.Box = static_cast<uint8_t>(b);
        for (int i = 1; i <= 5; ++i)
            row.Cards[static_cast<size_t>(i - 1)] = LogCard(dealt.Cards[i]);
        row.Class = static_cast<uint8_t>(ComboOrdinal(dealt.Combo));
        row.ExchangeIndex = box.ExchangeIndex;
        for (int i = 1; i <= box.Hand.Count; ++i) {
            const TCardRec& c = box.Hand.Cards[i];
            if (c.Mark == kMarkExchanged) row.ExchangeCard = LogCard(c);
            if (c.Mark == kMarkBought) row.BoughtCard = LogCard(c);
        }
        row.Bought = box.Hand.Count == 6;
        row.BuyDecision = box.BuyDecision;
        row.Raise = box.Raise;
        row.InsuranceSum = box.InsuranceSum;
        row.WantsDealerGame = box.WantsDealerGame;
        if (ideal) {
            row.HasMO = 1;
            row.MORaiseDealt = box.MORaiseDealt;
            if (rules.Exchange1) {
                row.HasMO |= 2;
                row.MOChange1 = box.MOChange1;
            }
            if (rules.Buy6) {
                row.HasMO |= 4;
                row.MOBuy = box.MOBuy;
            }
            if (box.ExchangeIndex != 0 || row.Bought) {
                row.HasMO |= 8;
                row.MORaiseFinal = box.MORaiseFinal;
            }
        }
        row.FinalClass = static_cast<uint8_t>(ComboOrdinal(box.Hand.Combo));
        // Strategy play leaves a passed box unsettled; the log names it passed in both plays.
        row.Outcome =
            box.Outcome == kOutcomeNotSettled && !box.Raise ? kOutcomePassed : box.Outcome;
        row.DealResult = box.DealResult;
        row.Bank = box.Bank;
        if (buffer_.size() == kBuffer) Spill();
        buffer_.push_back(row);
        ++count_;
    }
}

bool IsJsonLinesName(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".jsonl";
}

std::string DealLogHeader() {
    std::string line;
    for (const TField& f : Fields(TDealLogRow{}, 0, -1)) {
        if (!line.empty()) line += ',';
        line += f.Name;
    }
    return line;
}

std::string DealLogCsv(const TDealLogRow& row, int stream, int64_t seed) {
    std::string line;
    bool first = true;
    for (const TField& f : Fields(row, stream, seed)) {
        if (!first) line += ',';
        first = false;
        line += f.Text; // no field holds a comma or a quote
    }
    return line;
}

std::string DealLogJson(const TDealLogRow& row, int stream, int64_t seed) {
    std::string line = "{";
    for (const TField& f : Fields(row, stream, seed)) {
        if (line.size() > 1) line += ',';
        line += '"';
        line += f.Name;
        line += "\":";
        if (f.Text.empty())
            line += "null";
        else if (f.Quoted)
            line += '"' + f.Text + '"';
        else
            line += f.Text;
    }
    line += '}';
    return line;
}

TDealLogFile::TDealLogFile() = default;

TDealLogFile::~TDealLogFile() {
    // A run that broke off before its end leaves the earlier file as it was.
    Discard();
}

bool TDealLogFile::Open(const std::string& path, std::string& error) {
    Discard();
    path_ = WriteTarget(path);
    json_ = IsJsonLinesName(path);
    if (IsSpecialFile(path_)) {
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr) {
            error = CannotCreateText(path, errno);
            return false;
        }
        return true;
    }
    writer_ = std::make_unique<TFileWriter>(path_);
    if (!writer_->Open(error)) {
        writer_.reset();
        return false;
    }
    return true;
}

void TDealLogFile::Discard() {
    writer_.reset(); // removes the temporary file
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

bool TDealLogFile::Write(const std::vector<TDealLogPart>& parts, std::string& error) {
    if (!IsOpen()) return false;
    bool ok = true;
    int err = 0;
    auto put = [&](std::string& line) {
        line += '\n';
        if (!ok) return;
        if (writer_ != nullptr) {
            ok = writer_->Write(line);
        } else if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) {
            ok = false;
            err = errno;
        }
    };
    std::string line;
    if (!json_) {
        line = DealLogHeader();
        put(line);
    }
    bool scratchFailed = false;
    for (const TDealLogPart& part : parts) {
        const bool complete = part.Log->ForEach([&](TDealLogRow row) {
            if (!ok) return;
            row.Bank += part.Offset[static_cast<size_t>(row.Box - 1)];
            line = json_ ? DealLogJson(row, part.Stream, part.Seed)
                         : DealLogCsv(row, part.Stream, part.Seed);
            put(line);
        });
        if (!complete && ok) {
            ok = false;
            scratchFailed = true;
            err = EIO;
        }
    }
    if (writer_ != nullptr) {
        // A log missing rows must not replace the earlier one.
        if (scratchFailed) {
            writer_.reset();
            error = CannotWriteText(path_, err);
            return false;
        }
        const bool done = writer_->Commit(error);
        writer_.reset();
        return done;
    }
    if (std::fflush(file_) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        err = errno;
    }
    file_ = nullptr;
    if (!ok) error = "Cannot write file \"" + path_ + "\". " + std::strerror(err);
    return ok;
}

} // namespace kvarlen
