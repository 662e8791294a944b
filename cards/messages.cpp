#include "cards/messages.h"

#include <cstdio>
#include <mutex>

namespace kvarlen {

namespace {
std::mutex g_mutex;
MessageSink& Sink() {
    static MessageSink sink = [](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
    };
    return sink;
}
} // namespace

MessageSink SetMessageSink(MessageSink sink) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MessageSink old = std::move(Sink());
    Sink() = std::move(sink);
    return old;
}

void ShowMessage(const std::string& text) {
    MessageSink sink;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        sink = Sink();
    }
    if (sink) sink(text);
}

} // namespace kvarlen
