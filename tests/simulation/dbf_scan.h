// An independent reader of dBase III tables for the fault tests: a few lines that read the
// header and the records as bytes, sharing no code with the writer or with shapelib.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kvarlen::test {

struct TDbfScan {
    bool Readable = false; // a header with sane lengths
    uint8_t Version = 0;
    uint32_t Count = 0; // records the header counts
    uint32_t HeaderLength = 0;
    uint32_t RecordLength = 0;
    uint64_t Size = 0;
    uint64_t WholeRecords = 0; // complete records in the file, counted or not
    // The file ends right after the counted records (with or without the end-of-file mark).
    bool EndsAtCount = false;
    std::vector<std::string> Records; // the counted records, each with its deletion flag

    // Text of the field at byte `offset` (after the flag) of record r, blanks trimmed.
    std::string Field(size_t r, size_t offset, size_t width) const {
        std::string f = Records[r].substr(1 + offset, width);
        while (!f.empty() && f.back() == ' ') f.pop_back();
        while (!f.empty() && f.front() == ' ') f.erase(0, 1);
        return f;
    }
};

inline TDbfScan ScanDbf(const std::string& path) {
    TDbfScan s;
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string d = ss.str();
    s.Size = d.size();
    if (d.size() < 32) return s;
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(d[i])); };
    s.Version = static_cast<uint8_t>(byte(0));
    s.Count = byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24;
    s.HeaderLength = byte(8) | byte(9) << 8;
    s.RecordLength = byte(10) | byte(11) << 8;
    // Field descriptors of 32 bytes each, ended by 0x0D.
    if (s.RecordLength == 0 || s.HeaderLength < 33 || s.HeaderLength > d.size() ||
        d[s.HeaderLength - 1] != '\x0D')
        return s;
    s.Readable = true;
    s.WholeRecords = (d.size() - s.HeaderLength) / s.RecordLength;
    const uint64_t end = s.HeaderLength + uint64_t{s.Count} * s.RecordLength;
    s.EndsAtCount = d.size() == end || (d.size() == end + 1 && d.back() == '\x1A');
    for (uint64_t r = 0; r < s.Count && r < s.WholeRecords; ++r)
        s.Records.push_back(d.substr(s.HeaderLength + r * s.RecordLength, s.RecordLength));
    return s;
}

// Byte offsets of the history's first fields within a record (after the flag): the dealer's
// five cards, two characters each.
constexpr size_t kDealerCardOffset = 0;

// A card text of the history: a value letter and a suit digit.
inline bool IsHistoryCard(const std::string& t) {
    return t.size() == 2 && std::string("A23456789XJQK").find(t[0]) != std::string::npos &&
           t[1] >= '1' && t[1] <= '4';
}

} // namespace kvarlen::test
