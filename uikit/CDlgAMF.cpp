#include "uikit/CDlgAMF.h"

#include "platform/AppContext.h"
#include "platform/DialogService.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "uikit/CKwPGL.h"
#include "uikit/LangTable.h"
#include "uikit/Utilities.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace toliva {

// --- Page list entries ---------------------------------------------------------------

namespace {

constexpr gp::ARGB kTitleCurrent = 0xFF000000;
constexpr gp::ARGB kTitleOther = 0xFF808080;
constexpr gp::ARGB kMarkerLine = 0xFF87CEFA;
constexpr uint32_t kSeparatorColorref = 0xDCC8C8;

bool endsWithNoCase(const QString& text, const char* suffix) {
    return text.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

bool isTextType(int type) { return type == kFieldText || type == kFieldFixedText; }

// A laid-out box in whole pixels. Pages come from files, so a box may be huge
// or not a number: it is kept within a range that no arithmetic overflows.
QRect pixelBox(const gp::RectF& r) {
    auto bounded = [](double v) { return std::isnan(v) ? 0.0 : std::clamp(v, -1.0e6, 1.0e6); };
    const double left = bounded(r.x);
    const double top = bounded(r.y);
    const double right = bounded(double(r.x) + double(r.width));
    const double bottom = bounded(double(r.y) + double(r.height));
    const int x1 = int(std::floor(left)), y1 = int(std::floor(top));
    return QRect(x1, y1, std::max(0, int(std::ceil(right)) - x1), std::max(0, int(std::ceil(bottom)) - y1));
}

// The 0-based item a field shows; -1 for an item number below 1.
int itemOf(const PictureField& f) { return f.item > 0 ? f.item - 1 : -1; }

QColor colorFromColorref(uint32_t c) {
    return QColor(int(c & 0xFFu), int((c >> 8) & 0xFFu), int((c >> 16) & 0xFFu));
}

uint32_t colorrefFromColor(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

}  // namespace

CDlgAMF::PageEntry CDlgAMF::SplitPageEntry(const QString& entry) {
    PageEntry result{entry, {}};
    const qsizetype first = entry.indexOf(u'$');
    const qsizetype second = first < 0 ? -1 : entry.indexOf(u'$', first + 1);
    if (second > first) {
        result.title = entry.mid(first + 1, second - first - 1);
        result.path = entry.left(first) + entry.mid(second + 1);
    }
    return result;
}

QString CDlgAMF::TitleFromFileName(const QString& path) {
    QString name = QFileInfo(path).fileName();
    if (endsWithNoCase(name, ".apx")) name.chop(4);
    if (name.startsWith(u'0') && name.size() > 3) name = name.mid(3);
    return name;
}

int CDlgAMF::PageListRowFactor(int pageCount) {
    if (pageCount < 7) return 5;
    if (pageCount <= 8) return 4;
    if (pageCount <= 10) return 3;
    if (pageCount <= 16) return 2;
    return 1;
}

// --- Construction --------------------------------------------------------------------

CDlgAMF::CDlgAMF(QWidget* owner)
    : QWidget(owner), fontSize(float(int(25.0f * app().uiScale))), m_owner(owner) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_singleEdit = new QLineEdit(this);
    m_singleEdit->setProperty(kCtrlIdProperty, kSingleLineEditId);
    m_singleEdit->setFrame(false);
    m_multiEdit = new QPlainTextEdit(this);
    m_multiEdit->setProperty(kCtrlIdProperty, kMultiLineEditId);
    m_multiEdit->setFrameStyle(0);
    m_multiEdit->setTabChangesFocus(true);
    for (QWidget* edit : {static_cast<QWidget*>(m_singleEdit), static_cast<QWidget*>(m_multiEdit)}) {
        edit->hide();
        edit->installEventFilter(this);
    }
    connect(m_singleEdit, &QLineEdit::textChanged, this, [this](const QString& text) { editTextChanged(text); });
    connect(m_multiEdit, &QPlainTextEdit::textChanged, this,
            [this]() { editTextChanged(m_multiEdit->toPlainText()); });
}

CDlgAMF::~CDlgAMF() {
    FreeCachedBitmap(m_listBuffer);
    FreeCachedBitmap(m_pageBuffer);
}

void CDlgAMF::Create() {
    OnInitDialog();
    show();
}

void CDlgAMF::OnInitDialog() {
    m_pages.clear();
    const int pointSize = std::max(1, int(fontSize));
    for (const QString& entry : pageFiles) {
        const PageEntry e = SplitPageEntry(entry);
        const QString name = QFileInfo(e.path).fileName();
        if (endsWithNoCase(name, ".apx")) {
            auto page = std::make_unique<CKwEMF_GPL>(pointSize);
            page->LoadFile(e.path);
            page->title = e.title.isEmpty() ? TitleFromFileName(e.path) : e.title;
            m_pages.push_back(std::move(page));
        } else if (endsWithNoCase(name, ".apg")) {
            LoadPageBundle(e.path, [this, pointSize](const QString& title) -> CKwEMF* {
                auto page = std::make_unique<CKwEMF_GPL>(pointSize);
                page->title = title;
                CKwEMF* raw = page.get();
                m_pages.push_back(std::move(page));
                return raw;
            });
        }
    }
    // Without pages the index stays 0 and every page operation does nothing.
    m_currentPage = std::clamp(m_currentPage, 0, std::max(0, PageCount() - 1));
    m_currentField = -1;
    m_pressed = false;
    m_editing = false;
    m_editField = -1;
    // The edits sit on the grid's background.
    for (QWidget* edit : {static_cast<QWidget*>(m_singleEdit), static_cast<QWidget*>(m_multiEdit)}) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, colorFromColorref(backgroundColour));
        edit->setPalette(palette);
        edit->hide();
    }
    RenderPage();
}

void CDlgAMF::OnOK() { PostWindowMessage(m_owner, WM_COMMAND, IDOK, 0); }

void CDlgAMF::OnCancel() { PostWindowMessage(m_owner, WM_COMMAND, IDCANCEL, 0); }

// --- Pages and fields ------------------------------------------------------------------

CKwEMF_GPL* CDlgAMF::Page(int index) const {
    return index >= 0 && index < PageCount() ? m_pages[size_t(index)].get() : nullptr;
}

void CDlgAMF::SetCurrentPage(int index) {
    if (index < 0 || index >= PageCount()) return;
    HideEdits();
    m_currentPage = index;
    m_currentField = -1;
    m_pressed = false;
    RenderPage();
}

void CDlgAMF::nextPage(bool wrap) {
    const int count = PageCount();
    if (count == 0) return;
    if (m_currentPage + 1 < count)
        SetCurrentPage(m_currentPage + 1);
    else if (wrap)
        SetCurrentPage(0);
}

void CDlgAMF::previousPage(bool wrap) {
    const int count = PageCount();
    if (count == 0) return;
    if (m_currentPage > 0)
        SetCurrentPage(m_currentPage - 1);
    else if (wrap)
        SetCurrentPage(count - 1);
}

QRect CDlgAMF::PageListRect() const {
    if (!PageListShown()) return {};
    return QRect(0, 0, int(pageListFraction * float(width())), height());
}

QRect CDlgAMF::PageRect() const {
    const int left = PageListRect().width();
    return QRect(left, 0, std::max(0, width() - left), height());
}

const PictureField* CDlgAMF::field(int fieldIndex) const {
    const CKwEMF_GPL* page = Page(m_currentPage);
    if (!page || fieldIndex < 0 || fieldIndex >= page->FieldCount()) return nullptr;
    return &page->fields[size_t(fieldIndex)];
}

int CDlgAMF::itemIndexOf(int fieldIndex) const {
    const PictureField* f = field(fieldIndex);
    return f ? itemOf(*f) : -1;
}

int CDlgAMF::FieldAt(const QPoint& clientPoint) const {
    const CKwEMF_GPL* page = Page(m_currentPage);
    if (!page || !page->IsLaidOut()) return -1;
    const QPointF p = clientPoint - PageRect().topLeft();
    for (int i = 0; i < page->FieldCount(); ++i) {
        const gp::RectF& r = page->fields[size_t(i)].laidOut;
        if (p.x() >= r.x && p.x() < r.right() && p.y() >= r.y && p.y() < r.bottom()) return i;
    }
    return -1;
}

QRect CDlgAMF::FieldRect(int fieldIndex) const {
    const PictureField* f = field(fieldIndex);
    if (!f) return {};
    return pixelBox(f->laidOut).translated(PageRect().topLeft());
}

int CDlgAMF::PathButtonKind(int fieldIndex) const {
    const CKwEMF_GPL* page = Page(m_currentPage);
    const PictureField* f = field(fieldIndex);
    if (!f || f->kind != kFieldKindValue || f->type != kFieldButton) return 0;
    for (int places = 1; places <= 3; ++places) {
        const int before = fieldIndex - places;
        if (before < 0) break;
        const PictureField& t = page->fields[size_t(before)];
        if (t.kind == kFieldKindValue && t.type == kFieldText && t.item == f->item) return places;
    }
    return 0;
}

// --- Activation --------------------------------------------------------------------------

void CDlgAMF::ActivateField(int fieldIndex, Activation how, const QPoint& clientPoint) {
    const PictureField* f = field(fieldIndex);
    if (!f) return;
    HideEdits();
    m_currentField = fieldIndex;
    m_pressed = false;
    if (f->kind != kFieldKindValue) {
        RenderPage();
        return;
    }
    const int group = m_currentPage;
    const int item = itemOf(*f);

    if (isTextType(f->type)) {
        RenderPage();
        openEdit(fieldIndex);
        return;
    }
    // Tab only moves to a field; Space and clicks act on it.
    if (how == Activation::Tab) {
        RenderPage();
        return;
    }
    switch (f->type) {
    case kFieldColorref:
        pickColour(fieldIndex);
        break;
    case kFieldSquareOption:
    case kFieldRoundOption: {
        const int itemNumber = f->item;
        if (propertyList) propertyList->SetItemChoice(group, item, Page(group)->OptionIndexOf(fieldIndex));
        RenderPage();
        SendWindowMessage(m_owner, WM_PROPERTY_OPTION_CHOSEN, itemNumber, 0);
        break;
    }
    case kFieldFont: {
        const QPoint inPage = clientPoint - PageRect().topLeft();
        pickFont(fieldIndex, how == Activation::Click && f->hitArea.contains(inPage));
        break;
    }
    case kFieldCheckBox:
        if (propertyList) {
            const bool on = propertyList->GetItemBool(group, item);
            propertyList->SetItemText(group, item, on ? QStringLiteral("0") : QStringLiteral("1"));
        }
        RenderPage();
        break;
    case kFieldButton:
        if (how == Activation::Space)
            fireButton(fieldIndex);
        else
            pressButton(fieldIndex);
        break;
    default:
        RenderPage();
        break;
    }
}

void CDlgAMF::pressButton(int fieldIndex) {
    m_currentField = fieldIndex;
    m_pressed = true;
    RenderPage();
}

void CDlgAMF::fireButton(int fieldIndex) {
    const PictureField* f = field(fieldIndex);
    m_pressed = false;
    if (!f) return;
    const int kind = PathButtonKind(fieldIndex);
    if (kind != 0) {
        firePathButton(fieldIndex, kind);
        return;
    }
    const int itemNumber = f->item;
    RenderPage();
    SendWindowMessage(m_owner, WM_PROPERTY_ITEM_CLICK, itemNumber, 0);
}

void CDlgAMF::firePathButton(int fieldIndex, int kind) {
    const int group = m_currentPage;
    const int item = itemIndexOf(fieldIndex);
    PropertyItem* value = propertyList ? propertyList->Item(group, item) : nullptr;
    if (!value) return;
    switch (kind) {
    case 1: {
        // A link naming a file filter ("#Hotkeys (*.hks)|*.hks|#") is kept for
        // this item: once a file is chosen the item holds its path, and later
        // browses still need the filter.
        const auto key = std::make_pair(group, item);
        QString filter = value->linked ? value->linkedName : QString();
        if (filter.contains(QLatin1String("*.")))
            m_fileFilters[key] = filter;
        else if (auto it = m_fileFilters.find(key); it != m_fileFilters.end())
            filter = it->second;
        if (filter.contains(QLatin1String("*."))) {
            const bool save = filter.contains(u'\n');
            filter.remove(u'\n');
            const QString extension = filter.right(4).left(3);
            QString path;
            if (PickFileWithLastFolder(filter, this, path, QString::fromLatin1(kLastFolderKey), save, extension,
                                       kSiteHotkeysAndGridFiles))
                propertyList->SetItemText(group, item, path);
        } else {
            FolderDialogRequest request;
            request.initialFolder = value->text;
            request.owner = this;
            QString folder;
            if (dialogService().pickFolder(request, &folder)) propertyList->SetItemText(group, item, folder);
        }
        break;
    }
    case 2:
        propertyList->SetItemText(group, item, QStringLiteral("#Desktop#"));
        break;
    case 3:
        propertyList->SetItemText(group, item, QStringLiteral("#WorkPath#"));
        break;
    default:
        return;
    }
    HideEdits();
    propertyList->modified = true;
    RenderPage();
}

void CDlgAMF::openEdit(int fieldIndex) {
    const CKwEMF_GPL* page = Page(m_currentPage);
    const PictureField* f = field(fieldIndex);
    if (!page || !f || !page->IsLaidOut()) return;
    const int group = m_currentPage;
    const int item = itemOf(*f);
    if (propertyList && propertyList->IsFreeEditItem(group, item)) return;

    const QRect box = FieldRect(fieldIndex);
    const QRect place(box.x() + 3, box.y() + 2, std::max(1, box.width() - 6), std::max(1, box.height() - 2));
    const QString text = propertyList ? propertyList->GetItemText(group, item, false) : QString();
    const QFont font = page->WidgetFont(f->type == kFieldFixedText);

    m_settingText = true;
    QWidget* edit = nullptr;
    if (CKwEMF_GPL::IsMultiLineBox(f->laidOut.height, page->PointSize())) {
        m_multiEdit->setFont(font);
        m_multiEdit->setPlainText(text);
        m_multiEdit->selectAll();
        m_multiEdit->ensureCursorVisible();
        edit = m_multiEdit;
    } else {
        m_singleEdit->setFont(font);
        m_singleEdit->setText(text);
        m_singleEdit->selectAll();
        edit = m_singleEdit;
    }
    m_settingText = false;
    edit->setGeometry(place);
    edit->show();
    edit->setFocus();
    m_editing = true;
    m_editField = fieldIndex;
}

void CDlgAMF::editTextChanged(const QString& text) {
    if (m_settingText || !m_editing) return;
    const PictureField* f = field(m_editField);
    if (!f || !propertyList) return;
    propertyList->SetItemText(m_currentPage, itemOf(*f), text);
    PostWindowMessage(m_owner, WM_PROPERTY_ITEM_CHANGED, f->item, 0);
}

void CDlgAMF::HideEdits() {
    const bool hadFocus = m_singleEdit->hasFocus() || m_multiEdit->hasFocus();
    m_singleEdit->hide();
    m_multiEdit->hide();
    if (hadFocus) setFocus();
    if (m_editing) {
        m_editing = false;
        m_editField = -1;
        RenderPage();
    }
}

void CDlgAMF::pickColour(int fieldIndex) {
    const int group = m_currentPage;
    const int item = itemIndexOf(fieldIndex);
    if (!propertyList || !propertyList->Item(group, item)) return;
    uint32_t colour = uint32_t(propertyList->GetItemInt(group, item)) & 0xFFFFFFu;
    if (RunColorDialog(colour, QString::fromLatin1(kCustomColourKey)))
        propertyList->SetItemText(group, item, QString::number(int(colour)));
    RenderPage();
}

void CDlgAMF::pickFont(int fieldIndex, bool colourOnly) {
    const int group = m_currentPage;
    const int item = itemIndexOf(fieldIndex);
    if (!propertyList || !propertyList->Item(group, item)) return;
    QString face = GetUIFontName();
    int size = 12;
    int style = kFontBold;
    int colour = 0;
    propertyList->GetItemFont(group, item, face, size, style, colour);

    if (colourOnly) {
        uint32_t c = uint32_t(colour) & 0xFFFFFFu;
        if (RunColorDialog(c, QString::fromLatin1(kCustomColourKey)))
            propertyList->SetItemValue(group, item, face, size, style, int(c));
        RenderPage();
        return;
    }

    FontDialogRequest request;
    request.font = QFont(face);
    request.font.setPointSize(size);
    request.font.setWeight((style & kFontBold) ? QFont::Black : QFont::Normal);
    request.font.setItalic(style & kFontItalic);
    request.font.setUnderline(style & kFontUnderline);
    request.font.setStrikeOut(style & kFontStrikeOut);
    request.colour = colorFromColorref(uint32_t(colour));
    request.effects = true;
    request.owner = this;

    FontDialogResult result;
    if (dialogService().pickFont(request, &result)) {
        const QFont& f = result.font;
        int points = int(std::lround(f.pointSizeF()));
        if (f.pointSizeF() <= 0 && f.pixelSize() > 0) points = int(std::lround(f.pixelSize() * 72.0 / logicalDpiY()));
        // Any weight from semi-bold up counts as bold, so the dialog's Bold
        // (700) is kept as well as Black (900).
        int flags = f.weight() >= QFont::DemiBold ? kFontBold : 0;
        if (f.italic()) flags |= kFontItalic;
        if (f.underline()) flags |= kFontUnderline;
        if (f.strikeOut()) flags |= kFontStrikeOut;
        const int newColour = result.colour.isValid() ? int(colorrefFromColor(result.colour)) : colour;
        propertyList->SetItemValue(group, item, f.family(), points, flags, newColour);
    }
    RenderPage();
}

// --- Posted choices ----------------------------------------------------------------------

intptr_t CDlgAMF::OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) {
    if (message != WM_PROPERTY_GRID_POSTED) return 0;
    if (wParam == 1)
        applyPostedChoice();
    else if (wParam == 3)
        applyPostedColour();
    return 0;
}

void CDlgAMF::applyPostedChoice() {
    CKwEMF_GPL* page = Page(m_currentPage);
    const int item = itemIndexOf(m_currentField);
    if (!page || item < 0) return;
    if (propertyList) propertyList->SetItemChoice(m_currentPage, item, pendingChoice);
    // The three fields before a fill style show its colours: the first for
    // every style, the second from hatches on, the third for the gradients.
    const int thresholds[3] = {0, 1, 54};
    for (int k = 0; k < 3; ++k) {
        const int index = m_currentField - 3 + k;
        if (index < 0) continue;
        page->fields[size_t(index)].visible = pendingChoice > thresholds[k];
    }
    RenderPage();
}

void CDlgAMF::applyPostedColour() {
    const int item = itemIndexOf(m_currentField);
    if (item < 0) return;
    if (propertyList)
        propertyList->SetItemText(m_currentPage, item,
                                  QStringLiteral("#%1").arg(pendingColour, 8, 16, QLatin1Char('0')).toUpper());
    RenderPage();
}

// --- Keys ----------------------------------------------------------------------------------

bool CDlgAMF::preTranslateKey(QKeyEvent* event) {
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (ctrl)
            nextPage(true);
        else
            tabToNextField();
        return true;
    case Qt::Key_Space: {
        const PictureField* f = field(m_currentField);
        if (!f) return false;
        if (isTextType(f->type) || f->type == kFieldFrame) return false;
        HideEdits();
        ActivateField(m_currentField, Activation::Space);
        return true;
    }
    case Qt::Key_Up:
        previousPage(true);
        return true;
    case Qt::Key_Down:
        nextPage(true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnOK();
        return true;
    case Qt::Key_Escape:
        OnCancel();
        return true;
    default:
        return false;
    }
}

void CDlgAMF::tabToNextField() {
    const CKwEMF_GPL* page = Page(m_currentPage);
    if (!page) return;
    const int count = page->FieldCount();
    // At most one round: a page without a visible value field ends the search.
    for (int step = 1; step <= count; ++step) {
        const int index = ((m_currentField < 0 ? -1 : m_currentField) + step) % count;
        const PictureField& f = page->fields[size_t(index)];
        if (f.visible && f.kind == kFieldKindValue) {
            ActivateField(index, Activation::Tab);
            return;
        }
    }
}

bool CDlgAMF::event(QEvent* event) {
    if (DispatchPostedMessage(event, this)) return true;
    if (event->type() == QEvent::KeyPress && preTranslateKey(static_cast<QKeyEvent*>(event))) return true;
    // Tab, Enter and Escape are the grid's own keys, not shortcuts of the window.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter ||
            key == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

bool CDlgAMF::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_singleEdit || watched == m_multiEdit) && event->type() == QEvent::KeyPress)
        return preTranslateKey(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

bool CDlgAMF::focusNextPrevChild(bool) {
    // Focus stays in the grid; Tab moves between fields.
    tabToNextField();
    return true;
}

// --- Mouse ---------------------------------------------------------------------------------

void CDlgAMF::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus();
    m_pressed = false;
    const QPoint pos = event->position().toPoint();
    if (PageListShown() && PageListRect().contains(pos)) {
        const int rowHeight = std::max(1, int(fontSize * float(PageListRowFactor(PageCount()))));
        const int row = pos.y() / rowHeight;
        if (row >= 0 && row < PageCount()) SetCurrentPage(row);
        return;
    }
    if (!Page(m_currentPage)) return;
    m_lastClick = pos - PageRect().topLeft();
    const int index = FieldAt(pos);
    if (index < 0) {
        HideEdits();
        m_currentField = -1;
        RenderPage();
        return;
    }
    ActivateField(index, Activation::Click, pos);
}

void CDlgAMF::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    const PictureField* f = field(m_currentField);
    if (f && f->type == kFieldButton && FieldAt(event->position().toPoint()) == m_currentField)
        fireButton(m_currentField);
    else
        RenderPage();
}

void CDlgAMF::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const PictureField* f = nullptr;
    if (!(PageListShown() && PageListRect().contains(pos))) f = field(FieldAt(pos));
    if (f && !isTextType(f->type))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void CDlgAMF::wheelEvent(QWheelEvent* event) {
    if (PageCount() > 1 && PageListShown()) {
        const int dy = event->angleDelta().y();
        if (dy < 0)
            nextPage(false);
        else if (dy > 0)
            previousPage(false);
    }
    event->accept();
}

// --- Painting ------------------------------------------------------------------------------

void CDlgAMF::renderPageList() {
    const QRect area = PageListRect();
    if (area.isEmpty()) return;
    QImage* buffer = GetCachedCompatibleBitmap(m_listBuffer, area.width(), area.height());
    std::lock_guard lock(app().drawingLock);
    buffer->fill(colorFromColorref(backgroundColour));
    QPainter p(buffer);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont font;
    font.setFamilies({GetUIFontName(), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(std::max(1, int(std::lround(0.65 * fontSize))));
    p.setFont(font);

    const int count = PageCount();
    const int rowHeight = std::max(1, int(fontSize * float(PageListRowFactor(count))));
    const QColor separator = colorFromColorref(kSeparatorColorref);
    const int inset = std::max(2, int(0.3f * fontSize));
    for (int i = 0; i < count; ++i) {
        const QRect row(0, i * rowHeight, area.width(), rowHeight);
        const bool current = i == m_currentPage;
        if (current) {
            p.setPen(QPen(QColor::fromRgba(kMarkerLine), std::max(2.0, 0.12 * fontSize)));
            const int x = std::max(2, inset / 2);
            p.drawLine(QPointF(x, row.top() + rowHeight * 0.2), QPointF(x, row.bottom() - rowHeight * 0.2));
        }
        p.setPen(QColor::fromRgba(current ? kTitleCurrent : kTitleOther));
        const QRect textBox = row.adjusted(inset, 0, -inset / 2, 0);
        p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(m_pages[size_t(i)]->title, Qt::ElideRight, textBox.width()));
        p.setPen(QPen(separator, 1));
        p.drawLine(QPointF(0, row.bottom() + 0.5), QPointF(area.width(), row.bottom() + 0.5));
    }
    p.setPen(QPen(separator, 1));
    p.drawLine(QPointF(area.width() - 0.5, 0), QPointF(area.width() - 0.5, area.height()));
}

void CDlgAMF::renderPageBuffer() {
    const QRect area = PageRect();
    QImage* buffer = GetCachedCompatibleBitmap(m_pageBuffer, area.width(), area.height());
    std::lock_guard lock(app().drawingLock);
    buffer->fill(colorFromColorref(backgroundColour));
    CKwEMF_GPL* page = Page(m_currentPage);
    if (!page || area.isEmpty()) return;
    gp::PainterGraphics g(buffer);
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
    page->DrawPage(g, gp::RectF{0, 0, float(area.width()), float(area.height())}, propertyList, m_currentPage,
                   m_currentField);
    const PictureField* pressed = m_pressed ? field(m_currentField) : nullptr;
    if (pressed && pressed->type == kFieldButton) {
        gp::GraphicsPath path;
        CKwEMF::AddRoundRectPath(path, pixelBox(pressed->laidOut), 0.11f * fontSize);
        g.FillPath(kPressedButtonArgb, path);
    }
    page->DrawPreviewLine(g, previewText);
}

void CDlgAMF::RenderPage() {
    renderPageList();
    renderPageBuffer();
    BlitPage();
}

void CDlgAMF::BlitPage() { update(); }

void CDlgAMF::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect list = PageListRect();
    if (!list.isEmpty() && m_listBuffer.bitmap) p.drawImage(list.topLeft(), *m_listBuffer.bitmap);
    const QRect page = PageRect();
    if (m_pageBuffer.bitmap && m_pageBuffer.width == std::max(1, page.width()) &&
        m_pageBuffer.height == std::max(1, page.height()))
        p.drawImage(page.topLeft(), *m_pageBuffer.bitmap);
    else
        p.fillRect(page, colorFromColorref(backgroundColour));
}

void CDlgAMF::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    HideEdits();
    RenderPage();
}

}  // namespace toliva
