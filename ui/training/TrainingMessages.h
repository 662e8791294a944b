// The training history's failures in the window's language (the engine words them for the
// command line).
#pragma once

#include <QString>

#include <exception>

namespace kvarlen {

// What went wrong with the history and with which file; any other exception as it reads.
QString HistoryErrorText(const std::exception& e);

} // namespace kvarlen
