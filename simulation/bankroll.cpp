#include "simulation/bankroll.h"

#include <cmath>

namespace kvarlen {

namespace {
const char* const kDivByZero = "Floating point division by zero";
const char* const kInvalidOp = "Invalid floating point operation";

double CheckedSqrt(double x) {
    if (x < 0 || std::isnan(x)) throw MathError(kInvalidOp);
    return std::sqrt(x);
}
} // namespace

double RiskOfRuin(double mo, double bank, double variance) {
    if (variance == 0) throw MathError(kDivByZero);
    return std::exp(-2.0 * mo * bank / variance);
}

double MinimalBank(double mo, double variance) {
    if (mo == 0) throw MathError(kDivByZero);
    return variance / mo;
}

TSpread Spread(long long deals, double mo, double variance) {
    const double n = static_cast<double>(deals);
    const double half = 2.0 * CheckedSqrt(n * variance);
    TSpread s;
    s.Expected = n * mo;
    s.Low = s.Expected - half;
    s.High = s.Expected + half;
    return s;
}

double Sigma(double variance) {
    return CheckedSqrt(variance);
}

} // namespace kvarlen
