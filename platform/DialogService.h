// Every modal picker of the system (file open and save, colour, font, folder)
// goes through one replaceable service. The programs install the Qt dialogs
// (QtDialogService of the UI kit) at start; without an installed service every
// picker answers Cancel. Tests install a ScriptedDialogService that records
// each request and answers from a queue.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <vector>

class QObject;

namespace toliva {

struct FileDialogRequest {
    bool save = false;
    QString title;              // empty: the dialog's own caption
    // Windows form: pairs of description and patterns, each ended by '|':
    // "Toliva Hotkeys (*.hks)|*.hks|All Files (*.*)|*.*||". Patterns of one
    // pair are separated by ';'. Empty: every file.
    QString filter;
    QString defaultExtension;   // added to a name typed without one: "hks", ".hks" or "*.hks"
    QString defaultName;        // the proposed file name
    QString initialFolder;      // empty: wherever the dialog starts by itself
    bool overwritePrompt = true;  // a save dialog asks before replacing a file
    QObject* owner = nullptr;   // the parent window, when it is a widget
};

struct ColourDialogRequest {
    QColor initial;
    std::array<QColor, 16> customColours;
    bool fullOpen = true;       // the custom-colour part is shown at once
    QObject* owner = nullptr;
};

struct ColourDialogResult {
    QColor colour;
    std::array<QColor, 16> customColours;  // as the user left them
};

struct FontDialogRequest {
    QFont font;
    QColor colour;              // the text colour, with the effects
    bool effects = true;        // underline, strike-out and colour are offered
    QObject* owner = nullptr;
};

struct FontDialogResult {
    QFont font;
    QColor colour;
};

struct FolderDialogRequest {
    QString title;
    QString initialFolder;
    QObject* owner = nullptr;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Each returns whether the user confirmed; out is set only then.
    virtual bool pickFile(const FileDialogRequest& request, QString* path) = 0;
    virtual bool pickColour(const ColourDialogRequest& request, ColourDialogResult* out) = 0;
    virtual bool pickFont(const FontDialogRequest& request, FontDialogResult* out) = 0;
    virtual bool pickFolder(const FolderDialogRequest& request, QString* folder) = 0;
};

// The service in use: the installed one, else one that answers Cancel.
DialogService& dialogService();
// Installs a service (not owned); nullptr restores the one that answers Cancel.
void setDialogService(DialogService* service);

// A service for tests: records every request and answers from a script.
class ScriptedDialogService : public DialogService {
public:
    enum class Kind { File, Colour, Font, Folder };

    struct Answer {
        Kind kind = Kind::File;
        bool accept = false;
        QString path;                    // File, Folder
        QColor colour;                   // Colour; Font: the text colour (invalid: unchanged)
        bool setsCustomColours = false;  // Colour: otherwise the request's customs come back
        std::array<QColor, 16> customColours;
        QFont font;                      // Font

        static Answer cancel(Kind kind);
        static Answer withFile(const QString& path);
        static Answer withFolder(const QString& path);
        static Answer withColour(const QColor& colour);
        static Answer withColour(const QColor& colour, const std::array<QColor, 16>& customs);
        static Answer withFont(const QFont& font, const QColor& colour = {});
    };

    bool pickFile(const FileDialogRequest& request, QString* path) override;
    bool pickColour(const ColourDialogRequest& request, ColourDialogResult* out) override;
    bool pickFont(const FontDialogRequest& request, FontDialogResult* out) override;
    bool pickFolder(const FolderDialogRequest& request, QString* folder) override;

    std::vector<Kind> asked;  // the kind of every request, in order
    std::vector<FileDialogRequest> fileRequests;
    std::vector<ColourDialogRequest> colourRequests;
    std::vector<FontDialogRequest> fontRequests;
    std::vector<FolderDialogRequest> folderRequests;

    // Taken front first. An empty queue answers Cancel; an answer of another
    // kind than the request answers Cancel too and counts as a mismatch.
    std::deque<Answer> answers;
    int mismatches = 0;

private:
    Answer next(Kind kind);
};

// Installs a service for the lifetime of the guard.
class ScopedDialogService {
public:
    explicit ScopedDialogService(DialogService* service);
    ~ScopedDialogService();
    ScopedDialogService(const ScopedDialogService&) = delete;
    ScopedDialogService& operator=(const ScopedDialogService&) = delete;

private:
    DialogService* m_previous;
};

}  // namespace toliva
