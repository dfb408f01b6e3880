#include "platform/DialogService.h"

namespace toliva {
namespace {

// The service without an installed one: a program that shows no dialogs.
class CancelDialogService : public DialogService {
public:
    bool pickFile(const FileDialogRequest&, QString*) override { return false; }
    bool pickColour(const ColourDialogRequest&, ColourDialogResult*) override { return false; }
    bool pickFont(const FontDialogRequest&, FontDialogResult*) override { return false; }
    bool pickFolder(const FolderDialogRequest&, QString*) override { return false; }
};

CancelDialogService g_cancelService;
DialogService* g_service = nullptr;

}  // namespace

DialogService& dialogService() { return g_service ? *g_service : g_cancelService; }

void setDialogService(DialogService* service) { g_service = service; }

// --- Scripted dialogs ------------------------------------------------------------

ScriptedDialogService::Answer ScriptedDialogService::Answer::cancel(Kind kind) {
    Answer a;
    a.kind = kind;
    return a;
}

ScriptedDialogService::Answer ScriptedDialogService::Answer::withFile(const QString& path) {
    Answer a = cancel(Kind::File);
    a.accept = true;
    a.path = path;
    return a;
}

ScriptedDialogService::Answer ScriptedDialogService::Answer::withFolder(const QString& path) {
    Answer a = cancel(Kind::Folder);
    a.accept = true;
    a.path = path;
    return a;
}

ScriptedDialogService::Answer ScriptedDialogService::Answer::withColour(const QColor& colour) {
    Answer a = cancel(Kind::Colour);
    a.accept = true;
    a.colour = colour;
    return a;
}

ScriptedDialogService::Answer ScriptedDialogService::Answer::withColour(const QColor& colour,
                                                                        const std::array<QColor, 16>& customs) {
    Answer a = withColour(colour);
    a.setsCustomColours = true;
    a.customColours = customs;
    return a;
}

ScriptedDialogService::Answer ScriptedDialogService::Answer::withFont(const QFont& font, const QColor& colour) {
    Answer a = cancel(Kind::Font);
    a.accept = true;
    a.font = font;
    a.colour = colour;
    return a;
}

ScriptedDialogService::Answer ScriptedDialogService::next(Kind kind) {
    asked.push_back(kind);
    if (answers.empty()) return Answer::cancel(kind);
    Answer a = answers.front();
    answers.pop_front();
    if (a.kind != kind) {
        ++mismatches;
        return Answer::cancel(kind);
    }
    return a;
}

bool ScriptedDialogService::pickFile(const FileDialogRequest& request, QString* path) {
    fileRequests.push_back(request);
    const Answer a = next(Kind::File);
    if (!a.accept) return false;
    if (path) *path = a.path;
    return true;
}

bool ScriptedDialogService::pickColour(const ColourDialogRequest& request, ColourDialogResult* out) {
    colourRequests.push_back(request);
    const Answer a = next(Kind::Colour);
    if (!a.accept) return false;
    if (out) {
        out->colour = a.colour;
        out->customColours = a.setsCustomColours ? a.customColours : request.customColours;
    }
    return true;
}

bool ScriptedDialogService::pickFont(const FontDialogRequest& request, FontDialogResult* out) {
    fontRequests.push_back(request);
    const Answer a = next(Kind::Font);
    if (!a.accept) return false;
    if (out) {
        out->font = a.font;
        out->colour = a.colour.isValid() ? a.colour : request.colour;
    }
    return true;
}

bool ScriptedDialogService::pickFolder(const FolderDialogRequest& request, QString* folder) {
    folderRequests.push_back(request);
    const Answer a = next(Kind::Folder);
    if (!a.accept) return false;
    if (folder) *folder = a.path;
    return true;
}

ScopedDialogService::ScopedDialogService(DialogService* service) : m_previous(g_service) { g_service = service; }

ScopedDialogService::~ScopedDialogService() { g_service = m_previous; }

}  // namespace toliva
