// Pictures of exact results as SVG text: the house edge of a sweep against the price or payout
// swept, and the decision chart. Drawn without a toolkit, so the command line writes the very
// picture the desktop page shows (the page renders this text and saves it as it is, or as PNG).
#pragma once

#include "exact/exact_sweep.h"

#include <string>
#include <vector>

namespace kvarlen {

// The language of a picture's texts: the command line speaks English, the window Russian.
enum class TPictureLanguage { English, Russian };

// What a sweep chart shows: two curves in per cent against the value swept.
struct TSweepCurve {
    std::string Title;
    std::string Axis;           // the caption of the value axis
    std::vector<double> Values; // ascending
    std::vector<double> Edges;  // house edge, %
    std::vector<double> Risks;  // element of risk, %
    int Current = -1;           // the point of the rules in force, -1: none swept
    bool HasTarget = false;     // a horizontal line at the target edge
    double Target = 0;          // %
    bool HasSolution = false;   // the crossing of the target, marked and labelled
    double Solution = 0;        // the value there
    std::string SolutionText;   // its label ("1.39898 = 957/684")
    std::string Note;           // a line under the title (why there is no crossing, ...)
    TPictureLanguage Language = TPictureLanguage::English;
    char Sep = '.';
};

// "price of the sixth card, antes", "payout of a flush", ... in the language given.
std::string SweepParameterCaption(const TSweepParameter& p, TPictureLanguage language);

// The curve of complete points (their values as swept: the points are sorted by value here);
// current: the value of the rules in force, marked where it is one of the points.
TSweepCurve SweepCurveOf(const TSweepPlan& plan, const std::vector<TExactResult>& points,
                         double current, TPictureLanguage language, char sep);

// The edge where the straight line between two neighbouring points meets target; false when no
// pair of points encloses it. For a label marked as interpolated where nothing was solved.
bool InterpolatedCrossing(const TSweepCurve& curve, double target, double* value);

std::string SweepChartSvg(const TSweepCurve& curve, int width, int height);

// The decision chart of a result: dealt class (rows) against the dealer's open card (columns),
// each cell split by the shares of pass, raise, buy and exchange and showing the mean result per
// ante with the price paid.
std::string DecisionChartSvg(const TExactResult& r, int width, int height,
                             TPictureLanguage language, char sep);

// The mean result of a cell of the chart (prices paid included); false for a cell without deals.
bool DecisionCellMean(const TExactResult& r, int dealtClass, int openValue, long double* mean);

// Escapes &, <, > and quotes for XML text and attributes.
std::string XmlText(const std::string& s);

} // namespace kvarlen
