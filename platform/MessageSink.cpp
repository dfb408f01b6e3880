#include "MessageSink.h"

#include <cstdio>

namespace toliva {
namespace {

class StderrSink : public MessageSink {
public:
    int show(const QString& text, const QString& caption, unsigned flags, void*) override {
        const QByteArray t = text.toUtf8();
        if (caption.isEmpty())
            std::fprintf(stderr, "%s\n", t.constData());
        else
            std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), t.constData());
        const unsigned buttons = flags & 0xF;
        return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
    }
};

StderrSink g_stderrSink;
MessageSink* g_sink = nullptr;

}  // namespace

MessageSink& messageSink() { return g_sink ? *g_sink : g_stderrSink; }

void setMessageSink(MessageSink* sink) { g_sink = sink; }

int showMessage(const QString& text, unsigned flags) { return messageSink().show(text, {}, flags, nullptr); }

int RecordingMessageSink::show(const QString& text, const QString& caption, unsigned flags, void*) {
    shown.push_back({text, caption, flags});
    if (answers.empty()) return defaultAnswer;
    const int a = answers.front();
    answers.pop_front();
    return a;
}

ScopedMessageSink::ScopedMessageSink(MessageSink* sink) : m_previous(g_sink) { g_sink = sink; }

ScopedMessageSink::~ScopedMessageSink() { g_sink = m_previous; }

}  // namespace toliva
