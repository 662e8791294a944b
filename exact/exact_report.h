// The return table, the summary figures and the decision chart of an exact result, for the
// command line and the desktop page.
#pragma once

#include "exact/exact_run.h"
#include "exact/exact_sweep.h"

#include <string>
#include <vector>

namespace kvarlen {

struct TExactTableRow {
    int Row = 0;
    std::string Id;      // stable key of the JSON form: "passed", "win_pair", ...
    std::string Label;   // English text of the command line
    std::string Caption; // the window's text
    bool Side = false;   // insurance and costs: events beside the outcome rows
    uint64_t Deals = 0;
    TExactInt Amount = 0; // antes of the row's integer stakes; cost rows: 0 (see Price)
    double Price = 0;     // cost rows: what each deal of the row paid
    long double Probability = 0;
    long double NetPerDeal = 0;   // per deal of the row, per ante
    long double Contribution = 0; // to the expected value per deal
};

// The rows of the table in order: the outcome rows, then the side rows that the rules allow.
std::vector<TExactTableRow> ExactTableRows(const TExactResult& r);

struct TExactSummary {
    TExactUInt Deals = 0;
    TExactInt NetInteger = 0; // antes of every integer stake
    uint64_t Bought = 0, Exchanged = 0;
    bool NetIsInteger = false; // the prices are whole: Net is exact
    TExactInt Net = 0;
    long double NetValue = 0;
    long double MO = 0;        // expected value per deal
    long double HouseEdge = 0; // -MO
    long double Variance = 0;
    long double Deviation = 0;
    long double AverageWager = 0; // ante, raise and insurance per deal
    long double ElementOfRisk = 0;
    long double RaiseShare = 0, PassShare = 0, BuyShare = 0, ExchangeShare = 0, InsureShare = 0;
};
TExactSummary SummarizeExact(const TExactResult& r);

// The exact net result in words: "-1041372912372" or "123 - 1.5 x 456 (exact counts times the
// price)" with the given decimal separator.
std::string ExactNetText(const TExactResult& r, char sep);

// The whole text report: rules, table, summary, layouts and time.
std::vector<std::string> ExactReportLines(const TExactResult& r, char sep);

// The table as CSV with the window's captions (';' between the fields), the last line the
// expected value per deal: for "copy" and "save as CSV" of the desktop page.
std::vector<std::string> ExactTableCsvLines(const TExactResult& r, char sep);

// The decision chart: one line per dealt class and open value, ';' between the fields.
std::vector<std::string> ExactDecisionLines(const TExactResult& r, char sep);

// The table of a sweep: the header (the parameter's name, then English captions) and one row per
// point: value, exact net result, MO, house edge, element of risk, how often the box raises,
// buys, exchanges and insures. Numbers with the decimal separator sep.
std::vector<std::vector<std::string>> SweepRows(const TSweepPlan& plan,
                                                const std::vector<TExactResult>& points, char sep);

// "ace + king", "pair", ... for ordinals 1..10; "nothing" for 0.
std::string ExactClassLabel(int ordinal);

} // namespace kvarlen
