// Messages of "cannot happen" states: routed to whoever shows them (a modal box in the window,
// stderr on the command line, a recorder in tests).
#pragma once

#include <functional>
#include <string>

namespace kvarlen {

using MessageSink = std::function<void(const std::string&)>;

// Replaces the sink and returns the previous one. The default writes to stderr.
MessageSink SetMessageSink(MessageSink sink);
void ShowMessage(const std::string& text);

} // namespace kvarlen
