#include "panels/CDlgUserSymPanel.h"

#include "platform/MessageSink.h"
#include "platform/gdiplus/Graphics.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace toliva {

namespace {

const QString kLangFile = QStringLiteral("LANG_10.xml");

// The two integers of the extract report put into the item's text; the text
// itself is never used as a format, so a stray '%' shows as it stands.
QString withTwoIntegers(const QString& text, int first, int second) {
    QString out;
    int used = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 1 < text.size() && text[i + 1] == QLatin1Char('d') && used < 2) {
            out += QString::number(used++ == 0 ? first : second);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

CDlgUserSymPanel::CDlgUserSymPanel(UserSymbolSheet* sheet, const QString& userFolder, const QString& programFolder,
                                   const QString& languageCode, float uiScale, QWidget* parent)
    : QDialog(parent), m_sheet(sheet), m_userFolder(userFolder), m_programFolder(programFolder),
      m_languageCode(languageCode), m_uiScale(uiScale > 0 ? uiScale : 1.0f) {
    setModal(false);
    m_scrollBar = WithCtrlId(new QScrollBar(Qt::Vertical, this), kScrollBar);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int v) { ScrollPanel(v, false); });
    const int ids[6] = {kNew, kLoad, kSaveAs, kClear, kExtract, kClose};
    for (int i = 0; i < 6; ++i) {
        m_buttons[i] = WithCtrlId(new QPushButton(this), ids[i]);
        m_buttons[i]->setAutoDefault(false);
    }
    connect(m_buttons[0], &QPushButton::clicked, this, [this] { OnNewSymbol(); });
    connect(m_buttons[1], &QPushButton::clicked, this, [this] { OnLoad(); });
    connect(m_buttons[2], &QPushButton::clicked, this, [this] { OnSaveAs(); });
    connect(m_buttons[3], &QPushButton::clicked, this, [this] { OnClear(); });
    connect(m_buttons[4], &QPushButton::clicked, this, [this] { OnExtract(); });
    connect(m_buttons[5], &QPushButton::clicked, this, [this] { reject(); });
    OnCreate();
}

CDlgUserSymPanel::~CDlgUserSymPanel() { SaveUserFile(); }

QString CDlgUserSymPanel::userFilePath() const {
    if (m_userFolder.isEmpty()) return {};
    return QDir(m_userFolder).filePath(QStringLiteral("KwGLData.gph"));
}

void CDlgUserSymPanel::OnCreate() {
    const QString path = userFilePath();
    ClearGlyphList(m_symbols);
    m_partialLoad = false;
    m_fileFound = !path.isEmpty() && QFileInfo::exists(path);
    if (m_fileFound) {
        bool partial = false;
        // A file that is there but does not open counts as read in part:
        // what it holds must not be replaced by an empty list.
        if (!ReadGlyphListFile(m_symbols, path, true, &partial)) partial = true;
        m_partialLoad = partial;
    }
    m_changed = false;
    syncPointers();
}

bool CDlgUserSymPanel::SaveUserFile() {
    const QString path = userFilePath();
    if (path.isEmpty()) return false;
    // A file read only in part keeps what could not be read, unless the user
    // has changed the list since (then the list is what the user wants).
    if (m_partialLoad && !m_changed) return false;
    // Nothing to save and nothing there: no file is made.
    if (!m_fileFound && m_symbols.empty() && !m_changed) return false;
    if (QFileInfo::exists(path)) {
        const QString backup = path + QStringLiteral(".bak");
        QFile::remove(backup);
        QFile::copy(path, backup);
    }
    // The writer puts the list into a temporary file and renames it over the old one.
    const bool ok = WriteGlyphListFile(m_symbols, path);
    if (ok) {
        m_partialLoad = false;
        m_fileFound = true;
        m_changed = false;
    }
    return ok;
}

void CDlgUserSymPanel::syncPointers() {
    m_pointers.clear();
    for (auto& g : m_symbols) m_pointers.push_back(g.get());
}

void CDlgUserSymPanel::changed() {
    m_changed = true;
    syncPointers();
}

void CDlgUserSymPanel::ApplyLanguage(const QString& languageCode) {
    m_languageCode = languageCode;
    LangTable texts(m_languageCode, kLangFile);
    SetDialogLangTexts(texts, QStringLiteral("gCS_1"), this,
                       {{kNew, 2}, {kLoad, 3}, {kSaveAs, 4}, {kClear, 5}, {kExtract, 6}, {kClose, 7}, {-1, -1}});
    RefreshPanel();
}

void CDlgUserSymPanel::OnInitDialog() {
    ApplyLanguage(m_languageCode);
    LayoutUserSymbolPanel();
    m_scroll = 0;
    RefreshPanel();
}

int CDlgUserSymPanel::cellSize() const { return std::max(1, int(m_uiScale * 36)); }

void CDlgUserSymPanel::LayoutUserSymbolPanel() {
    int dpi = logPixelsY;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (dpi <= 0) dpi = screen ? int(screen->logicalDotsPerInchY()) : 96;
    m_columns = std::max(1, ColumnsForDpi(dpi));
    QRect area = workArea;
    if (area.isEmpty() && screen) area = screen->availableGeometry();
    int cell = cellSize();
    const int margin = 7;
    const int buttonHeight = std::max(23, int(23 * m_uiScale));
    const int scrollWidth = m_scrollBar->sizeHint().width();
    // Columns grow with the resolution and cells with the scale, so the
    // window would grow with the square of the resolution: fewer columns
    // (and, failing that, smaller cells) keep it inside the work area.
    if (!area.isEmpty()) {
        const int roomX = area.width() - 2 * margin - scrollWidth - 2 - 16;
        const int roomY = area.height() - 3 * margin - buttonHeight - 40;
        if (m_columns * cell + 1 > roomX) m_columns = std::max(1, (roomX - 1) / cell);
        if (kRows * cell + 1 > roomY) cell = std::max(8, (roomY - 1) / kRows);
        if (m_columns * cell + 1 > roomX) cell = std::max(8, (roomX - 1) / std::max(1, m_columns));
    }
    m_cell = cell;
    m_gridRect = QRect(margin, margin, m_columns * cell + 1, kRows * cell + 1);
    m_scrollBar->setGeometry(m_gridRect.right() + 3, m_gridRect.top() + 1, scrollWidth, m_gridRect.height() - 2);
    int x = margin;
    const int y = m_gridRect.bottom() + 1 + margin;
    const int width = m_scrollBar->geometry().right() + 1 + margin;
    for (int i = 0; i < 5; ++i) {
        const int w = std::max(75, m_buttons[i]->sizeHint().width());
        m_buttons[i]->setGeometry(x, y, w, buttonHeight);
        x += w + 4;
    }
    const int closeWidth = std::max(75, m_buttons[5]->sizeHint().width());
    m_buttons[5]->setGeometry(width - margin - closeWidth, y, closeWidth, buttonHeight);
    setFixedSize(std::max(width, x + closeWidth + margin), y + buttonHeight + margin);
}

void CDlgUserSymPanel::RefreshPanel() {
    LangTable texts(m_languageCode, kLangFile);
    setWindowTitle(LoadLangString(texts, QStringLiteral("gCS_1"), 1) +
                   QStringLiteral(" / %1").arg(m_symbols.size()));
    m_rowCount = RowCount(int(m_symbols.size()), m_columns);
    const QSignalBlocker block(m_scrollBar);
    // The range ends where the last page starts (the bar's own convention).
    m_scrollBar->setRange(0, std::max(0, m_rowCount - kRows));
    m_scrollBar->setPageStep(kRows);
    m_scroll = std::clamp(m_scroll, 0, std::max(0, m_rowCount - kRows));
    m_scrollBar->setValue(m_scroll);
    update();
}

void CDlgUserSymPanel::ScrollPanel(int position, bool relative) {
    int next = relative ? m_scroll + position : position;
    next = std::max(0, std::min(next, m_rowCount - kRows));
    if (next == m_scroll) return;
    m_scroll = next;
    const QSignalBlocker block(m_scrollBar);
    m_scrollBar->setValue(m_scroll);
    update();
}

int CDlgUserSymPanel::IndexAt(QPoint p) const {
    if (!m_gridRect.contains(p)) return -1;
    const int col = (p.x() - m_gridRect.left()) / m_cell;
    const int row = (p.y() - m_gridRect.top()) / m_cell;
    if (col < 0 || col >= m_columns || row < 0 || row >= kRows) return -1;
    return (m_scroll + row) * m_columns + col;
}

void CDlgUserSymPanel::ClickCell(QPoint p) {
    const int index = IndexAt(p);
    if (index < 0 || index >= int(m_symbols.size())) return;  // an empty cell inserts nothing
    if (m_sheet) m_sheet->InsertUserSymbol(index);
}

void CDlgUserSymPanel::AddGlyph(const GlyphOutline& glyph) {
    auto copy = std::make_unique<GlyphOutline>();
    CopyGlyph(*copy, glyph);
    if (m_insertAt >= 0 && m_insertAt < int(m_symbols.size()))
        m_symbols.insert(m_symbols.begin() + m_insertAt, std::move(copy));
    else
        m_symbols.push_back(std::move(copy));
    changed();
    RefreshPanel();
}

void CDlgUserSymPanel::OpenSymbolEditor(int index) {
    m_insertAt = index;
    if (runEditor && runEditor(*this, nullptr) == IDOK) RefreshPanel();
}

void CDlgUserSymPanel::OnNewSymbol() { OpenSymbolEditor(-1); }

bool CDlgUserSymPanel::LoadFile(const QString& path) {
    bool partial = false;
    if (!ReadGlyphListFile(m_symbols, path, false, &partial)) return false;
    changed();
    RefreshPanel();
    return true;
}

void CDlgUserSymPanel::OnLoad() {
    if (!chooseFile) return;
    const QString path = chooseFile(false, QString());
    if (!path.isEmpty()) LoadFile(path);
}

void CDlgUserSymPanel::OnSaveAs() {
    if (m_symbols.empty() || !chooseFile) return;
    const QString path = chooseFile(true, QStringLiteral("Untitled.gph"));
    if (!path.isEmpty()) WriteGlyphListFile(m_symbols, path);
}

void CDlgUserSymPanel::OnClear() {
    if (m_symbols.empty()) return;
    LangTable texts(m_languageCode, kLangFile);
    const QString text = LoadLangString(texts, QStringLiteral("gMSG_1"), 2);
    const QString title = LoadLangString(texts, QStringLiteral("gMSG_1"), 3);
    const bool yes = askYesNo ? askYesNo(text, title)
                              : QMessageBox::question(this, title, text) == QMessageBox::Yes;
    if (!yes) return;
    ClearGlyphList(m_symbols);
    changed();
    RefreshPanel();
}

void CDlgUserSymPanel::OnExtract() {
    if (!m_sheet) return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto found = m_sheet->CollectUserSymbols();
    int added = 0;
    for (auto& g : found) {
        if (!g) continue;
        const bool present = std::any_of(m_symbols.begin(), m_symbols.end(),
                                         [&](const auto& s) { return s && GlyphsEqual(*s, *g); });
        if (present) continue;
        auto copy = std::make_unique<GlyphOutline>();
        CopyGlyph(*copy, *g);
        m_symbols.push_back(std::move(copy));
        ++added;
    }
    QGuiApplication::restoreOverrideCursor();
    if (added) changed();
    LangTable texts(m_languageCode, kLangFile);
    const QString report =
        withTwoIntegers(LoadLangString(texts, QStringLiteral("gMSG_1"), 1), int(found.size()), added);
    if (showInfo)
        showInfo(report);
    else
        QMessageBox::information(this, windowTitle(), report);
    RefreshPanel();
}

std::vector<int> CDlgUserSymPanel::MenuItems(int i) const {
    const int count = int(m_symbols.size());
    const bool valid = i >= 0 && i < count;
    std::vector<int> items{kMenuAdd};
    if (valid) {
        items.push_back(kMenuEdit);
        if (count > 1 && i > 0) {
            items.push_back(kMenuUp);
            items.push_back(kMenuFront);
        }
        if (count > 1 && i < count - 1) {
            items.push_back(kMenuDown);
            items.push_back(kMenuEnd);
        }
        items.push_back(kMenuDelete);
        items.push_back(kMenuCopyFormat);
        if (m_format) items.push_back(kMenuPasteFormat);
        items.push_back(kMenuCut);
        items.push_back(kMenuCopy);
    }
    if (m_clipboard) items.push_back(kMenuPaste);
    if (valid && m_pressed >= 0) items.push_back(kMenuHotkey);
    return items;
}

void CDlgUserSymPanel::RunMenuCommand(int id, int i) {
    const int count = int(m_symbols.size());
    const bool valid = i >= 0 && i < count;
    auto move = [&](int to) {
        auto g = std::move(m_symbols[size_t(i)]);
        m_symbols.erase(m_symbols.begin() + i);
        m_symbols.insert(m_symbols.begin() + std::clamp(to, 0, int(m_symbols.size())), std::move(g));
        changed();
    };
    switch (id) {
    case kMenuAdd: OpenSymbolEditor(valid ? i : -1); break;
    case kMenuEdit:
        if (valid && runEditor && runEditor(*this, m_symbols[size_t(i)].get()) == IDOK) changed();
        break;
    case kMenuUp: if (valid && i > 0) move(i - 1); break;
    case kMenuFront: if (valid && i > 0) move(0); break;
    case kMenuDown: if (valid && i < count - 1) move(i + 1); break;
    case kMenuEnd: if (valid && i < count - 1) move(count - 1); break;
    case kMenuDelete:
        if (valid) {
            m_symbols.erase(m_symbols.begin() + i);
            changed();
        }
        break;
    case kMenuCopyFormat:
        if (valid) {
            if (!m_format) m_format = std::make_unique<std::array<float, 8>>();
            const GlyphOutline& g = *m_symbols[size_t(i)];
            *m_format = {g.m[0], g.m[1], g.m[2], g.m[3], g.m[4], g.scale, float(g.strokeOnly), float(g.colour)};
        }
        break;
    case kMenuPasteFormat:
        if (valid && m_format) {
            GlyphOutline& g = *m_symbols[size_t(i)];
            const auto& f = *m_format;
            std::copy(f.begin(), f.begin() + 5, g.m);
            g.scale = f[5];
            g.strokeOnly = int32_t(f[6]);
            g.colour = uint32_t(f[7]);
            changed();
        }
        break;
    case kMenuCut:
    case kMenuCopy:
        if (valid) {
            if (!m_clipboard) m_clipboard = std::make_unique<GlyphOutline>();
            CopyGlyph(*m_clipboard, *m_symbols[size_t(i)]);
            if (id == kMenuCut) {
                m_symbols.erase(m_symbols.begin() + i);
                changed();
            }
        }
        break;
    case kMenuPaste:
        if (m_clipboard) {
            auto copy = std::make_unique<GlyphOutline>();
            CopyGlyph(*copy, *m_clipboard);
            if (valid)
                m_symbols.insert(m_symbols.begin() + i, std::move(copy));
            else
                m_symbols.push_back(std::move(copy));
            changed();
        }
        break;
    case kMenuHotkey:
        if (valid && m_sheet) m_sheet->SetHotkeyForUserSymbol(i + 1);
        break;
    default: return;
    }
    RefreshPanel();
}

void CDlgUserSymPanel::ShowSymbolMenu(int index, QPoint at) {
    const std::vector<int> items = MenuItems(index);
    int chosen = 0;
    if (trackMenu) {
        chosen = trackMenu(items, at);
    } else {
        LangTable texts(m_languageCode, kLangFile);
        CKwMenu menu(this);
        const QString cm = QStringLiteral("gCM_1");
        int group = 0;
        for (int id : items) {
            // A separator between the menu's groups.
            const int g = id == kMenuAdd ? 0 : id == kMenuEdit ? 1 : id < 32 ? 2 : id < 48 ? 3 : id < 64 ? 4
                        : id < 128 ? 5 : 6;
            if (g != group) menu.AppendItem(MF_SEPARATOR, 0, QString());
            group = g;
            switch (id) {
            case kMenuAdd: menu.AppendItem(MF_STRING, id, texts, QStringLiteral("gCS_1"), 2, QStringLiteral("menu\\Add")); break;
            case kMenuEdit: menu.AppendItem(MF_STRING, id, texts, cm, 1, QStringLiteral("menu\\Edit")); break;
            case kMenuUp: menu.AppendItem(MF_STRING, id, texts, cm, 2); break;
            case kMenuFront: menu.AppendItem(MF_STRING, id, texts, cm, 4); break;
            case kMenuDown: menu.AppendItem(MF_STRING, id, texts, cm, 3); break;
            case kMenuEnd: menu.AppendItem(MF_STRING, id, texts, cm, 5); break;
            case kMenuDelete: menu.AppendItem(MF_STRING, id, texts, cm, 6, QStringLiteral("tb\\Delete")); break;
            case kMenuCopyFormat: menu.AppendItem(MF_STRING, id, texts, cm, 7); break;
            case kMenuPasteFormat: menu.AppendItem(MF_STRING, id, texts, cm, 8); break;
            case kMenuCut: menu.AppendItem(MF_STRING, id, texts, cm, 11, QStringLiteral("tb\\Cut")); break;
            case kMenuCopy: menu.AppendItem(MF_STRING, id, texts, cm, 9, QStringLiteral("tb\\Copy")); break;
            case kMenuPaste: menu.AppendItem(MF_STRING, id, texts, cm, 10, QStringLiteral("tb\\Paste")); break;
            case kMenuHotkey:
                menu.AppendItem(MF_STRING, id, m_sheet ? m_sheet->HotkeyCaption(index + 1) : QString(),
                                QStringLiteral("menu\\HotKey"));
                break;
            }
        }
        chosen = int(menu.TrackPopupMenu(at));
    }
    if (chosen) RunMenuCommand(chosen, index);
}

void CDlgUserSymPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(m_gridRect, Qt::white);
    painter.setPen(QColor(0xB4, 0xB4, 0xB4));
    for (int c = 0; c <= m_columns; ++c)
        painter.drawLine(m_gridRect.left() + c * m_cell, m_gridRect.top(), m_gridRect.left() + c * m_cell,
                         m_gridRect.top() + kRows * m_cell);
    for (int r = 0; r <= kRows; ++r)
        painter.drawLine(m_gridRect.left(), m_gridRect.top() + r * m_cell, m_gridRect.left() + m_columns * m_cell,
                         m_gridRect.top() + r * m_cell);
    painter.drawRect(m_scrollBar->geometry().adjusted(-1, -1, 0, 0));
    painter.setRenderHint(QPainter::Antialiasing);
    gp::PainterGraphics graphics(&painter);
    graphics.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    const float s = float(m_cell) / 36.0f * 0.24f;
    const int first = m_scroll * m_columns;
    for (int t = 0; t < kRows * m_columns; ++t) {
        const int index = first + t;
        if (index >= int(m_symbols.size())) break;
        GlyphOutline& g = *m_symbols[size_t(index)];
        const int col = t % m_columns, row = t / m_columns;
        const gp::GraphicsState state = graphics.Save();
        graphics.TranslateTransform(float(m_gridRect.left() + col * m_cell + m_cell / 2.0f),
                                    float(m_gridRect.top() + row * m_cell + m_cell / 2.0f) + g.m[4] * s);
        graphics.ScaleTransform(s, s);
        DrawGlyph(graphics, 0xFF000000u, true, false, g);
        graphics.Restore(state);
    }
}

void CDlgUserSymPanel::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    m_pressed = IndexAt(p);
    if (event->button() == Qt::RightButton && m_pressed >= 0) {
        ShowSymbolMenu(m_pressed, event->globalPosition().toPoint());
        m_pressed = -1;
    }
}

void CDlgUserSymPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    if (m_pressed >= 0 && IndexAt(p) == m_pressed) ClickCell(p);
    m_pressed = -1;
}

void CDlgUserSymPanel::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches) ScrollPanel(-4 * notches, true);
}

void CDlgUserSymPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4) {
        hide();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDlgUserSymPanel::reject() { hide(); }

}  // namespace toliva
