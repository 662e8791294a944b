// The report of one fixed-seed strategy run as the program has always written it: two boxes,
// 3000 deals from seed 12345 with the statistics, the default rules. The time it took is cut
// off (Untimed), since it differs from run to run.
#pragma once

#include <string>
#include <vector>

namespace kvarlen::test {

// The report lines with the times taken out: "Было сыграно N раздач" without " за ... сек.",
// the two timing lines of ideal play down to their labels.
inline std::vector<std::string> Untimed(std::vector<std::string> lines) {
    for (std::string& line : lines) {
        if (line.rfind("Было сыграно ", 0) == 0) line = line.substr(0, line.find(" за "));
        if (line.rfind("(t3:t4) ", 0) == 0) line = "(t3:t4)";
        if (line.rfind("GlobalT1 ", 0) == 0) line = "GlobalT1";
    }
    return lines;
}

inline constexpr int kFixedSeed = 12345;
inline constexpr int kFixedSeedBoxes = 2;
inline constexpr int kFixedSeedDeals = 3000;

inline const std::vector<std::string>& FixedSeedReport() {
    static const std::vector<std::string> lines = {
        "Чистый плюс #1 : 363 [банк был 100]",
        "Чистый плюс #2 : 32 [банк был 100]",
        "Чистый плюс #3 : 0 [банк был 100]",
        "",
        "Чистый плюс команды: 395",
        "",
        "Было сыграно 3000 раздач",
        "MO одной раздачи = 0,13167",
        "Дисперсия = 16,34033",
        "Ср.кв.отклонение = 4,04232",
        "",
        "",
        "Что приходило с раздачи (от C_Empty до C_Royal)",
        "2580",
        "402",
        "2553",
        "297",
        "113",
        "24",
        "18",
        "9",
        "4",
        "0",
        "0",
        "",
        "С чем приходили к финалу (от C_Empty до C_Royal)",
        "2396\t%won=0\t%nogame=100\t%lose=93\t%pass=2203",
        "402\t%won=13\t%nogame=55\t%lose=56\t%pass=278",
        "2569\t%won=789\t%nogame=1037\t%lose=743\t%pass=0",
        "356\t%won=185\t%nogame=154\t%lose=17\t%pass=0",
        "109\t%won=70\t%nogame=37\t%lose=2\t%pass=0",
        "68\t%won=45\t%nogame=22\t%lose=1\t%pass=0",
        "74\t%won=41\t%nogame=33\t%lose=0\t%pass=0",
        "18\t%won=9\t%nogame=9\t%lose=0\t%pass=0",
        "8\t%won=5\t%nogame=3\t%lose=0\t%pass=0",
        "0\t%won=0\t%nogame=0\t%lose=0\t%pass=0",
        "0\t%won=0\t%nogame=0\t%lose=0\t%pass=0",
        "BuyCount=850",
    };
    return lines;
}

} // namespace kvarlen::test
