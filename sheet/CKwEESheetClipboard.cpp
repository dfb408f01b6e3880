// Copy, cut, paste, drop and recognition of images.
#include "sheet/CKwEESheet.h"

#include "model/EqModel.h"
#include "sheet/editing/Recognition.h"

#include <QDragEnterEvent>
#include <QDropEvent>

namespace toliva {

bool CKwEESheet::PrepareClipboardEquation() { return false; }
void CKwEESheet::Copy() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::Cut() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::CopyAsText(bool) { NotAvailableYet(Unavailable::Command); }
EqElement* CKwEESheet::CopyElementTreeIntoSheet(const EqElement*, EqElement*, EqElement*) { return nullptr; }
void CKwEESheet::InsertEquationAtCaret(EqModel*) {}
void CKwEESheet::InsertEquation(EqModel*) {}
bool CKwEESheet::InsertLaTeXText(const QString&) { return false; }
void CKwEESheet::Paste() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::PasteText() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::ReplaceMarked() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::ReplaceAllMarked(EqModel*) {}
void CKwEESheet::InsertPlainText(QStringView) {}
bool CKwEESheet::DropDataObject(const QMimeData&, bool) { return false; }
void CKwEESheet::ImportLaTeXFile() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::PasteClipboardMathML() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::RecognizeClipboardImage() {
    if (m_recognition) m_recognition->RecognizeFormula(QString());
}
void CKwEESheet::RecognizeImageFile(const QString&, bool) { NotAvailableYet(Unavailable::Command); }
RecognitionService& CKwEESheet::recognition() { return *m_recognition; }
void CKwEESheet::dragEnterEvent(QDragEnterEvent* event) { QWidget::dragEnterEvent(event); }
void CKwEESheet::dragMoveEvent(QDragMoveEvent* event) { QWidget::dragMoveEvent(event); }
void CKwEESheet::dropEvent(QDropEvent* event) { QWidget::dropEvent(event); }

}  // namespace toliva
