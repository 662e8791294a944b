// kvarlen-cli train as a user runs it: a scripted session repeated exactly and adding up, a
// session killed in mid-deal, two sessions writing one history at once, refused options and
// files.
#include "training/training_history.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kvarlen::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

fs::path TempDir(const std::string& name) {
    const fs::path p =
        fs::path(::testing::TempDir()) / ("kvarlen_train_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

// Runs kvarlen-cli with the arguments (through the shell) and the text as its input.
TRun RunCli(const std::string& args, const std::string& input, const fs::path& dir) {
    const fs::path in = dir / "input.txt", out = dir / "out.txt", err = dir / "err.txt";
    std::ofstream(in, std::ios::binary) << input;
    const std::string cmd = "\"" KVARLEN_CLI "\" " + args + " <\"" + in.string() + "\" >\"" +
                            out.string() + "\" 2>\"" + err.string() + "\"";
    const int raw = std::system(cmd.c_str());
    TRun r;
    r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    auto slurp = [](const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    r.Out = slurp(out);
    r.Err = slurp(err);
    return r;
}

std::vector<json> Events(const std::string& out) {
    std::vector<json> events;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) events.push_back(json::parse(line));
    return events;
}

// Answers that keep a session going whatever it asks, some of them wrong, some not keys at all,
// mistakes taken back now and then.
std::string Script(int lines, uint32_t seed) {
    static const char* const kLines[] = {"0", "b", "R", "p", "I", "n", "", "U", "x", "3", ""};
    std::string s;
    uint32_t x = seed;
    for (int i = 0; i < lines; ++i) {
        x = x * 1103515245u + 12345u;
        s += kLines[(x >> 16) % (sizeof kLines / sizeof *kLines)];
        s += '\n';
    }
    return s;
}

int64_t Count(const std::string& file, const std::string& sql) {
    training::TDatabase db(file, false, 5000);
    return db.QueryInt(sql);
}

std::string IntegrityCheck(const std::string& file) {
    training::TDatabase db(file, false, 5000);
    training::TStatement st(db, "PRAGMA integrity_check");
    return st.Step() ? st.Text(0) : "";
}

TEST(TrainCli, ScriptedSessionRepeatsAndAddsUp) {
    const fs::path dir = TempDir("script");
    const std::string db = (dir / "h.sqlite").string();
    const std::string args =
        "train --seed 31 --deals 50 --boxes 2 --info full --json --db \"" + db + "\"";
    const std::string input = Script(6000, 7);
    const TRun a = RunCli(args, input, dir), b = RunCli(args, input, dir);
    ASSERT_EQ(a.Status, 0) << a.Err;
    ASSERT_EQ(b.Status, 0) << b.Err;
    // The same deals, judgements and statistics; only the history's session ids differ.
    EXPECT_EQ(a.Out, b.Out);

    const std::vector<json> ev = Events(a.Out);
    double cost = 0, net = 0, shadow = 0, best = 0, expected = 0;
    int settled = 0, judged = 0, wrong = 0, taken = 0, bad = 0;
    json summary;
    for (const json& e : ev) {
        const std::string kind = e["event"];
        if (kind == "judgement") {
            ++judged;
            cost += e["cost"].get<double>();
            wrong += e["mistake"].get<bool>();
            double top = -1e300;
            for (const json& o : e["options"]) top = std::max(top, o["value"].get<double>());
            EXPECT_NEAR(
                e["cost"].get<double>(),
                [&] {
                    for (const json& o : e["options"])
                        if (o["key"] == e["choice"]) return top - o["value"].get<double>();
                    return -1.0;
                }(),
                1e-12);
        } else if (kind == "settlement") {
            ++settled;
            net += e["result"].get<double>();
            shadow += e["shadow_result"].get<double>();
            best += e["best_expected"].get<double>();
            expected += e["expected"].get<double>();
            EXPECT_NEAR(e["expected"].get<double>(),
                        e["best_expected"].get<double>() - e["cost"].get<double>(), 1e-12);
        } else if (kind == "take_back") {
            ++taken;
        } else if (kind == "bad_input") {
            ++bad;
        } else if (kind == "summary") {
            summary = e;
        }
    }
    ASSERT_FALSE(summary.is_null());
    EXPECT_EQ(settled, 50);
    EXPECT_EQ(summary["deals"], 50);
    EXPECT_EQ(summary["decisions"], judged);
    EXPECT_EQ(summary["mistakes"], wrong);
    EXPECT_GT(wrong, 10);
    EXPECT_GT(taken, 0);
    EXPECT_GT(bad, 0);
    EXPECT_NEAR(summary["total_cost"].get<double>(), cost, 1e-9);
    EXPECT_NEAR(summary["net"].get<double>(), net, 1e-9);
    EXPECT_NEAR(summary["shadow_net"].get<double>(), shadow, 1e-9);
    EXPECT_NEAR(summary["best_expected_net"].get<double>(), best, 1e-9);
    EXPECT_NEAR(summary["expected_net"].get<double>(), expected, 1e-9);
    EXPECT_NEAR(summary["expected_net"].get<double>(),
                summary["best_expected_net"].get<double>() - summary["total_cost"].get<double>(),
                1e-12);
    EXPECT_NEAR(summary["average_cost"].get<double>(), cost / 50, 1e-9);

    // Both runs are in the history, every deal and every answer.
    EXPECT_EQ(Count(db, "SELECT count(*) FROM deals"), 100);
    EXPECT_EQ(Count(db, "SELECT count(*) FROM decisions"), 2 * judged);
    const TRun h = RunCli("train --history --json --db \"" + db + "\"", "", dir);
    ASSERT_EQ(h.Status, 0) << h.Err;
    const json hs = json::parse(h.Out);
    EXPECT_EQ(hs["sessions"], 2);
    EXPECT_EQ(hs["deals"], 100);
    EXPECT_EQ(hs["mistakes"], 2 * wrong);
    EXPECT_NEAR(hs["average_cost"].get<double>(), cost / 50, 1e-9);
    ASSERT_EQ(hs["by_session"].size(), 2u);
    const TRun text = RunCli("train --history --db \"" + db + "\"", "", dir);
    EXPECT_NE(text.Out.find("Sessions 2, deals 100"), std::string::npos) << text.Out;

    // The weak drill deals only box 1 classes the history found the dearest.
    std::vector<uint16_t> weak;
    {
        training::TTrainingHistory h(db);
        weak = training::WeakCombos(h.WeakLayouts(), TRules{});
    }
    ASSERT_FALSE(weak.empty());
    const TRun w = RunCli(
        "train --seed 3 --deals 6 --drill weak --json --no-history --db \"" + db + "\"", "", dir);
    EXPECT_EQ(w.Status, 2); // the weak drill needs the history
    const TRun drill = RunCli("train --seed 3 --deals 6 --drill weak --json --db \"" + db + "\"",
                              Script(800, 5), dir);
    ASSERT_EQ(drill.Status, 0) << drill.Err;
    int firsts = 0;
    for (const json& e : Events(drill.Out))
        if (e["event"] == "decision" && e["box"] == 1 && e["kind"] == "draw") {
            ++firsts;
            bool listed = false;
            for (uint16_t c : weak) listed = listed || ComboOrdinal(c) == e["dealt_class"];
            EXPECT_TRUE(listed) << e.dump();
        }
    EXPECT_GE(firsts, 6);
    fs::remove_all(dir);
}

TEST(TrainCli, TextSessionShowsTheTableAndEndsAtTheEndOfInput) {
    const fs::path dir = TempDir("text");
    const TRun r =
        RunCli("train --seed 5 --boxes 3 --info in-turn --no-history", "0\nR\n\nq\n0\n", dir);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("Deal 1: the dealer shows"), std::string::npos);
    EXPECT_NE(r.Out.find("  box 2: closed"), std::string::npos); // in turn: later boxes closed
    EXPECT_NE(r.Out.find("'q' is not one of the keys"), std::string::npos);
    EXPECT_NE(r.Out.find("Summary: 0 deals"), std::string::npos) << r.Out;
    fs::remove_all(dir);
}

TEST(TrainCli, RefusesBadOptionsAndForeignFiles) {
    const fs::path dir = TempDir("refuse");
    for (const char* bad :
         {"--boxes 4", "--info sideways", "--drill class:pair", "--drill close:0",
          "--feedback later", "--exchange1", "--seed 0", "--deals 0", "--dealer-game high",
          "--history --seed 3", "--drill weak --no-history", "--pay 1,2", "--price-buy6 x"}) {
        const TRun r = RunCli(std::string("train --no-history ") + bad, "", dir);
        EXPECT_EQ(r.Status, 2) << bad << ": " << r.Err;
        EXPECT_FALSE(r.Err.empty()) << bad;
    }
    const fs::path noise = dir / "noise.sqlite";
    std::ofstream(noise, std::ios::binary) << "not a database at all, just text";
    for (const char* args : {"train --seed 1 --db", "train --history --db"}) {
        const TRun r = RunCli(std::string(args) + " \"" + noise.string() + "\"", "0\nR\n", dir);
        EXPECT_EQ(r.Status, 2) << r.Err;
        EXPECT_NE(r.Err.find("is not a training history"), std::string::npos) << r.Err;
    }
    std::ifstream f(noise, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}),
              "not a database at all, just text");
    // The weak drill with nothing in the history to drill.
    const TRun weak =
        RunCli("train --drill weak --db \"" + (dir / "new.sqlite").string() + "\"", "", dir);
    EXPECT_EQ(weak.Status, 2);
    fs::remove_all(dir);
}

// A child with a pipe to its input and one from its output.
struct TChild {
    pid_t Pid = -1;
    FILE* In = nullptr;
    FILE* Out = nullptr;
};

TChild Start(const std::vector<std::string>& args) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[1]);
        close(out[0]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(KVARLEN_CLI));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(KVARLEN_CLI, argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    TChild c;
    c.Pid = pid;
    c.In = fdopen(in[1], "w");
    c.Out = fdopen(out[0], "r");
    return c;
}

std::string ReadLine(FILE* f) {
    std::string s;
    for (int ch; (ch = std::fgetc(f)) != EOF && ch != '\n';) s += static_cast<char>(ch);
    return s;
}

TEST(TrainCli, KilledInMidDealKeepsEveryFinishedDeal) {
    const fs::path dir = TempDir("kill");
    const std::string db = (dir / "h.sqlite").string();
    TChild c = Start({"train", "--seed", "8", "--boxes", "2", "--json", "--db", db});
    ASSERT_GT(c.Pid, 0);
    int settled = 0;
    bool killed = false;
    // Answer the first key of every point; after three deals wait for the fourth to ask, and
    // kill the program there.
    for (std::string line; !(line = ReadLine(c.Out)).empty();) {
        const json e = json::parse(line);
        const std::string kind = e["event"];
        std::string answer;
        if (kind == "decision") {
            if (settled == 3) {
                kill(c.Pid, SIGKILL);
                killed = true;
                break;
            }
            answer = e["keys"][0];
        } else if (kind == "judgement" && e["review"].get<bool>()) {
            answer = "";
        } else if (kind == "settlement") {
            ++settled;
        } else {
            continue;
        }
        // A settled deal waits for the empty line that deals the next one.
        std::fprintf(c.In, "%s\n", answer.c_str());
        std::fflush(c.In);
    }
    ASSERT_TRUE(killed);
    int status = 0;
    waitpid(c.Pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    std::fclose(c.In);
    std::fclose(c.Out);
    EXPECT_EQ(IntegrityCheck(db), "ok");
    EXPECT_EQ(Count(db, "SELECT count(*) FROM deals"), 3);
    EXPECT_EQ(Count(db, "SELECT max(number) FROM deals"), 3);
    // And the file takes the next session.
    const TRun again =
        RunCli("train --seed 9 --deals 2 --feedback end --db \"" + db + "\"", Script(400, 3), dir);
    EXPECT_EQ(again.Status, 0) << again.Err;
    EXPECT_EQ(Count(db, "SELECT count(*) FROM deals"), 5);
    fs::remove_all(dir);
}

TEST(TrainCli, TwoSessionsWritingAtOnceKeepEveryDeal) {
    const fs::path dir = TempDir("two");
    const std::string db = (dir / "h.sqlite").string();
    std::ofstream(dir / "a.txt") << Script(3000, 11);
    std::ofstream(dir / "b.txt") << Script(3000, 12);
    // Both start on a file that is not there yet: one creates it, the other waits for it.
    const std::string one = "\"" KVARLEN_CLI
                            "\" train --seed 41 --deals 40 --feedback end --db \"" +
                            db + "\" < \"" + (dir / "a.txt").string() + "\" > /dev/null";
    const std::string two = "\"" KVARLEN_CLI
                            "\" train --seed 42 --deals 40 --feedback end --db \"" +
                            db + "\" < \"" + (dir / "b.txt").string() + "\" > /dev/null";
    const std::string cmd = "(" + one + ") & p1=$!; (" + two +
                            ") & p2=$!; wait $p1; a=$?; wait $p2; b=$?; " + "exit $((a * 16 + b))";
    const int raw = std::system(("bash -c '" + cmd + "'").c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0);
    EXPECT_EQ(IntegrityCheck(db), "ok");
    EXPECT_EQ(Count(db, "SELECT count(*) FROM sessions"), 2);
    EXPECT_EQ(Count(db, "SELECT count(*) FROM deals"), 80);
    EXPECT_EQ(Count(db, "SELECT count(DISTINCT session_id) FROM deals"), 2);
    fs::remove_all(dir);
}

} // namespace
} // namespace kvarlen::test
