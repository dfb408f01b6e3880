// Every message box of the system goes through one replaceable sink: the
// programs install one that shows a dialog, tests install a recorder that
// keeps the texts and answers by script.
#pragma once

#include <QString>

#include <deque>
#include <vector>

namespace toliva {

// Message box type flags and answers, with the values callers pass around.
enum MessageBoxFlags : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum MessageBoxAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows text with a caption (empty: the program's name); returns the button pressed.
    virtual int show(const QString& text, const QString& caption, unsigned flags, void* owner) = 0;
};

// The sink in use. Without an installed one, messages go to standard error and
// the box answers with its first button (OK, or Yes).
MessageSink& messageSink();
// Installs a sink (not owned); nullptr restores the standard-error sink.
void setMessageSink(MessageSink* sink);

// Shortcut: messageSink().show(text, {}, flags, nullptr).
int showMessage(const QString& text, unsigned flags = MB_OK);

// A sink that shows nothing and answers every box with OK (fuzz targets,
// benchmarks).
class SilentMessageSink : public MessageSink {
public:
    int show(const QString&, const QString&, unsigned, void*) override { return IDOK; }
};

// A sink for tests: records every message and answers from a script.
class RecordingMessageSink : public MessageSink {
public:
    struct Entry {
        QString text;
        QString caption;
        unsigned flags;
    };
    int show(const QString& text, const QString& caption, unsigned flags, void* owner) override;

    std::vector<Entry> shown;
    std::deque<int> answers;  // taken front first; when empty, defaultAnswer
    int defaultAnswer = IDOK;
};

// Installs a sink for the lifetime of the guard.
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink* sink);
    ~ScopedMessageSink();
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink* m_previous;
};

}  // namespace toliva
