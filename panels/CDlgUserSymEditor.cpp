#include "panels/CDlgUserSymEditor.h"

#include "model/GlyphOutline.h"
#include "panels/CDialogSetString.h"
#include "panels/CDlgSelSym.h"
#include "panels/CDlgToolbar.h"
#include "panels/CDlgUserSymPanel.h"
#include "panels/CKwGECanvas.h"
#include "panels/PanelDialog.h"
#include "platform/MessageSink.h"
#include "uikit/KitDialogs.h"
#include "uikit/LangTable.h"
#include "uikit/WindowMessages.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace toliva {

namespace {

const QString kLangFile = QStringLiteral("LANG_10.xml");
constexpr int kFilledPosition = 12;
constexpr int kHollowPosition = 13;
constexpr int kLatched = 21;
constexpr int kNormal = 1;

}  // namespace

// Receives the tool bar's posted commands for the editor.
class UserSymToolbarTarget : public QObject, public MessageTarget {
public:
    explicit UserSymToolbarTarget(CDlgUserSymEditor& editor) : QObject(&editor), m_editor(editor) {}
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t) override {
        if (message == WM_TOOLBAR_COMMAND && wParam > 0) m_editor.OnToolbarCommand(int(wParam));
        return 0;
    }
    bool event(QEvent* event) override {
        if (DispatchPostedMessage(event, this)) return true;
        return QObject::event(event);
    }

private:
    CDlgUserSymEditor& m_editor;
};

CDlgUserSymEditor::CDlgUserSymEditor(const PanelContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setProperty("ctrlId", 143);
    auto* layout = new QVBoxLayout(this);
    auto* area = WithCtrlId(new QWidget(this), kPlaceholder);
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);
    m_toolbar = new CDlgToolbar(new UserSymToolbarTarget(*this), m_context, area);
    m_toolbar->LoadButtons(QStringLiteral("tb_sym_edt"));
    m_toolbar->setFixedHeight(int(m_context.uiScale * 24 + 20));
    m_canvas = new CKwGECanvas(m_model, m_context.programFolder, area);
    m_canvas->renderContext = [this]() -> const RenderContext& { return UserSymEditModel::ContextOf(m_pSheet); };
    m_canvas->setMinimumSize(int(420 * m_context.uiScale), int(220 * m_context.uiScale));
    m_canvas->installEventFilter(this);
    areaLayout->addWidget(m_toolbar);
    areaLayout->addWidget(m_canvas, 1);
    layout->addWidget(area, 1);

    auto* row = new QHBoxLayout;
    m_codeLabel = WithCtrlId(new QLabel(QStringLiteral("Code:"), this), kCodeLabel);
    m_codeEdit = WithCtrlId(new QLineEdit(this), kCode);
    m_addAndNew = WithCtrlId(new QPushButton(QStringLiteral("Add and Create New"), this), kAddAndNew);
    m_ok = WithCtrlId(new QPushButton(QStringLiteral("OK"), this), kOk);
    m_cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    m_ok->setDefault(true);
    m_codeEdit->installEventFilter(this);
    installEventFilter(this);
    row->addWidget(m_codeLabel);
    row->addWidget(m_codeEdit);
    row->addStretch(1);
    row->addWidget(m_addAndNew);
    row->addWidget(m_ok);
    row->addWidget(m_cancel);
    layout->addLayout(row);
    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_addAndNew, &QPushButton::clicked, this, [this] { OnApplyValue(); });
}

CDlgUserSymEditor::~CDlgUserSymEditor() {
    // A dialog that never ran holds no values of its own: the stored ones stay.
    if (m_initialized) WriteUserSymDefaults(m_model.saved);
    m_model.DeletePreview();
    m_model.ClearWorkingGlyph();
}

int CDlgUserSymEditor::DoModal() { return RunPanelDialog<CDlgUserSymEditor>(*this, runModal); }

void CDlgUserSymEditor::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    if (m_bEditExisting) {
        m_addAndNew->hide();
        if (m_pSourceGlyph) {
            m_model.SetWorkingGlyph(*m_pSourceGlyph);
            m_model.saved = GlyphMetricsBlock::From(*m_pSourceGlyph);
            m_model.BuildPreview(m_pSheet);
        }
    } else {
        ReadUserSymDefaults(m_model.saved);
        m_model.hollow = m_model.saved.hollow != 0;
    }
    LangTable texts(m_context.languageCode, kLangFile);
    SetDialogLangTexts(texts, QStringLiteral("gCS_2"), this,
                       {{0, 1}, {kAddAndNew, 2}, {kOk, 3}, {kCancel, 4}, {kCodeLabel, 5}, {-1, -1}});
    updateHollowButtons();
    refreshControls();
    m_canvas->RenderCanvas();
    m_canvas->update();
    m_canvas->setFocus();
}

void CDlgUserSymEditor::refreshControls() { m_codeEdit->setText(QString::number(m_model.code)); }

void CDlgUserSymEditor::readCode() {
    bool ok = false;
    const int value = m_codeEdit->text().trimmed().toInt(&ok);
    m_model.code = ok ? value : 0;
}

void CDlgUserSymEditor::updateHollowButtons() {
    if (!m_toolbar) return;
    const int filled = m_model.hollow ? kNormal : kLatched;
    const int hollow = m_model.hollow ? kLatched : kNormal;
    const bool changed = m_toolbar->buttonState(kFilledPosition) != filled ||
                         m_toolbar->buttonState(kHollowPosition) != hollow;
    m_toolbar->SetButtonState(kFilledPosition, filled, false);
    m_toolbar->SetButtonState(kHollowPosition, hollow, false);
    if (changed) m_toolbar->update();
}

void CDlgUserSymEditor::afterChange() {
    m_canvas->RenderCanvas();
    m_canvas->update();
}

void CDlgUserSymEditor::OnToolbarCommand(int command) {
    switch (command) {
    case 1: {
        LangTable texts(m_context.languageCode, kLangFile);
        LangMessageBox(texts, QStringLiteral("gMSG_1"), 4, MB_OK | MB_ICONINFORMATION);
        return;
    }
    case 2: {
        GlyphOutline picked;
        if (pickCharacter) {
            if (!pickCharacter(picked)) return;
        } else {
            CDlgSelSym picker(m_context, this);
            if (picker.DoModal() != IDOK) return;
            CopyGlyph(picked, picker.m_glyph);
        }
        m_model.MergePicked(picked, m_pSheet);
        refreshControls();
        updateHollowButtons();
        afterChange();
        return;
    }
    case 3:
        if (m_model.Reset(m_pSheet)) {
            refreshControls();
            afterChange();
        }
        return;
    case 4:
        if (m_model.FitToNeighbours()) afterChange();
        return;
    case 5:
    case 7: {
        GlyphOutline* g = m_model.symbol();
        if (!g) return;
        LangTable texts(m_context.languageCode, kLangFile);
        CDialogSetString input(m_context.languageCode, this);
        const bool scale = command == 5;
        input.m_strTitle = LoadLangString(texts, QStringLiteral("gDS_2"), scale ? 3 : 1);
        input.m_strPrompt = LoadLangString(texts, QStringLiteral("gDS_2"), scale ? 4 : 2);
        input.m_strText = scale ? QString::asprintf("%f", double(g->scale) * 100.0) : QStringLiteral("0");
        input.runModal = runSetString;
        if (input.DoModal() != IDOK) return;
        const double value = ParseTypedNumber(input.m_strText);
        const bool done = scale ? m_model.SetScalePercent(value) : m_model.Slant(value);
        if (done) afterChange();
        return;
    }
    case 6: {
        GlyphOutline* g = m_model.symbol();
        if (!g) return;
        uint32_t colour = g->colour;
        const bool ok = chooseColour ? chooseColour(colour)
                                     : RunColorDialog(colour, QString::fromLatin1(kCustomColourKey));
        if (ok && m_model.SetColour(colour)) afterChange();
        return;
    }
    case 8:
        if (m_model.FlipHorizontal()) afterChange();
        return;
    case 9:
        if (m_model.FlipVertical()) afterChange();
        return;
    case 10:
    case 11:
        if (!m_model.symbol()) return;
        if (m_model.SetHollow(command == 11)) {
            updateHollowButtons();
            afterChange();
        }
        return;
    default:
        return;
    }
}

void CDlgUserSymEditor::OnApplyValue() {
    if (!addGlyph || !m_model.symbol()) return;
    readCode();
    if (GlyphOutline* g = m_model.Finish(m_model.code)) addGlyph(*g);
    m_model.ClearWorkingGlyph();
    m_model.DeletePreview();
    afterChange();
}

void CDlgUserSymEditor::OnOK() {
    if (m_model.symbol()) {
        readCode();
        if (GlyphOutline* g = m_model.Finish(m_model.code)) {
            if (m_bEditExisting && m_pSourceGlyph) {
                CopyGlyph(*m_pSourceGlyph, *g);
                EnsureGlyphOwnPath(*m_pSourceGlyph);
            } else if (addGlyph) {
                addGlyph(*g);
            }
        }
    }
    done(QDialog::Accepted);
}

void CDlgUserSymEditor::accept() { OnOK(); }

bool CDlgUserSymEditor::eventFilter(QObject* watched, QEvent* event) {
    // Every key of the dialog goes to the canvas first: the arrows move the
    // symbol wherever the focus is.
    if (event->type() == QEvent::KeyPress && (watched == m_canvas || watched == m_codeEdit || watched == this)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_canvas->HandleKey(key->key(), key->modifiers() & Qt::ControlModifier)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

int RunUserSymEditor(const PanelContext& context, UserSymSheet* sheet, CDlgUserSymPanel& panel,
                     GlyphOutline* source, const std::function<void(CDlgUserSymEditor&)>& prepare) {
    CDlgUserSymEditor editor(context, &panel);
    editor.m_pSheet = sheet;
    editor.addGlyph = [&panel](const GlyphOutline& glyph) { panel.AddGlyph(glyph); };
    editor.m_bEditExisting = source != nullptr;
    editor.m_pSourceGlyph = source;
    if (prepare) prepare(editor);
    return editor.DoModal();
}

}  // namespace toliva
