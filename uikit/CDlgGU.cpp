#include "uikit/CDlgGU.h"

#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "uikit/LangTable.h"
#include "uikit/Utilities.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

constexpr uint32_t kSeparatorColorref = 0xDCC8C8;

// The buttons of the dialog's own layout at interface scale 1: id, left edge
// (negative: from the right edge), and whether the button follows the right
// edge when the window changes size.
struct ButtonSpot {
    int id;
    int left;
    bool followsRight;
};
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 30;
constexpr int kButtonBottomMargin = 12;
constexpr ButtonSpot kButtonSpots[5] = {
    {IDOK, -(14 + 96 + 8 + 96), true},
    {IDCANCEL, -(14 + 96), true},
    {CDlgGU::kButtonApply, -(14 + 96 + 8 + 96 + 8 + 96), true},
    {CDlgGU::kButton1389, 14, false},
    {CDlgGU::kButton1390, 14 + 96 + 8, false},
};

QRect defaultWorkArea(QWidget* owner) {
    QScreen* screen = owner ? owner->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

// --- Placement -------------------------------------------------------------------------

QRect CDlgGU::PlaceWindow(const QSize& templateSize, int mode, int x, int y, float widthFactor, float heightFactor,
                          const QRect* ownerRect, const QRect& workArea) {
    const int w = int(float(templateSize.width()) * widthFactor);
    const int h = int(float(templateSize.height()) * widthFactor * heightFactor);
    int left = 0;
    int top = 0;
    if (mode >= 4) {
        // Centred on the owner, or on the work area when there is no owner.
        const QRect around = ownerRect ? *ownerRect : workArea;
        const QPoint centre = around.topLeft() + QPoint(around.width() / 2, around.height() / 2);
        left = centre.x() + x - w / 2;
        top = centre.y() + y - h / 2;
    } else {
        left = (mode == 1 || mode == 2) ? x - w : x;
        top = (mode == 2 || mode == 3) ? y - h : y;
    }
    QRect r(left, top, w, h);
    if (r.left() < workArea.left()) r.moveLeft(workArea.left());
    if (r.left() + r.width() > workArea.left() + workArea.width()) r.moveLeft(workArea.left() + workArea.width() - w);
    if (r.top() < workArea.top()) r.moveTop(workArea.top());
    if (r.top() + r.height() > workArea.top() + workArea.height()) r.moveTop(workArea.top() + workArea.height() - h);
    return r;
}

QStringList CDlgGU::CollectPageFiles(const QString& folder) {
    QStringList files;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) return files;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries)
        if (info.isFile() && info.fileName().endsWith(QLatin1String(".apx"), Qt::CaseInsensitive))
            files << info.absoluteFilePath();
    // Names such as "010Display" and "020Colours" give the page order.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(QFileInfo(a).fileName(), QFileInfo(b).fileName(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return files;
}

// --- Construction -------------------------------------------------------------------------

CDlgGU::CDlgGU(QWidget* owner) : QDialog(owner), ownerWindow(owner) {
    pageRoot = GetModuleFolder() + QStringLiteral("GenDef/");
    setAttribute(Qt::WA_DeleteOnClose, false);
    const int ids[5] = {IDOK, IDCANCEL, kButtonApply, kButton1389, kButton1390};
    const char* texts[5] = {"OK", "Cancel", "Apply", "", ""};
    for (int i = 0; i < 5; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(texts[i]), this);
        button->setProperty(kCtrlIdProperty, ids[i]);
        button->setAutoDefault(false);
        button->hide();
        m_buttons[i] = button;
    }
    connect(m_buttons[0], &QPushButton::clicked, this, &QDialog::accept);
    connect(m_buttons[1], &QPushButton::clicked, this, &QDialog::reject);
    connect(m_buttons[2], &QPushButton::clicked, this, [this]() { extraButton(0); });
    connect(m_buttons[3], &QPushButton::clicked, this, [this]() { extraButton(1); });
    connect(m_buttons[4], &QPushButton::clicked, this, [this]() { extraButton(2); });

    m_listBox = new QListWidget(this);
    m_listBox->setProperty(kCtrlIdProperty, kListBoxId);
    m_listBox->hide();
    connect(m_listBox, &QListWidget::currentRowChanged, this, [this](int row) { listSelectionChanged(row); });
    connect(m_listBox, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
        if (item) QDesktopServices::openUrl(QUrl::fromLocalFile(item->text()));
    });
}

CDlgGU::~CDlgGU() {
    delete m_grid;
    m_grid = nullptr;
}

QPushButton* CDlgGU::Button(int id) const {
    for (QPushButton* b : m_buttons)
        if (b->property(kCtrlIdProperty).toInt() == id) return b;
    return nullptr;
}

int CDlgGU::ButtonRowHeight() const {
    return (showButton3 || showOkCancel) ? int(54.0f * app().uiScale) : -2;
}

QString CDlgGU::PageFolderPath() const {
    QString root = pageRoot;
    if (!root.isEmpty() && !root.endsWith(u'/')) root += u'/';
    return root + dataName(pageFolder) + u'/' + app().languageCode();
}

int CDlgGU::DoModal() {
    OnInitDialog();
    if (modalRunner) return modalRunner(*this);
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CDlgGU::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgGU::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;

    LangTable texts(app().languageCode(), languageFile);
    SetDialogLangTexts(texts, QStringLiteral("gCC_1"), this,
                       {{IDOK, 1}, {IDCANCEL, 2}, {kButtonApply, 3}, {kButton1389, 4}, {kButton1390, 5}, {-1, -1}});
    setWindowTitle(title);

    const float scale = app().uiScale;
    const QSize templateSize(int(kTemplateWidth * scale), int(kTemplateHeight * scale));
    QRect owner;
    if (ownerWindow) owner = QRect(ownerWindow->mapToGlobal(QPoint(0, 0)), ownerWindow->size());
    const QRect area = workArea ? workArea() : defaultWorkArea(ownerWindow);
    const QRect placed = PlaceWindow(templateSize, placementMode, x, y, widthFactor, heightFactor,
                                     ownerWindow ? &owner : nullptr, area);
    setGeometry(placed);
    setFixedSize(placed.size());

    placeButtons(templateSize, placed.size());

    m_grid = new CDlgAMF(this);
    m_grid->SetStartPage(startPage);
    m_grid->pageListFraction = pageListFraction;
    m_grid->verticalFraction = gridVerticalFraction;
    m_grid->propertyList = &propertyList;
    m_grid->pageFiles = CollectPageFiles(PageFolderPath());
    m_grid->Create();

    m_listBox->clear();
    m_listBox->addItems(listBoxEntries);
    layoutClient();
    m_grid->setFocus();
}

void CDlgGU::placeButtons(const QSize& templateSize, const QSize& newSize) {
    const float s = app().uiScale;
    const int dx = newSize.width() - templateSize.width();
    const int dy = newSize.height() - templateSize.height();
    const int grow = int(8.0f * s - 8.0f);
    const bool shown[5] = {showOkCancel, showOkCancel, showButton3, showButton1389, showButton1390};
    for (int i = 0; i < 5; ++i) {
        const ButtonSpot& spot = kButtonSpots[i];
        const int w = int(kButtonWidth * s);
        const int h = int(kButtonHeight * s);
        int left = spot.left < 0 ? templateSize.width() + int(float(spot.left) * s) : int(float(spot.left) * s);
        int top = templateSize.height() - int(float(kButtonBottomMargin) * s) - h;
        if (spot.followsRight) left += dx;
        top += dy;
        // The top edge moves down, the bottom edge stays.
        m_buttons[i]->setGeometry(left, top + grow, w, std::max(1, h - grow));
        m_buttons[i]->setVisible(shown[i]);
    }
}

void CDlgGU::layoutClient() {
    const QRect client = rect();
    const int r = ButtonRowHeight();
    if (!listBoxShown) {
        m_listBox->hide();
        const int top = client.top() + 1;
        m_grid->setGeometry(client.left(), top, client.width(), std::max(1, client.bottom() + 1 - r - top));
    } else {
        const int y = client.top() + r + 1 + int(splitFactor * float(width()));
        const int top = client.top() + 1;
        m_grid->setGeometry(client.left(), top, client.width(), std::max(1, y - 2 - top));
        m_listBox->setGeometry(client.left(), y, client.width(), std::max(1, client.bottom() + 1 - (r + 2) - y));
        m_listBox->show();
    }
}

// --- Items ---------------------------------------------------------------------------------

PropertyItem* CDlgGU::GetOrAddItem(int group, int item) { return propertyList.GetOrAddItem(group, item); }

void CDlgGU::SetItemDouble(int group, int item, double value) {
    if (PropertyItem* p = GetOrAddItem(group, item)) ParseItemValue(*p, QString::asprintf("%g", value));
}

void CDlgGU::SetItemInt(int group, int item, int value) {
    if (PropertyItem* p = GetOrAddItem(group, item)) ParseItemValue(*p, QString::number(value));
}

void CDlgGU::SetItemBool(int group, int item, bool value) {
    if (PropertyItem* p = GetOrAddItem(group, item))
        ParseItemValue(*p, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// --- Messages ------------------------------------------------------------------------------

intptr_t CDlgGU::OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_PROPERTY_ITEM_CLICK:
        return SendWindowMessage(ownerWindow, WM_PROPERTY_ITEM_CLICK, wParam, tag);
    case WM_PROPERTY_ITEM_CHANGED:
        PostWindowMessage(ownerWindow, WM_PROPERTY_ITEM_CHANGED, wParam, tag);
        return 0;
    case WM_COMMAND:
        if (wParam == IDOK)
            accept();
        else if (wParam == IDCANCEL)
            reject();
        return 0;
    default:
        return 0;
    }
}

bool CDlgGU::event(QEvent* event) {
    if (DispatchPostedMessage(event, this)) return true;
    return QDialog::event(event);
}

void CDlgGU::extraButton(int code) { SendWindowMessage(ownerWindow, WM_SETTINGS_DIALOG_BUTTON, intptr_t(this), code); }

void CDlgGU::listSelectionChanged(int row) {
    if (row < 0 || row >= m_listBox->count()) return;
    if (PropertyItem* item = GetOrAddItem(0, 0)) {
        ParseItemValue(*item, m_listBox->item(row)->text());
        propertyList.modified = true;
    }
    if (m_grid) m_grid->RenderPage();
}

// --- Painting ------------------------------------------------------------------------------

void CDlgGU::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    const QColor separator(int(kSeparatorColorref & 0xFF), int((kSeparatorColorref >> 8) & 0xFF),
                           int((kSeparatorColorref >> 16) & 0xFF));
    p.setPen(QPen(separator, 1));
    const int w = width();
    if (listBoxShown && m_listBox) {
        const QRect list = m_listBox->geometry();
        p.drawLine(0, list.top() - 1, w, list.top() - 1);
        p.drawLine(0, list.bottom() + 1, w, list.bottom() + 1);
    } else if (ButtonRowHeight() > 0) {
        p.drawLine(0, 0, w, 0);
        const int rowTop = height() - ButtonRowHeight();
        p.drawLine(0, rowTop, w, rowTop);
    }
}

}  // namespace toliva
