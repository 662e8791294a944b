#include "cards/numfmt.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kvarlen {

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

// Digits and decimal exponent of a value rounded to `sig` significant digits:
// value = 0.d1d2..dn x 10^point, trailing zeros removed, n >= 1.
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;
};

Decimal ToDecimal(double value, int sig) {
    Decimal d;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, sig - 1);
    std::string s(buf, res.ptr);
    size_t pos = 0;
    if (s[0] == '-') {
        d.negative = true;
        pos = 1;
    }
    const size_t epos = s.find('e');
    std::string mant = s.substr(pos, epos - pos);
    const int exp = std::atoi(s.c_str() + epos + 1);
    for (char c : mant)
        if (c != '.') d.digits += c;
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    d.point = exp + 1;
    if (d.digits == "0") {
        d.point = 0;
        d.negative = false;
    }
    return d;
}

} // namespace

std::string ShortText(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t cut = maxBytes;
    // Do not split a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) + "…";
}

int32_t StrToInt(const std::string& text) {
    const std::string t = Trim(text);
    const std::string msg = "'" + ShortText(text) + "' is not a valid integer value";
    if (t.empty()) throw ConvertError(msg);
    size_t i = 0;
    bool neg = false;
    if (t[0] == '+' || t[0] == '-') {
        neg = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) throw ConvertError(msg);
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') throw ConvertError(msg);
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1)
            throw ConvertError(msg);
    }
    if (neg) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        throw ConvertError(msg);
    return static_cast<int32_t>(v);
}

double StrToFloat(const std::string& text) {
    const std::string msg = "'" + ShortText(text) + "' is not a valid floating point value";
    std::string t = Trim(text);
    if (t.empty()) throw ConvertError(msg);
    // One decimal separator, either sign: "1,0" and "1.0" both work in every locale.
    int seps = 0;
    for (char& c : t)
        if (c == ',' || c == '.') {
            c = '.';
            ++seps;
        }
    if (seps > 1) throw ConvertError(msg);
    const char* b = t.c_str();
    const char* e = b + t.size();
    // One sign at most: "+-1" is not a number.
    if (*b == '+') {
        ++b;
        if (b == e || *b == '-') throw ConvertError(msg);
    }
    if (b == e || (*b != '-' && *b != '.' && (*b < '0' || *b > '9'))) throw ConvertError(msg);
    double v = 0;
    auto res = std::from_chars(b, e, v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != e || !std::isfinite(v)) throw ConvertError(msg);
    return v;
}

std::string FormatGeneralPrecision(double value, int precision, char separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    const Decimal d = ToDecimal(value, precision);
    std::string out = d.negative ? "-" : "";
    if (d.digits == "0") return "0";
    if (d.point > precision || d.point < -3) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += separator;
            out += d.digits.substr(1);
        }
        out += 'E';
        out += std::to_string(d.point - 1);
        return out;
    }
    if (d.point <= 0) {
        out += '0';
        out += separator;
        out += std::string(static_cast<size_t>(-d.point), '0');
        out += d.digits;
    } else if (static_cast<int>(d.digits.size()) <= d.point) {
        out += d.digits;
        out += std::string(static_cast<size_t>(d.point) - d.digits.size(), '0');
    } else {
        out += d.digits.substr(0, static_cast<size_t>(d.point));
        out += separator;
        out += d.digits.substr(static_cast<size_t>(d.point));
    }
    return out;
}

std::string FormatGeneral(double value, char separator) {
    return FormatGeneralPrecision(value, 15, separator);
}

std::string FormatFixed(double value, int precision, int digits, char separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    const Decimal d = ToDecimal(value, precision);
    if (d.digits != "0" && d.point > precision)
        return FormatGeneralPrecision(value, precision, separator);
    std::string body;
    if (d.digits != "0" && d.point + digits >= precision) {
        // The significant digits run out before the decimals do: pad with zeros.
        std::string all = d.digits;
        if (d.point > 0 && static_cast<int>(all.size()) < d.point)
            all += std::string(static_cast<size_t>(d.point) - all.size(), '0');
        std::string ip, fp;
        if (d.point <= 0) {
            ip = "0";
            fp = std::string(static_cast<size_t>(-d.point), '0') + all;
        } else {
            ip = all.substr(0, static_cast<size_t>(d.point));
            fp = all.substr(static_cast<size_t>(d.point));
        }
        if (static_cast<int>(fp.size()) < digits) fp += std::string(digits - fp.size(), '0');
        fp.resize(static_cast<size_t>(digits));
        body = digits > 0 ? ip + separator + fp : ip;
        if (d.negative) body = "-" + body;
        return body;
    }
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, digits);
    body.assign(buf, res.ptr);
    bool allZero = true;
    for (char c : body)
        if (c >= '1' && c <= '9') allZero = false;
    if (allZero && !body.empty() && body[0] == '-') body.erase(0, 1);
    for (char& c : body)
        if (c == '.') c = separator;
    return body;
}

} // namespace kvarlen
