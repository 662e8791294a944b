// The history table of ideal play: one record per played deal of box 1, fields 0..28
// (simulation/DBF_FIELDS.md lists them).
#pragma once

#include "simulation/box.h"
#include "simulation/dbf_base.h"

#include <string>
#include <vector>

namespace kvarlen {

const std::vector<TDbfField>& HistoryFields();
// OpenBase with the history fields.
int OpenHistory(const std::string& path, std::string& error, TDbfOpenInfo* info = nullptr);

// After the deal is classified: box 1's dealt cards and hand (fields 6..10, 18, 26) and, with
// drawColumns, the draw tests (22..25, 27, 28).
void WriteDealtFields(int handle, const TBox& box, const TRules& rules, bool drawColumns);
// After settlement: the dealer's cards and hand, box 1's final hand, expected values and
// outcome (0..5, 11, 12, 14..17, 19..21).
void WriteOutcomeFields(int handle, const TBox& dealer, const TBox& box);

} // namespace kvarlen
