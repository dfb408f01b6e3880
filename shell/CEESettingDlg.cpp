#include "shell/CEESettingDlg.h"

#include "shell/CEEDPP_Advanced.h"
#include "shell/CEEDPP_AutoCal.h"
#include "shell/CEEDPP_Colors.h"
#include "shell/CEEDPP_Editor.h"
#include "shell/CEEDPP_Layout.h"
#include "shell/CEEDPP_SCTeX.h"
#include "shell/settings/AppSettings.h"
#include "shell/settings/EquationSettingsValues.h"
#include "shell/settings/EquationThemes.h"

#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqNotes.h"
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "uikit/CKwMenu.h"
#include "uikit/KitDialogs.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWheelEvent>

#include <algorithm>

namespace toliva {
namespace {

const QString kLangFile = QStringLiteral("LANG_04.xml");
const QString kThemeFilter = QStringLiteral("Toliva Themes (*.thm)|*.thm|All Files (*.*)|*.*||");
const QColor kListLine(180, 180, 180);
const QColor kListHalo(230, 230, 230);
const QColor kListRow(235, 235, 235);
// Moves closer together than this belong to one drag of the window.
constexpr int kMoveEndMs = 250;

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

// A frame of one-pixel lines: light above and left, dark below and right, on
// the edges of r (right and bottom exclusive).
void draw3dRect(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    const int l = r.left(), t = r.top(), rr = l + r.width() - 1, b = t + r.height() - 1;
    painter.setPen(topLeft);
    painter.drawLine(l, t, rr - 1, t);
    painter.drawLine(l, t, l, b - 1);
    painter.setPen(bottomRight);
    painter.drawLine(rr, t, rr, b);
    painter.drawLine(l, b, rr, b);
}

}  // namespace

CEESettingDlg::CEESettingDlg(EquationSettingsContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    SetDefaultLayoutSettings(m_layout);
    setFont(CreateMenuFont());
    setWindowTitle(QStringLiteral("Equation Settings"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    // Laid out for the interface size: 900 x 620 at the normal size.
    const int metric = m_context.settings.uiMetric;
    const double f = metric > 0 ? metric / 15.0 : 1.0;
    const auto px = [f](int v) { return int(v * f + 0.5); };
    const auto place = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(px(x), px(y), px(width), px(height));
    };

    auto* frame = withId(new QFrame(this), kPageFrame);
    frame->setFrameShape(QFrame::NoFrame);
    place(frame, 170, 12, 718, 548);
    frame->lower();

    const auto button = [&](int id, const QString& text, int x) {
        auto* b = withId(new QPushButton(text, this), id);
        place(b, x, 574, 96, 30);
        return b;
    };
    QPushButton* help = button(kHelp, QStringLiteral("Help"), 12);
    QPushButton* theme = button(kTheme, QStringLiteral("Themes"), 114);
    QPushButton* ok = button(kOk, QStringLiteral("OK"), 582);
    QPushButton* cancel = button(kCancel, QStringLiteral("Cancel"), 687);
    QPushButton* apply = button(kApply, QStringLiteral("Apply"), 792);
    ok->setDefault(true);
    auto* defaults = withId(new QCheckBox(QStringLiteral("Also save as the default for new equations"), this),
                            kWriteDefaults);
    place(defaults, 222, 574, 350, 30);
    setFixedSize(px(900), px(620));

    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply, &QPushButton::clicked, this, [this] { OnApply(); });
    connect(help, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(theme, &QPushButton::clicked, this, [this] { OnThemeMenu(QCursor::pos()); });

    m_moveEnd.setSingleShot(true);
    m_moveEnd.setInterval(kMoveEndMs);
    connect(&m_moveEnd, &QTimer::timeout, this, [this] { OnExitSizeMove(); });
}

CEESettingDlg::~CEESettingDlg() = default;

QWidget* CEESettingDlg::control(int id) const { return DialogControl(const_cast<CEESettingDlg*>(this), id); }

// ---- creation and initialisation

void CEESettingDlg::OnCreate() {
    if (m_created) return;
    m_created = true;
    if (m_pTarget && m_pTarget->equation()) m_layout.CopyFrom(m_pTarget->equation()->settings);

    m_pLayout = new CEEDPP_Layout(this);
    m_pColors = new CEEDPP_Colors(this);
    m_pEditor = new CEEDPP_Editor(this);
    m_pSCTeX = new CEEDPP_SCTeX(this);
    m_pAutoCal = new CEEDPP_AutoCal(this);
    m_pAdvanced = new CEEDPP_Advanced(this);
    m_pages = {m_pLayout, m_pColors, m_pEditor, m_pSCTeX, m_pAutoCal, m_pAdvanced};
    m_pLayout->setProperty(kCtrlIdProperty, 130);

    // Each page starts at the frame's place and initialises itself there.
    const QRect frame = control(kPageFrame)->geometry();
    const QRect pageRect = frame.translated(-1, 0);
    for (QWidget* page : m_pages) {
        page->setGeometry(pageRect);
        page->hide();
    }
    m_pLayout->OnInitDialog();
    m_pColors->OnInitDialog();
    m_pEditor->OnInitDialog();
    m_pSCTeX->OnInitDialog();
    m_pAutoCal->OnInitDialog();
    m_pAdvanced->OnInitDialog();
}

bool CEESettingDlg::OnInitDialog() {
    OnCreate();
    if (m_initialized) return true;
    m_initialized = true;

    const QRect frame = control(kPageFrame)->geometry();
    const QRect pageRect = frame.translated(-1, 0);
    for (size_t i = 0; i < m_pages.size(); ++i) {
        m_pages[i]->setGeometry(pageRect);
        m_captions[i] = m_pages[i]->windowTitle();
    }

    LangTable table(m_context.app.languageCode(), kLangFile);
    SetDialogLangTexts(table, QStringLiteral("gCS_1"), this,
                       {{0, 1}, {kOk, 2}, {kCancel, 3}, {kApply, 4}, {kHelp, 5}, {kTheme, 6}, {kWriteDefaults, 7}});

    qobject_cast<QCheckBox*>(control(kWriteDefaults))->setChecked(ReadWriteDefaultsOnOK());

    if (m_bRestricted) {
        control(kApply)->hide();
        m_nPage = PageLayout;
        m_pLayout->m_nSection = CEEDPP_Layout::kFontSection;
    } else {
        if (m_pTarget) m_pLayout->m_nSection = ReadLayoutSectionIndex();
        m_nPage = std::clamp(ReadSettingsPageIndex(), 0, kPageCount - 1);
    }

    m_pLayout->ShowSection();
    m_pLayout->FillFontLists();
    m_listLeft = control(kHelp)->geometry().left() + 1;
    m_listTop = frame.top() - 1;
    m_listBottom = frame.top() + frame.height() + 1;
    m_separatorX = frame.left();
    m_listRight = frame.left() + frame.width();
    ShowPage(m_nPage);
    update();
    return true;
}

int CEESettingDlg::DoModal() {
    OnInitDialog();
    if (runModal) return runModal(*this);
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

// ---- pages

void CEESettingDlg::ShowPage(int index) {
    m_nPage = std::clamp(index, 0, lastPage());
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i]) m_pages[i]->setVisible(int(i) == m_nPage);
    if (m_nPage == PageAdvanced && m_pAdvanced) m_pAdvanced->SyncOfficeOptions(0);
    if (m_nPage == PageLayout && m_pLayout) m_pLayout->SyncOfficeOptions(0);
    update();
}

void CEESettingDlg::ApplyPages() {
    EqModel* eq = m_pTarget ? m_pTarget->equation() : nullptr;
    if (!eq || !m_created) return;
    m_pLayout->Exchange(1);
    m_pEditor->Store();
    m_pAutoCal->Store();
    m_pSCTeX->Store();
    m_pColors->ReadChecks();
    m_layout.ints[0] = m_pColors->m_nCheck1212;
    m_layout.ints[5] = m_pColors->m_nCheck1214;
    m_pAdvanced->Apply();
    eq->settings.CopyFrom(m_layout);
    SetupEquationFonts(eq);

    SheetHost& host = m_pTarget->host();
    host.MarkSymbolGroupsChanged();
    host.RedrawLibrarySheets();
    host.ApplyPanelColours();
    host.UpdateToolbarStates();
}

void CEESettingDlg::ReloadPages() {
    if (!m_created) return;
    m_pLayout->Exchange(0);
    m_pColors->m_nCheck1212 = m_layout.ints[0];
    m_pColors->m_nCheck1214 = m_layout.ints[5];
    m_pColors->PushChecks();
    m_pColors->update();
    m_pEditor->Load();
    m_pAutoCal->Load();
    m_pSCTeX->Load();
}

// ---- buttons

void CEESettingDlg::OnOK() {
    ApplyPages();
    const bool writeDefaults = qobject_cast<QCheckBox*>(control(kWriteDefaults))->isChecked();
    StoreWriteDefaultsOnOK(writeDefaults);
    EqModel* eq = m_pTarget ? m_pTarget->equation() : nullptr;
    if (writeDefaults && eq && !m_context.app.userFolder.isEmpty()) {
        const QString path = UserDefaultsPath(m_context.app.userFolder);
        if (!WriteThemeFile(path, eq->settings)) cannotWrite(path);
    }
    if (!m_bRestricted) {
        StoreSettingsPageIndex(m_nPage);
        StoreLayoutSectionIndex(m_pLayout ? m_pLayout->m_nSection : 0);
    }
    done(QDialog::Accepted);
}

void CEESettingDlg::OnApply() {
    if (m_bRestricted) return;
    ApplyPages();
    EqModel* eq = m_pTarget ? m_pTarget->equation() : nullptr;
    if (!eq) return;
    InvalidateAllLineCaches(eq);
    eq->needsLayout = 1;
    if (m_pTarget->isVisible()) {
        m_pTarget->Refresh(0);
        m_pTarget->ComposeSelection();
        m_pTarget->update();
    }
    if (m_pTarget->host().IsEmbedded()) m_pTarget->host().SetModifiedFlag();
}

void CEESettingDlg::OnHelp() {
    if (m_pTarget) m_pTarget->OpenHelpDocument(QStringLiteral("Help.pdf"));
}

// ---- themes

void CEESettingDlg::OnThemeMenu(QPoint screenPoint) {
    if (!m_pTarget || !m_pTarget->equation()) return;
    LangTable table(m_context.app.languageCode(), kLangFile);
    const QString group = QStringLiteral("gCS_2");
    CKwMenu menu(this);
    menu.AppendItem(MF_OWNERDRAW, ThemeReset, table, group, 1, QStringLiteral("menu\\ThemeReset"));
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    menu.AppendItem(MF_OWNERDRAW, ThemeSaveAs, table, group, 2, QStringLiteral("menu\\ThemeSave"));
    menu.AppendItem(MF_OWNERDRAW, ThemeOpen, table, group, 3, QStringLiteral("menu\\ThemeOpen"));
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    menu.AppendItem(MF_OWNERDRAW, ThemeSaveMine, table, group, 4, QStringLiteral("menu\\MyThemeSave"));
    menu.AppendItem(MF_OWNERDRAW, ThemeLoadMine, table, group, 5, QStringLiteral("menu\\MyThemeLoad"));
    const unsigned chosen =
        m_context.trackMenu ? m_context.trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint);
    OnThemeItem(int(chosen));
}

void CEESettingDlg::OnThemeItem(int item) {
    if (!m_pTarget || !m_pTarget->equation()) return;
    const QString& folder = m_context.app.userFolder;
    QString path;
    switch (item) {
    case ThemeReset:
        SetDefaultLayoutSettings(m_layout);
        ReloadPages();
        return;
    case ThemeSaveAs:
        if (RunThemeFileDialog(true, path)) SaveTheme(path);
        return;
    case ThemeOpen:
        if (RunThemeFileDialog(false, path)) LoadTheme(path);
        return;
    case ThemeSaveMine:
        if (!folder.isEmpty()) SaveTheme(MyThemePath(folder));
        return;
    case ThemeLoadMine:
        if (!folder.isEmpty()) LoadTheme(MyThemePath(folder));
        return;
    default: return;
    }
}

bool CEESettingDlg::RunThemeFileDialog(bool save, QString& path) {
    return PickFileWithLastFolder(kThemeFilter, this, path, QString::fromLatin1(kLastFolderKey), save,
                                  QStringLiteral("*.thm"), kSiteThemeFiles,
                                  save ? QStringLiteral("New Theme.thm") : QString());
}

void CEESettingDlg::LoadTheme(const QString& path) {
    EqNotes notes;
    if (ReadThemeFile(path, m_layout, notes)) ReloadPages();
    showNotes(notes);
}

void CEESettingDlg::SaveTheme(const QString& path) {
    ApplyPages();
    if (!WriteThemeFile(path, m_layout)) cannotWrite(path);
}

void CEESettingDlg::showNotes(const EqNotes& notes) {
    for (const EqNote& note : notes.items)
        showMessage(NoteText(note), NoteTextSource(note.kind).warning ? MB_OK | MB_ICONWARNING : MB_OK);
}

void CEESettingDlg::cannotWrite(const QString& path) {
    LangTable table(m_context.app.languageCode(), QStringLiteral("LANG_03.xml"));
    showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 2) + path, MB_OK | MB_ICONWARNING);
}

// ---- the page list

QRect CEESettingDlg::pageListRect() const {
    return QRect(m_listLeft, m_listTop, m_separatorX - m_listLeft, m_listBottom - m_listTop);
}

int CEESettingDlg::pageListRowHeight() const { return PageListRowHeight(m_listTop, m_listBottom); }

QRect CEESettingDlg::pageListRow(int i) const {
    const int h = pageListRowHeight();
    const int top = m_listTop + 1 + i * h;
    return QRect(m_listLeft + 1, top, m_separatorX - (m_listLeft + 1), h - 2);
}

bool CEESettingDlg::OnPageListClick(QPoint point) {
    setFocus();
    const int rows = m_bRestricted ? 2 : kPageCount;
    for (int i = 0; i < rows; ++i) {
        if (!pageListRow(i).contains(point)) continue;
        if (i == m_nPage) return false;
        ShowPage(i);
        update();
        return true;
    }
    return false;
}

bool CEESettingDlg::OnMouseWheel(int delta) {
    int next = m_nPage;
    if (delta < 0) ++next;
    else if (delta > 0) --next;
    next = std::clamp(next, 0, lastPage());
    if (next == m_nPage) return false;
    ShowPage(next);
    update();
    return true;
}

void CEESettingDlg::OnExitSizeMove() {
    if (m_pLayout) m_pLayout->RefreshSectionControls();
}

void CEESettingDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!m_initialized) return;
    QPainter painter(this);
    DrawPageList(painter);
}

void CEESettingDlg::DrawPageList(QPainter& painter) {
    const QRect outer(m_listLeft, m_listTop, m_listRight - m_listLeft, m_listBottom - m_listTop);
    draw3dRect(painter, outer, kListLine, kListLine);
    draw3dRect(painter, outer.adjusted(-1, -1, 1, 1), kListHalo, kListHalo);

    const int h = pageListRowHeight();
    const int offset = (m_listBottom - m_listTop) / 80;
    painter.setFont(m_context.uiFont);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int i = 0; i < kPageCount; ++i) {
        const QRect row(m_listLeft + 1, m_listTop + 1 + i * h, m_separatorX - 2 - (m_listLeft + 1), h - 1);
        if (i == m_nPage) {
            painter.fillRect(row, Qt::white);
        } else {
            painter.fillRect(row, kListRow);
            draw3dRect(painter, row, Qt::white, kListRow);
        }
        if (m_bRestricted && i >= 2) continue;
        painter.setPen(Qt::black);
        const QRect text(m_listLeft, row.top() + offset - 1, m_separatorX - m_listLeft, h);
        painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop, m_captions[size_t(i)]);
    }
    painter.setPen(kListLine);
    painter.drawLine(m_separatorX - 2, m_listTop, m_separatorX - 2, m_listBottom - 1);
    for (int k = 1; k <= kPageCount; ++k)
        painter.drawLine(m_listLeft, m_listTop + k * h, m_separatorX - 2, m_listTop + k * h);
}

void CEESettingDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnPageListClick(event->position().toPoint())) {
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CEESettingDlg::wheelEvent(QWheelEvent* event) {
    if (OnMouseWheel(event->angleDelta().y())) {
        event->accept();
        return;
    }
    QDialog::wheelEvent(event);
}

void CEESettingDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_initialized) m_moveEnd.start();
}

}  // namespace toliva
