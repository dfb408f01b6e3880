#include "uikit/QtDialogService.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

#include <algorithm>

namespace toliva {
namespace {

// The Qt dialogs need a QApplication; a program without one gets Cancel.
bool haveWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QWidget* parentWidget(QObject* owner) {
    for (QObject* o = owner; o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o)) return w;
    return nullptr;
}

}  // namespace

QStringList QtNameFilters(const QString& windowsFilter) {
    QStringList parts = windowsFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ').simplified();
        if (description.isEmpty() || patterns.isEmpty()) continue;
        // Qt reads the patterns from the parentheses that end the text; a
        // description that ends with other parentheses gets the real ones added.
        const qsizetype open = description.lastIndexOf(u'(');
        const bool carriesPatterns =
            description.endsWith(u')') && open >= 0 &&
            QString(description.mid(open + 1, description.size() - open - 2)).replace(u';', u' ').simplified() ==
                patterns;
        filters.push_back(carriesPatterns ? description : description + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

QString BareExtension(const QString& extension) {
    QString e = extension.trimmed();
    if (e.startsWith(u'*')) e.remove(0, 1);
    if (e.startsWith(u'.')) e.remove(0, 1);
    if (e.contains(u'*') || e.contains(u'?')) return {};
    return e;
}

bool QtDialogService::pickFile(const FileDialogRequest& request, QString* path) {
    if (!haveWidgets()) return false;
    QFileDialog dialog(parentWidget(request.owner), request.title, request.initialFolder);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(BareExtension(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (!request.defaultName.isEmpty()) dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
    if (path) *path = chosen.first();
    return true;
}

bool QtDialogService::pickColour(const ColourDialogRequest& request, ColourDialogResult* out) {
    if (!haveWidgets()) return false;
    const int count = std::min(int(request.customColours.size()), QColorDialog::customCount());
    for (int i = 0; i < count; ++i) QColorDialog::setCustomColor(i, request.customColours[size_t(i)]);
    QColorDialog dialog(request.initial, parentWidget(request.owner));
    if (dialog.exec() != QDialog::Accepted) return false;
    if (out) {
        out->colour = dialog.selectedColor();
        out->customColours = request.customColours;
        for (int i = 0; i < count; ++i) out->customColours[size_t(i)] = QColorDialog::customColor(i);
    }
    return true;
}

bool QtDialogService::pickFont(const FontDialogRequest& request, FontDialogResult* out) {
    if (!haveWidgets()) return false;
    QFontDialog dialog(request.font, parentWidget(request.owner));
    if (dialog.exec() != QDialog::Accepted) return false;
    if (out) {
        out->font = dialog.selectedFont();
        out->colour = request.colour;  // Qt's font dialog offers no colour
    }
    return true;
}

bool QtDialogService::pickFolder(const FolderDialogRequest& request, QString* folder) {
    if (!haveWidgets()) return false;
    const QString chosen = QFileDialog::getExistingDirectory(parentWidget(request.owner), request.title,
                                                             request.initialFolder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    if (folder) *folder = chosen;
    return true;
}

}  // namespace toliva
