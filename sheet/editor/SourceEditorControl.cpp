// The factory of the source-editor control library.
#include "sheet/editor/SourceEditorControl.h"

#include <Qsci/qsciscintillabase.h>

#include <QtGlobal>

extern "C" Q_DECL_EXPORT QWidget* toliva_create_source_editor(QWidget* parent) {
    return new QsciScintillaBase(parent);
}
