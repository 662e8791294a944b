// Bankroll figures for a game with a known expected result and variance per deal.
#pragma once

#include <stdexcept>
#include <string>

namespace kvarlen {

// "Floating point division by zero", "Invalid floating point operation" or "Floating point
// overflow" (a figure beyond the range of a double).
class MathError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Risk of ruin exp(-2 M B / D).
double RiskOfRuin(double mo, double bank, double variance);
// Minimal bank D / M.
double MinimalBank(double mo, double variance);
// Expected total of n deals with a 2-sigma band: low = nM - 2 sqrt(nD), high = nM + 2 sqrt(nD).
struct TSpread {
    double Low = 0;
    double Expected = 0;
    double High = 0;
};
TSpread Spread(long long deals, double mo, double variance);
// Standard deviation sqrt(D).
double Sigma(double variance);

} // namespace kvarlen
