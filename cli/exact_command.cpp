// kvarlen-cli exact: the exact value of the whole game for one box, its return table, summary
// and decision chart; a part of the layouts for spreading a run over machines, and the merge of
// the parts.
#include "cli/commands.h"
#include "cli/exact_sweep_output.h"
#include "cli/options_common.h"
#include "exact/exact_compare.h"
#include "exact/exact_json.h"
#include "exact/exact_pictures.h"
#include "exact/exact_report.h"
#include "simulation/text_files.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace kvarlen::cli {

namespace {

struct ExactOptions {
    std::string Mode = "ideal";
    int Boxes = 1;
    bool NoInsurance = false, NoAK = false, NoBuy = false, Exchange1 = false, AntePaid = false;
    std::string DealerGame = "none";
    std::string PriceChange1 = "1", PriceChange2 = "1", PriceBuy6 = "1", PriceDealerGame = "1";
    std::string Pay;
    TRuleSetChoice RuleSet;
    int Threads = 0;
    std::string Part = "1/1";
    std::vector<std::string> Merge;
    std::string Decisions;
    bool Json = false;
    bool Compare = false;
    std::string Sweep; // NAME=FROM:TO:STEP or NAME=v1,v2,...
    std::string Csv;   // the sweep's table as CSV
    std::string Solve; // the price or payout solved for --edge
    std::string Edge;
    std::string Chart; // the sweep's curve as SVG
};

class Refused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::atomic<bool> g_stop{false};

extern "C" void OnExactSignal(int) {
    g_stop.store(true);
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

// "K/N" with 1 <= K <= N.
void ParsePart(const std::string& text, int& k, int& n) {
    const size_t slash = text.find('/');
    auto number = [&](const std::string& s) {
        if (s.empty() || s.size() > 7 || s.find_first_not_of("0123456789") != std::string::npos)
            throw Refused("--part: '" + text + "' is not K/N");
        return std::stoi(s);
    };
    if (slash == std::string::npos) throw Refused("--part: '" + text + "' is not K/N");
    k = number(text.substr(0, slash));
    n = number(text.substr(slash + 1));
    if (n < 1 || k < 1 || k > n) throw Refused("--part: '" + text + "' needs 1 <= K <= N");
}

TExactSettings ReadSettings(const ExactOptions& o) {
    TExactSettings s;
    if (o.Mode != "ideal" && o.Mode != "strategy" && o.Mode != "optimal")
        throw Refused("--mode: '" + o.Mode + "' is none of ideal|strategy|optimal");
    s.Mode = o.Mode == "ideal"     ? TExactMode::Ideal
             : o.Mode == "optimal" ? TExactMode::Optimal
                                   : TExactMode::Strategy;
    if (o.Boxes != 1)
        throw Refused("--boxes: the exact value is computed for one box; a team of two or three "
                      "boxes is out of its scope");
    if (o.Threads < 0 || o.Threads > 256) throw Refused("--threads must be 1..256");
    if (o.Exchange1 && s.Mode == TExactMode::Strategy)
        throw Refused("--exchange1 applies to --mode ideal or optimal only (strategy play never "
                      "exchanges)");
    if (o.Exchange1 && !o.NoBuy)
        throw Refused("--exchange1 and buying a sixth card exclude each other, as \"обмен 1 "
                      "карты\" and \"покупка 6 карты\" do: add --no-buy");
    FillRulesFromSwitches(o, s.Rules);
    s.DealerAK = s.Rules.AKPlays;
    s.Threads = o.Threads;
    ParsePart(o.Part, s.PartIndex, s.PartCount);
    ValidateExactSettings(s);
    return s;
}

// The folder of `path` must exist and be writable before a long run starts.
void CheckWritable(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(path).parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw std::runtime_error(path + ": is a folder");
    if (!fs::is_directory(dir, ec))
        throw std::runtime_error(path + ": the folder " + dir.string() + " does not exist");
    if (access(dir.c_str(), W_OK) != 0)
        throw std::runtime_error(path + ": the folder " + dir.string() + " is not writable");
}

// The decision chart's name checked before any work, with the temporary name its writing uses;
// false (and said) when it cannot be written.
bool DecisionsWritable(const ExactOptions& o) {
    if (o.Decisions.empty()) return true;
    const std::string target = WriteTarget(o.Decisions);
    if (IsSpecialFile(target)) return true;
    try {
        CheckWritable(target);
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli exact: cannot write " << e.what() << "\n";
        return false;
    }
    TFileWriter probe(target);
    std::string error;
    if (!probe.Open(error)) {
        std::cerr << "kvarlen-cli exact: " << error << "\n";
        return false;
    }
    return true; // the probe's temporary file goes with it
}

// Written beside and renamed over the file: a failure leaves no truncated chart behind.
bool WriteLines(const std::string& path, const std::vector<std::string>& lines,
                const char* eol = "\r\n") {
    const std::string target = WriteTarget(path);
    std::string error;
    if (IsSpecialFile(target)) {
        std::FILE* f = std::fopen(target.c_str(), "wb");
        bool ok = f != nullptr;
        for (const std::string& l : lines) ok = ok && std::fputs((l + eol).c_str(), f) >= 0;
        const int err = errno;
        if (f != nullptr && std::fclose(f) != 0) ok = false;
        if (ok) return true;
        std::cerr << "kvarlen-cli exact: " << CannotWriteText(path, err) << "\n";
        return false;
    }
    TFileWriter out(target);
    if (out.Open(error)) {
        for (const std::string& l : lines)
            if (!out.Write(l + eol)) break;
        if (out.Commit(error)) return true;
    }
    std::cerr << "kvarlen-cli exact: " << error << "\n";
    return false;
}

// The chart of a stopped run goes beside the one asked for: an earlier complete chart stays.
std::string IncompleteName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return path + ".INCOMPLETE";
    return path.substr(0, dot) + ".INCOMPLETE" + path.substr(dot);
}

bool IsSvgName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".svg";
}

std::string Duration(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    if (s >= 3600) return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
    if (s >= 60) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s) + " s";
}

// Output of a finished (or stopped) result; the exit status.
int Output(const TExactResult& r, const ExactOptions& o, const std::string& ruleSet = "") {
    int status = 0;
    if (o.Json) {
        nlohmann::json j = ExactResultJson(r);
        if (!ruleSet.empty()) j["rule_set"] = ruleSet; // a merge of parts names none
        std::cout << j.dump(2) << "\n";
    } else {
        PrintNamingRuleSet(ExactReportLines(r, ','), ruleSet);
    }
    if (!StandardOutputWritten("kvarlen-cli exact")) status = 1;
    if (!o.Decisions.empty()) {
        const std::string chart = r.Complete ? o.Decisions : IncompleteName(o.Decisions);
        // A name ending in .svg asks for the picture of the chart.
        const bool picture = IsSvgName(o.Decisions);
        if (!(picture
                  ? WriteLines(chart,
                               {DecisionChartSvg(r, 980, 600, TPictureLanguage::English, '.')}, "")
                  : WriteLines(chart, ExactDecisionLines(r, ','))))
            status = 1;
        else if (!r.Complete)
            std::cerr << "kvarlen-cli exact: the chart of the layouts counted is in " << chart
                      << "; " << o.Decisions << " is left as it was\n";
    }
    if (!r.Complete) {
        std::cerr << "kvarlen-cli exact: stopped: the result is INCOMPLETE (" << r.Tally.Layouts
                  << " of " << r.LayoutsInPart << " layouts counted)\n";
        if (status == 0) status = 3;
    }
    return status;
}

// Best play, ideal play and strategy play side by side; the exit status.
int OutputComparison(const std::vector<TExactResult>& results, const std::string& strategyLeftOut,
                     const ExactOptions& o) {
    const std::vector<TExactComparisonRow> rows = CompareExactResults(results);
    bool complete = true;
    for (const TExactResult& r : results) complete = complete && r.Complete;
    complete = complete && results.size() >= 2;
    if (o.Json) {
        nlohmann::json j = ExactComparisonJson(results, rows);
        if (!strategyLeftOut.empty()) j["strategy_left_out"] = strategyLeftOut;
        j["complete"] = complete;
        j["rule_set"] = RuleSetLabel(o.RuleSet, results.front().Rules, results.front().Pay);
        std::cout << j.dump(2) << "\n";
    } else {
        PrintNamingRuleSet(ExactComparisonLines(results, rows, ','),
                           RuleSetLabel(o.RuleSet, results.front().Rules, results.front().Pay));
        if (!strategyLeftOut.empty())
            std::cout << "Strategy play is left out: " << strategyLeftOut << "\n";
    }
    if (!StandardOutputWritten("kvarlen-cli exact")) return 1;
    if (!complete) {
        std::cerr << "kvarlen-cli exact: stopped: the comparison is INCOMPLETE\n";
        return 3;
    }
    return 0;
}

// What a sweep prints and draws beside its points: the target edge solved, if asked.
struct TSweepExtras {
    // The value of the rules in force (not a number after a merge: the part files hold the
    // points' rules only).
    double Current = std::nan("");
    const TSweepSolution* Solution = nullptr; // solved (or tried) for --edge
    const TRules* Rules = nullptr; // the rules asked for, which name the rule set (the points
                                   // each differ from them in the value swept)
};

// The curve as --chart draws it.
std::string SweepChart(const TSweepPlan& plan, const std::vector<TExactResult>& points,
                       const ExactOptions& o, const TSweepExtras& extras) {
    TSweepCurve curve = SweepCurveOf(plan, points, extras.Current, TPictureLanguage::English, '.');
    if (!o.Edge.empty()) {
        curve.HasTarget = true;
        curve.Target = ParseEdge(o.Edge).Value;
        char label[160];
        if (extras.Solution != nullptr && extras.Solution->Found) {
            curve.HasSolution = true;
            curve.Solution = extras.Solution->Value;
            const TSweepSolution& sol = *extras.Solution;
            if (sol.IsPrice)
                std::snprintf(label, sizeof label, "%.6f = %s/%s", sol.Price.Price,
                              ToDecimal(sol.Price.Numerator).c_str(),
                              ToDecimal(sol.Price.Denominator).c_str());
            else
                std::snprintf(label, sizeof label, "between %d and %d (crossing %.3f)",
                              sol.Payout.LowPayout, sol.Payout.HighPayout, sol.Payout.Crossing);
            curve.SolutionText = label;
            if (curve.Solution < curve.Values.front() || curve.Solution > curve.Values.back())
                curve.Note = std::string("the target is met outside the points swept, at ") + label;
        } else if (extras.Solution != nullptr) {
            curve.Note = extras.Solution->Reason;
        } else if (double at = 0; InterpolatedCrossing(curve, curve.Target, &at)) {
            curve.HasSolution = true;
            curve.Solution = at;
            std::snprintf(label, sizeof label, "about %.4f (between points)", at);
            curve.SolutionText = label;
        } else {
            curve.Note = "no two points enclose the target";
        }
    }
    return SweepChartSvg(curve, 900, 540);
}

// The points of a sweep; the exit status.
int OutputSweep(const TSweepPlan& plan, const std::vector<TExactResult>& points,
                const ExactOptions& o, const TSweepExtras& extras = {}) {
    const std::string ruleSet =
        extras.Rules != nullptr ? RuleSetLabel(o.RuleSet, *extras.Rules, PayTable)
                                : RuleSetLabel(o.RuleSet, points.front().Rules, points.front().Pay);
    TSolveOutput solved;
    if (extras.Solution != nullptr && extras.Solution->Found) {
        const TSweepSolution& sol = *extras.Solution;
        solved =
            sol.IsPrice
                ? PriceSolutionOutput(plan.Parameter, o.Edge, points.front().Mode, sol.Price)
                : PayoutSolutionOutput(plan.Parameter, o.Edge, points.front().Mode, sol.Payout);
    }
    // Merged parts hold the points only: the crossing is read off the straight lines.
    const bool interpolated = extras.Solution == nullptr && !o.Edge.empty();
    double crossing = 0;
    const bool crossed =
        interpolated && InterpolatedCrossing(SweepCurveOf(plan, points, extras.Current,
                                                          TPictureLanguage::English, '.'),
                                             ParseEdge(o.Edge).Value, &crossing);
    if (o.Json) {
        nlohmann::json j = SweepJson(plan, points);
        j["rule_set"] = ruleSet;
        if (extras.Solution != nullptr) {
            if (extras.Solution->Found) {
                j["solution"] = solved.Json;
            } else {
                j["solution"] = {{"found", false}, {"reason", extras.Solution->Reason}};
            }
        } else if (interpolated) {
            j["solution"] = {{"found", crossed}, {"interpolated", true}};
            if (crossed) j["solution"]["value"] = crossing;
        }
        std::cout << j.dump(2) << "\n";
    } else {
        for (const std::string& l : SweepTableLines(plan, points, ruleSet)) std::cout << l << "\n";
        if (extras.Solution != nullptr) {
            if (extras.Solution->Found)
                for (const std::string& l : solved.Lines) std::cout << l << "\n";
            else
                std::cout << "Not solved: " << extras.Solution->Reason << "\n";
        } else if (interpolated) {
            if (crossed)
                std::cout << "The straight line between the points crosses a house edge of "
                          << o.Edge << " % at about " << FormatGeneral(crossing, '.')
                          << " (--solve gives it exactly)\n";
            else
                std::cout << "No two points enclose a house edge of " << o.Edge << " %\n";
        }
    }
    int status = StandardOutputWritten("kvarlen-cli exact") ? 0 : 1;
    if (!o.Chart.empty() && !WriteLines(points.front().Complete ? o.Chart : IncompleteName(o.Chart),
                                        {SweepChart(plan, points, o, extras)}, ""))
        status = 1;
    if (!o.Csv.empty() && !WriteLines(points.front().Complete ? o.Csv : IncompleteName(o.Csv),
                                      SweepCsvLines(plan, points)))
        status = 1;
    if (!points.front().Complete) {
        std::cerr << "kvarlen-cli exact: stopped: the sweep is INCOMPLETE\n";
        if (status == 0) status = 3;
    }
    return status;
}

// The parts of a sweep: point k of every file merged as the parts of one run.
int RunMergeSweepFiles(const std::vector<std::string>& files, const ExactOptions& o) {
    try {
        // What the output needs is checked before any of it is printed.
        if (!o.Edge.empty()) ParseEdge(o.Edge);
        if (!o.Chart.empty()) CheckWritable(WriteTarget(o.Chart));
        TSweepPlan plan;
        std::vector<std::vector<TExactResult>> parts; // [point][file]
        for (size_t f = 0; f < files.size(); ++f) {
            const nlohmann::json j = ReadExactResultFile(files[f]);
            try {
                if (!j.is_object() || j.value("format", "") != "kvarlen-exact-sweep")
                    throw Refused("not the result of an exact --sweep");
                const TSweepParameter p = SweepParameter(j.at("parameter").get<std::string>());
                const std::vector<double> values = j.at("values").get<std::vector<double>>();
                const nlohmann::json& points = j.at("points");
                if (!points.is_array() || points.size() != values.size() || values.empty())
                    throw Refused("its points do not match its values");
                if (f == 0) {
                    plan.Parameter = p;
                    plan.Values = values;
                    parts.resize(values.size());
                } else if (p.Name != plan.Parameter.Name || values != plan.Values) {
                    throw Refused("it sweeps other values than " + files.front());
                }
                for (size_t k = 0; k < values.size(); ++k)
                    parts[k].push_back(ExactResultFromJson(points[k]));
            } catch (const std::exception& e) {
                throw Refused(files[f] + ": " + e.what());
            }
        }
        std::vector<TExactResult> merged;
        for (const std::vector<TExactResult>& point : parts)
            merged.push_back(MergeExactParts(point, &files));
        return OutputSweep(plan, merged, o);
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli exact: " << e.what() << "\n";
        return 2;
    }
}

int RunMergeFiles(const std::vector<std::string>& files, const ExactOptions& o) {
    std::vector<TExactResult> parts;
    try {
        if (files.empty()) throw Refused("name the part files to merge");
        try {
            const nlohmann::json first = ReadExactResultFile(files.front());
            if (first.is_object() && first.value("format", "") == "kvarlen-exact-sweep")
                return RunMergeSweepFiles(files, o);
        } catch (const std::exception&) {
            // Reported below with the file's name.
        }
        if (!o.Edge.empty() || !o.Chart.empty())
            throw Refused("--edge and --chart go with the parts of a --sweep");
        for (const std::string& path : files) {
            try {
                parts.push_back(ExactResultFromJson(ReadExactResultFile(path)));
            } catch (const std::exception& e) {
                throw Refused(path + ": " + e.what());
            }
        }
        const TExactResult total = MergeExactParts(parts, &files);
        if (!DecisionsWritable(o)) return 1;
        return Output(total, o);
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli exact: " << e.what() << "\n";
        return 2;
    }
}

// --solve NAME --edge X; the exit status.
int RunSolve(const TExactSettings& s, const ExactOptions& o) {
    try {
        const TEdgeTarget edge = ParseEdge(o.Edge);
        const TSweepParameter parameter = SweepParameter(o.Solve);
        g_stop = false;
        auto oldInt = std::signal(SIGINT, OnExactSignal);
        TSolveOutput out;
        if (parameter.Payout == 0)
            out = PriceSolutionOutput(parameter, o.Edge, s.Mode,
                                      SolveExactPrice(s, PayTable, parameter, edge, {}, &g_stop));
        else
            out = PayoutSolutionOutput(parameter, o.Edge, s.Mode,
                                       SolveExactPayout(s, PayTable, parameter, edge, {}, &g_stop));
        std::signal(SIGINT, oldInt);
        if (g_stop.load()) {
            std::cerr << "kvarlen-cli exact: stopped: nothing solved\n";
            return 3;
        }
        if (!out.Found) throw Refused(out.Reason);
        if (o.Json)
            std::cout << out.Json.dump(2) << "\n";
        else
            for (const std::string& l : out.Lines) std::cout << l << "\n";
        return StandardOutputWritten("kvarlen-cli exact") ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli exact: " << e.what() << "\n";
        return 2;
    }
}

int RunExactCommand(const ExactOptions& o, const CLI::App& cmd) {
    if (!o.Chart.empty() && o.Sweep.empty() && o.Merge.empty()) {
        std::cerr << "kvarlen-cli exact: --chart draws the curve of a --sweep (or of the merged "
                     "parts of one)\n";
        return 2;
    }
    if (!o.Sweep.empty() || !o.Csv.empty()) {
        for (const char* opt : {"--compare", "--merge", "--decisions", "--solve"})
            if (cmd.count(opt) > 0) {
                std::cerr << "kvarlen-cli exact: --sweep counts its own points; " << opt
                          << " does not go with it\n";
                return 2;
            }
        if (o.Sweep.empty()) {
            std::cerr << "kvarlen-cli exact: --csv writes the table of a --sweep\n";
            return 2;
        }
    }
    if (o.Compare) {
        for (const char* opt : {"--mode", "--part", "--merge", "--decisions"})
            if (cmd.count(opt) > 0) {
                std::cerr << "kvarlen-cli exact: --compare counts the three modes of the whole "
                             "game itself; "
                          << opt << " does not go with it\n";
                return 2;
            }
    }
    bool emptyName = cmd.count("--decisions") > 0 && o.Decisions.empty();
    for (const std::string& f : o.Merge) emptyName = emptyName || f.empty();
    if (emptyName) {
        std::cerr << "kvarlen-cli exact: an empty file name (--decisions, --merge)\n";
        return 2;
    }
    if (!o.Merge.empty() || cmd.count("--merge") > 0) {
        for (const char* opt :
             {"--mode", "--part", "--boxes", "--threads", "--rules", "--no-buy", "--exchange1",
              "--no-insurance", "--no-ak", "--dealer-game", "--ante-paid", "--pay", "--price-buy6",
              "--price-change1", "--price-change2", "--price-dealer-game"})
            if (cmd.count(opt) > 0) {
                std::cerr << "kvarlen-cli exact: --merge takes the rules from the part files; "
                          << opt << " does not go with it\n";
                return 2;
            }
        return RunMergeFiles(o.Merge, o);
    }
    TExactSettings s;
    std::vector<TExactSettings> modes;
    std::string strategyLeftOut;
    try {
        if (o.Compare) {
            ExactOptions each = o;
            each.Mode = "optimal";
            modes.push_back(ReadSettings(each));
            each.Mode = "ideal";
            modes.push_back(ReadSettings(each));
            each.Mode = "strategy";
            each.Exchange1 = false;
            try {
                modes.push_back(ReadSettings(each));
            } catch (const std::exception& e) {
                strategyLeftOut = e.what();
            }
            if (o.Exchange1) strategyLeftOut = "strategy play never exchanges";
            if (o.Exchange1 && modes.size() == 3) modes.pop_back();
        } else {
            modes.push_back(ReadSettings(o));
        }
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli exact: " << e.what() << "\n";
        return 2;
    }
    s = modes.front();
    TSweepPlan sweep;
    if (!o.Solve.empty()) return RunSolve(s, o);
    if (!o.Sweep.empty()) {
        try {
            sweep = ParseSweep(o.Sweep);
            if (!o.Edge.empty()) ParseEdge(o.Edge);
            if (!o.Csv.empty()) CheckWritable(WriteTarget(o.Csv));
            if (!o.Chart.empty()) CheckWritable(WriteTarget(o.Chart));
        } catch (const std::exception& e) {
            std::cerr << "kvarlen-cli exact: " << e.what() << "\n";
            return 2;
        }
    }
    if (!DecisionsWritable(o)) return 1;
    const bool terminal = isatty(STDERR_FILENO) != 0;
    auto t0 = std::chrono::steady_clock::now();
    bool shown = false;
    std::string label;
    auto progress = [&](uint64_t done, uint64_t total) {
        if (!terminal || total == 0) return;
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::string left = "estimating the time left";
        if (done > 0 && done < total)
            left =
                "about " +
                Duration(elapsed * static_cast<double>(total - done) / static_cast<double>(done)) +
                " left";
        else if (done >= total)
            left = "done";
        std::fprintf(stderr, "\rkvarlen-cli exact: %s%5.1f %% of %llu layouts, %s    ",
                     label.c_str(), 100.0 * static_cast<double>(done) / static_cast<double>(total),
                     static_cast<unsigned long long>(total), left.c_str());
        std::fflush(stderr);
        shown = true;
    };
    g_stop = false;
    auto oldInt = std::signal(SIGINT, OnExactSignal);
    auto oldTerm = std::signal(SIGTERM, OnExactSignal);
    auto oldHup = std::signal(SIGHUP, OnExactSignal);
    std::vector<TExactResult> results;
    TSweepSolution solution;
    bool solved = false;
    try {
        for (const TExactSettings& m : modes) {
            if (o.Compare) label = ExactModeName(m.Mode) + ": ";
            t0 = std::chrono::steady_clock::now();
            if (!o.Sweep.empty()) {
                results = RunExactSweep(m, PayTable, sweep, progress, &g_stop);
                if (!o.Edge.empty() && results.front().Complete) {
                    label = "solving for " + o.Edge + " %: ";
                    t0 = std::chrono::steady_clock::now();
                    solution = SolveBesideSweep(m, PayTable, sweep, results, ParseEdge(o.Edge),
                                                progress, &g_stop);
                    solved = !g_stop.load();
                }
                break;
            }
            results.push_back(RunExact(m, progress, &g_stop));
            if (!results.back().Complete) break;
        }
    } catch (const std::exception& e) {
        if (shown) std::fputc('\n', stderr);
        std::cerr << "kvarlen-cli exact: " << e.what() << "\n";
        return 1;
    }
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    std::signal(SIGHUP, oldHup);
    if (shown) std::fputc('\n', stderr);
    if (o.Compare) return OutputComparison(results, strategyLeftOut, o);
    if (!o.Sweep.empty()) {
        TSweepExtras extras;
        extras.Current = SweepValueOf(sweep.Parameter, s.Rules, PayTable);
        extras.Rules = &s.Rules;
        if (solved) extras.Solution = &solution;
        const int status = OutputSweep(sweep, results, o, extras);
        if (!o.Edge.empty() && !solved && results.front().Complete) {
            std::cerr << "kvarlen-cli exact: stopped: the target edge is not solved\n";
            return status == 0 ? 3 : status;
        }
        return status;
    }
    return Output(results.front(), o,
                  RuleSetLabel(o.RuleSet, results.front().Rules, results.front().Pay));
}

} // namespace

void AddExactCommand(CLI::App& app, int& status) {
    auto o = std::make_shared<ExactOptions>();
    auto* cmd = app.add_subcommand(
        "exact", "The exact value of the whole game for one box: every deal counted, the return "
                 "table, the summary and the decision chart (one box only: a team of two or "
                 "three boxes is out of scope)");
    cmd->add_option("--mode", o->Mode,
                    "ideal (decisions by the MO values), optimal (best play: every option valued "
                    "by the settlement) or strategy")
        ->capture_default_str();
    cmd->add_flag("--compare", o->Compare,
                  "Count best play, ideal play and strategy play under the same rules and print "
                  "their exact values side by side with what each rule costs against best play");
    AddInteger(cmd, "--boxes", o->Boxes, "Boxes: only 1")->capture_default_str();
    AddRuleOptions(cmd, o.get(), "Price of buying a sixth card (ideal play; strategy play pays 1)");
    AddInteger(cmd, "--threads", o->Threads, "Worker threads (default: every core)");
    cmd->add_option("--part", o->Part,
                    "Count only part K of N disjoint slices of the layouts (for spreading a run "
                    "over machines; merge the --json results with --merge)")
        ->capture_default_str();
    cmd->add_option("--merge", o->Merge,
                    "Add up the --json results of the parts 1/N .. N/N of one run instead of "
                    "computing");
    cmd->add_option("--decisions", o->Decisions,
                    "Write the decision chart (per dealt class and open card: shares of pass, "
                    "raise, buy, exchange and their mean results) to this CSV file; a name ending "
                    "in .svg draws it as a picture");
    cmd->add_flag("--json", o->Json, "JSON output with every count exact (for --merge)");
    cmd->add_option("--sweep", o->Sweep,
                    "NAME=FROM:TO:STEP or NAME=v1,v2,...: one exact run per value of a price "
                    "(price-buy6, price-change1) or a payout (pay-ak, pay-pair, pay-two-pairs, "
                    "pay-trips, pay-straight, pay-flush, pay-full-house, pay-quads, "
                    "pay-straight-flush, pay-royal), all counted in one pass; best play unless "
                    "--mode says otherwise");
    cmd->add_option("--csv", o->Csv, "With --sweep: write the table of the points as CSV");
    cmd->add_option("--solve", o->Solve,
                    "The price (price-buy6, price-change1: exact, as a fraction) or the payout "
                    "(pay-...: the two neighbouring whole payouts) that gives the house edge "
                    "of --edge");
    cmd->add_option("--edge", o->Edge,
                    "With --solve: the house edge in per cent, e.g. 2; with --sweep: also solve "
                    "for it and draw it on --chart");
    cmd->add_option("--chart", o->Chart,
                    "With --sweep (or --merge of its parts): draw the house edge and the element "
                    "of risk against the value swept as an SVG picture, the rules in force and "
                    "the --edge target marked");
    cmd->callback([o, cmd, &status]() {
        if (cmd->count("--threads") > 0 && o->Threads < 1) {
            std::cerr << "kvarlen-cli exact: --threads must be 1..256\n";
            status = 2;
            return;
        }
        // A sweep prices best play unless another mode is asked for.
        if ((!o->Sweep.empty() || !o->Solve.empty()) && cmd->count("--mode") == 0)
            o->Mode = "optimal";
        if (!o->Solve.empty() && o->Edge.empty()) {
            std::cerr << "kvarlen-cli exact: --solve needs --edge\n";
            status = 2;
            return;
        }
        if (!o->Edge.empty() && o->Solve.empty() && o->Sweep.empty() && o->Merge.empty()) {
            std::cerr << "kvarlen-cli exact: --edge goes with --solve or --sweep\n";
            status = 2;
            return;
        }
        status = ApplyRuleSet(*cmd, *o) ? RunExactCommand(*o, *cmd) : 2;
    });
}

// kvarlen-cli merge hands exact results here.
bool IsExactResultFile(const std::string& path) {
    try {
        return IsExactResultJson(ReadExactResultFile(path));
    } catch (const std::exception&) {
        return false;
    }
}

int MergeExactFiles(const std::vector<std::string>& files, bool json) {
    ExactOptions o;
    o.Json = json;
    return RunMergeFiles(files, o);
}

} // namespace kvarlen::cli
