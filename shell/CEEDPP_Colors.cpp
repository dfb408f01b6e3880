#include "shell/CEEDPP_Colors.h"

#include "shell/CEESettingDlg.h"

#include "platform/AppContext.h"
#include "platform/gdiplus/GpTypes.h"
#include "uikit/KitDialogs.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace toliva {
namespace {

struct ItemPlace {
    float column;
    float row;
    int slot;
};

constexpr std::array<ItemPlace, kColourItemCount> kItemTable = {{
    {-1, 0.0f, 15}, {-1, 1.5f, 0},  {-1, 2.5f, 1},   {-1, 3.5f, 2},   {-1, 4.5f, 4},   {-1, 5.5f, 5},
    {-1, 6.5f, 6},  {-1, 7.5f, 7},  {-1, 8.5f, 8},   {-1, 9.5f, 9},   {-1, 11.0f, 10}, {-1, 12.0f, 3},
    {-1, 13.5f, 14}, {-1, 15.0f, 14}, {0, 15.0f, 14}, {1, 15.0f, 14}, {-1, 16.0f, 14}, {0, 16.0f, 14},
    {1, 16.0f, 14}, {-1, 17.0f, 14}, {0, 17.0f, 14}, {1, 17.0f, 14},
}};

constexpr std::array<float, 4> kSeparatorRows = {0.75f, 10.25f, 12.75f, 14.25f};

QColor fromArgb(gp::ARGB c) { return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)); }
QColor fromColorref(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QString customColourKey() { return QString::fromLatin1(kCustomColourKey); }

}  // namespace

ColourItems DefaultColourItems() {
    ColourItems items;
    for (size_t k = 0; k < items.size(); ++k) {
        items[k].column = kItemTable[k].column;
        items[k].row = kItemTable[k].row;
        items[k].slot = kItemTable[k].slot;
    }
    return items;
}

ColourPageLayout ComputeColourLayout(int l, int t, int r, int b) {
    ColourPageLayout out;
    const int H = b - t;
    const int W = r - l;
    const int m = int(float(H) * 0.07f);
    const int top0 = int(float(m) * 0.83f + float(t));
    const int cx = (l + r) / 2;
    const float rh = float(H - 2 * m) / 16.5f;
    const float cw = float(W - 2 * m) * 0.25f;
    const float sh = rh * 0.7f;
    const float sw = float(W) * 0.12f;
    const int x0 = int(sw * 0.3f + float(cx));
    for (size_t k = 0; k < kItemTable.size(); ++k) {
        const float yc = kItemTable[k].row * rh + float(top0);
        const int top = int(yc - sh * 0.5f);
        const int left = int(kItemTable[k].column * cw + float(x0));
        out.swatches[k] = QRect(left, top, int(sw), int(sh));
    }
    for (size_t i = 0; i < kSeparatorRows.size(); ++i) out.separators[i] = int(rh * kSeparatorRows[i] + float(top0));
    return out;
}

int HitColourItem(const ColourPageLayout& layout, QPoint point) {
    for (size_t k = 0; k < layout.swatches.size(); ++k) {
        const QRect& s = layout.swatches[k];
        if (point.x() >= s.left() && point.x() < s.left() + s.width() && point.y() >= s.top() &&
            point.y() < s.top() + s.height())
            return int(k);
    }
    return -1;
}

CEEDPP_Colors::CEEDPP_Colors(CEESettingDlg* owner) : QWidget(owner), m_owner(owner), m_items(DefaultColourItems()) {
    setProperty(kCtrlIdProperty, kCtrlId);
    setWindowTitle(QStringLiteral("Colours"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    for (int id : {kCheckRoles, kCheckTransparent}) {
        auto* box = new QCheckBox(this);
        box->setProperty(kCtrlIdProperty, id);
        box->setFont(m_owner->context().uiFont);
    }
    checkBox(kCheckRoles)->setText(QStringLiteral("Draw characters in these colours by role"));
    checkBox(kCheckTransparent)->setText(QStringLiteral("Transparent background in pictures"));
}

CEEDPP_Colors::~CEEDPP_Colors() = default;

QCheckBox* CEEDPP_Colors::checkBox(int id) const {
    return qobject_cast<QCheckBox*>(DialogControl(const_cast<CEEDPP_Colors*>(this), id));
}

bool CEEDPP_Colors::OnInitDialog() {
    LangTable table(m_owner->context().app.languageCode(), QStringLiteral("LANG_04.xml"));
    for (size_t k = 0; k < m_items.size(); ++k)
        m_items[k].caption = LoadLangString(table, QStringLiteral("gCC_2"), int(k) + 1);
    ComputeLayout();
    const EqLayoutSettings& working = m_owner->workingLayout();
    m_nCheck1214 = working.ints[5];
    m_nCheck1212 = working.ints[0];
    update();
    PushChecks();
    SetDialogLangTexts(table, QStringLiteral("gPP_2"), this, {{0, 1}, {kCheckRoles, 2}, {kCheckTransparent, 3}});
    return true;
}

void CEEDPP_Colors::ComputeLayout() {
    m_layout = ComputeColourLayout(0, 0, width(), height());
    for (size_t k = 0; k < m_items.size(); ++k) {
        const QRect& s = m_layout.swatches[k];
        m_items[k].left = s.left();
        m_items[k].top = s.top();
        m_items[k].width = s.width();
        m_items[k].height = s.height();
    }
    // The check boxes stand beside the first two swatches, one line of text
    // high.
    const QFontMetrics metrics(m_owner->context().uiFont);
    const int cx = metrics.horizontalAdvance(QLatin1Char('A'));
    const int cy = metrics.height();
    const ColourItem& row0 = m_items[0];
    const int left = row0.left + row0.width + cx;
    const int right = int(float(width()) * 0.4f + float(left));
    const auto place = [&](int id, const ColourItem& row) {
        const int top = int(float(row.top) + float(row.height) * 0.5f - float(cy / 2));
        checkBox(id)->setGeometry(left, top, right - left, cy);
    };
    place(kCheckTransparent, row0);
    place(kCheckRoles, m_items[1]);
}

void CEEDPP_Colors::PushChecks() {
    checkBox(kCheckTransparent)->setChecked(m_nCheck1214 != 0);
    checkBox(kCheckRoles)->setChecked(m_nCheck1212 != 0);
}

void CEEDPP_Colors::ReadChecks() {
    m_nCheck1214 = checkBox(kCheckTransparent)->isChecked() ? 1 : 0;
    m_nCheck1212 = checkBox(kCheckRoles)->isChecked() ? 1 : 0;
}

void CEEDPP_Colors::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const EqLayoutSettings& working = m_owner->workingLayout();
    CustomColours palette{};
    LoadCustomColours(customColourKey(), palette, kPaletteColourGroup);
    painter.setPen(Qt::black);
    for (size_t k = 0; k < m_items.size(); ++k) {
        const ColourItem& item = m_items[k];
        const QRect swatch(item.left, item.top, item.width, item.height);
        const QColor fill = k < size_t(kFirstPaletteItem) ? fromArgb(working.colours[size_t(item.slot)])
                                                          : fromColorref(palette[k - kFirstPaletteItem]);
        painter.fillRect(swatch, fill);
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

    painter.setFont(m_owner->context().uiFont);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    const QFontMetrics metrics(painter.font());
    const int cx = metrics.horizontalAdvance(QLatin1Char('A'));
    const int cy = metrics.height();
    for (const ColourItem& item : m_items) {
        if (item.caption.isEmpty()) continue;
        const int x = item.left - cx / 2;
        const int y = int(float(item.height) * 0.5f + float(item.top) - float(cy / 2));
        const int textWidth = metrics.horizontalAdvance(item.caption);
        painter.drawText(QRect(x - textWidth, y, textWidth, cy), Qt::AlignRight | Qt::AlignTop, item.caption);
    }

    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(QPen(QColor(150, 150, 100), 0));
    for (int y : m_layout.separators) painter.drawLine(20, y, width() - 20, y);
}

void CEEDPP_Colors::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonDown(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void CEEDPP_Colors::OnLButtonDown(QPoint point) {
    const int row = HitColourItem(m_layout, point);
    if (row < 0) return;
    const QString key = customColourKey();
    if (row < kFirstPaletteItem) {
        gp::ARGB& slot = m_owner->workingLayout().colours[size_t(m_items[size_t(row)].slot)];
        uint32_t colour = gp::ColorrefFromArgb(slot);
        if (!PickColourWithCustomColours(colour, kStyleColourGroup, key, true)) return;
        slot = gp::ArgbFromColorref(colour);
    } else {
        // Only the chosen entry changes; the dialog's own custom colour boxes
        // are not kept.
        CustomColours palette{};
        LoadCustomColours(key, palette, kPaletteColourGroup);
        const size_t index = size_t(row - kFirstPaletteItem);
        uint32_t colour = palette[index];
        if (!PickColourWithCustomColours(colour, kPaletteColourGroup, key, false)) return;
        palette[index] = colour;
        SaveCustomColours(key, palette, kPaletteColourGroup);
    }
    update();
}

}  // namespace toliva
