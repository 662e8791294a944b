#include "simulation/bankroll.h"

#include <cmath>

namespace kvarlen {

namespace {
const char* const kDivByZero = "Floating point division by zero";
const char* const kInvalidOp = "Invalid floating point operation";
const char* const kOverflow = "Floating point overflow";

// Figures beyond the range of a double are refused rather than shown as INF or NAN.
double Finite(double x) {
    if (!std::isfinite(x)) throw MathError(kOverflow);
    return x;
}

double CheckedSqrt(double x) {
    if (x < 0 || std::isnan(x)) throw MathError(kInvalidOp);
    return std::sqrt(x);
}
} // namespace

double RiskOfRuin(double mo, double bank, double variance) {
    if (variance == 0) throw MathError(kDivByZero);
    return Finite(std::exp(Finite(-2.0 * mo * bank / variance)));
}

double MinimalBank(double mo, double variance) {
    if (mo == 0) throw MathError(kDivByZero);
    return Finite(variance / mo);
}

TSpread Spread(long long deals, double mo, double variance) {
    const double n = static_cast<double>(deals);
    const double half = Finite(2.0 * CheckedSqrt(Finite(n * variance)));
    TSpread s;
    s.Expected = Finite(n * mo);
    s.Low = Finite(s.Expected - half);
    s.High = Finite(s.Expected + half);
    return s;
}

double Sigma(double variance) {
    return CheckedSqrt(variance);
}

} // namespace kvarlen
