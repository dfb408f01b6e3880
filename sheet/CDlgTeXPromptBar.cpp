#include "sheet/CDlgTeXPromptBar.h"

#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "platform/AppContext.h"
#include "platform/DialogService.h"
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/RegKey.h"
#include "platform/gdiplus/Graphics.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/EditDialogs.h"
#include "sheet/editing/VirtualKeys.h"
#include "uikit/CKwMenu.h"
#include "uikit/KitDialogs.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace toliva {

namespace {

QColor colourOf(uint32_t colorref, int alpha = 255) {
    return QColor(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF), alpha);
}

uint32_t colorrefOf(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

// Captions of the context menu (group "gTPB") in the application's language,
// with the English text when the language file lacks one.
QString menuCaption(LangTable& table, int item) {
    static const char* const kEnglish[] = {"Previous Page", "Next Page",       "First Page",  "Candidates per Page",
                                           "Appearance",    "Font...",         "Label Band Colour...",
                                           "Preview Band Colour...", "Separator Colour...", "Flat Look",
                                           "Default Look",  "Preview Size..."};
    QString text = LoadLangString(table, QStringLiteral("gTPB"), item);
    if (text.isEmpty() && item >= 1 && item <= 12) text = QLatin1String(kEnglish[item - 1]);
    return text;
}

}  // namespace

// ---- the bar

CDlgTeXPromptBar::CDlgTeXPromptBar(AppContext& app, const RenderContext& render, TeXPromptOwner* owner,
                                   QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_app(app),
      m_render(render),
      m_owner(owner) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    SetDefaultLayoutSettings(previewStyle);
    CandidateFiles files;
    files.shipped = programFolder() + dataName(QStringLiteral("Dat\\KwTCMData.dat"));
    if (!app.userFolder.isEmpty()) files.user = app.userFolder + QStringLiteral("KwTCMData.dat");
    m_list.setFiles(files);
    PromptBarSettings(1);
    resize(100, 10);
}

CDlgTeXPromptBar::~CDlgTeXPromptBar() {
    // A failed write keeps the old copy; nothing to tell the user on the way out.
    m_list.SaveCandidates();
}

void CDlgTeXPromptBar::CreateBarFont() {
    m_font = QFont(m_look.fontFace);
    // A LOGFONT height: negative is the character height, positive the
    // cell height; both taken as pixels here.
    m_font.setPixelSize(std::max(1, std::abs(m_look.fontSize)));
    m_font.setItalic(m_look.fontItalic != 0);
    m_font.setWeight(QFont::Weight(m_look.fontBold <= 0 ? 400 : m_look.fontBold));
    for (TeXCandidate& c : m_list.candidates()) c.previewScale = -1.0f;
}

void CDlgTeXPromptBar::setLook(const PromptBarLook& look) {
    m_look = look;
    m_look.candidateN = std::clamp(m_look.candidateN, 1, kMaxCandidateN);
    if (!(m_look.sampleSize >= 1.0f && m_look.sampleSize <= kMaxSampleSize)) m_look.sampleSize = 12.0f;
    m_look.fontSize = std::clamp(m_look.fontSize, -200, 200);
    m_look.fontBold = std::clamp(m_look.fontBold, 0, 1000);
    m_look.flatApp = m_look.flatApp ? 1 : 0;
    m_list.setCandidatesPerPage(m_look.candidateN);
    CreateBarFont();
}

void CDlgTeXPromptBar::PromptBarSettings(int mode) {
    if (mode == 0) {
        PromptBarLook look;
        look.candidateN = m_look.candidateN;
        look.sampleSize = m_look.sampleSize;
        setLook(look);
        return;
    }
    RegKey key;
    OpenRegKey(QLatin1String(kRegistryKey), key);
    if (mode == 1) {
        PromptBarLook look;
        int colour = 0;
        ReadRegString(key, QStringLiteral("FontFace"), look.fontFace, QStringLiteral("Consolas"));
        ReadRegDword(key, QStringLiteral("FontSize"), look.fontSize, -16);
        ReadRegDword(key, QStringLiteral("FontItalic"), look.fontItalic, 0);
        ReadRegDword(key, QStringLiteral("FontBold"), look.fontBold, 0);
        ReadRegFloat(key, QStringLiteral("SampleSize"), look.sampleSize, 12.0f);
        ReadRegDword(key, QStringLiteral("SepLineClr"), colour, 0xFFFFFF);
        look.sepLineClr = uint32_t(colour) & 0xFFFFFF;
        ReadRegDword(key, QStringLiteral("TitleBkClr"), colour, 0x00356A);
        look.titleBkClr = uint32_t(colour) & 0xFFFFFF;
        ReadRegDword(key, QStringLiteral("EMFBkClr"), colour, 0x9D9DCE);
        look.emfBkClr = uint32_t(colour) & 0xFFFFFF;
        ReadRegDword(key, QStringLiteral("TexTClr"), colour, 0xFFFFFF);
        look.texTClr = uint32_t(colour) & 0xFFFFFF;
        ReadRegDword(key, QStringLiteral("CandidateN"), look.candidateN, 8);
        ReadRegDword(key, QStringLiteral("FlatApp"), look.flatApp, 0);
        if (look.fontFace.isEmpty()) look.fontFace = QStringLiteral("Consolas");
        setLook(look);
    } else if (mode == 2) {
        WriteRegString(key, QStringLiteral("FontFace"), m_look.fontFace);
        WriteRegDword(key, QStringLiteral("FontSize"), m_look.fontSize);
        WriteRegDword(key, QStringLiteral("FontItalic"), m_look.fontItalic);
        WriteRegDword(key, QStringLiteral("FontBold"), m_look.fontBold);
        WriteRegFloat(key, QStringLiteral("SampleSize"), m_look.sampleSize);
        WriteRegDword(key, QStringLiteral("SepLineClr"), int(m_look.sepLineClr));
        WriteRegDword(key, QStringLiteral("TitleBkClr"), int(m_look.titleBkClr));
        WriteRegDword(key, QStringLiteral("EMFBkClr"), int(m_look.emfBkClr));
        WriteRegDword(key, QStringLiteral("TexTClr"), int(m_look.texTClr));
        WriteRegDword(key, QStringLiteral("CandidateN"), m_look.candidateN);
        WriteRegDword(key, QStringLiteral("FlatApp"), m_look.flatApp);
    }
}

void CDlgTeXPromptBar::LoadCandidates() {
    m_list.ReloadCandidates();
    for (TeXCandidate& c : m_list.candidates()) c.previewScale = -1.0f;
}

bool CDlgTeXPromptBar::SetTypedText(const QString& text) {
    if (text.isEmpty()) return false;
    if (text != m_typed) {
        m_typed = text;
        RankCandidates();
        RebuildBitmap();
        update();
    }
    return true;
}

void CDlgTeXPromptBar::RankCandidates() {
    const bool wasLoaded = m_list.loaded();
    m_list.RankCandidates(m_typed);
    if (!wasLoaded && m_list.loaded())
        for (TeXCandidate& c : m_list.candidates()) c.previewScale = -1.0f;
}

int CDlgTeXPromptBar::PickCandidate(int number, QString* text) {
    return m_list.PickCandidate(number, text);
}

void CDlgTeXPromptBar::placeAndReturnFocus() {
    if (!m_owner) return;
    m_owner->PlacePromptBar(true);
    m_owner->ReturnFocus();
}

void CDlgTeXPromptBar::MovePage(int step) {
    if (!m_list.MovePage(step)) return;
    RebuildBitmap();
    update();
    placeAndReturnFocus();
}

bool CDlgTeXPromptBar::TurnPageByKey(int step) {
    if (m_typed == QLatin1String("\\")) return false;
    MovePage(step);
    return true;
}

void CDlgTeXPromptBar::RebuildAndPlace() {
    RebuildBitmap();
    update();
    placeAndReturnFocus();
}

void CDlgTeXPromptBar::MakePreview(TeXCandidate& c) {
    c.previewTried = true;
    c.preview = ReadCandidatePreview(c.kind, c.text, previewStyle, texRead, expandReferences);
    c.previewScale = -1.0f;
}

void CDlgTeXPromptBar::RebuildBitmap() {
    const QFontMetrics fm(m_font);
    const int cells = m_list.shownCount();
    m_cellWidths.assign(size_t(cells), 0);
    QStringList labels;
    for (int i = 0; i < cells; ++i) {
        const int index = m_list.candidateInCell(i);
        QString label = QStringLiteral("%1.\\").arg(i + 1);
        if (index >= 0) label += m_list.candidates()[size_t(index)].text;
        label.remove(QLatin1Char(' '));
        const int extent = fm.horizontalAdvance(label);
        m_cellWidths[size_t(i)] = extent < 40 ? kMinCellWidth : extent + 10;
        labels << label;
    }
    const int h = fm.height() + 6;
    int width = 0;
    for (int w : m_cellWidths) width += w;
    // An empty list still shows an (empty) bar of one cell's width.
    width = std::max(width, kMinCellWidth);
    const int height = int(h * 2.5 + 16);
    m_bandHeight = h;

    m_bitmap = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    m_bitmap.fill(Qt::white);
    {
        const std::lock_guard<std::recursive_mutex> lock(m_app.drawingLock);
        QPainter p(&m_bitmap);
        p.fillRect(0, 0, width, h, colourOf(m_look.titleBkClr));
        const QRect band(0, h + 1, width, height - h - 1);
        if (m_look.flatApp) {
            p.fillRect(band, colourOf(m_look.emfBkClr));
        } else {
            QLinearGradient g(0, h + 1, 0, height);
            g.setColorAt(0, colourOf(m_look.emfBkClr, 100));
            g.setColorAt(1, colourOf(m_look.emfBkClr, 50));
            p.fillRect(band, g);
        }
        p.setFont(m_font);
        p.setPen(colourOf(m_look.texTClr));
        int x = 0;
        for (int i = 0; i < cells; ++i) {
            const int w = m_cellWidths[size_t(i)];
            p.drawText(QRect(x, 3, w, fm.height()), Qt::AlignHCenter | Qt::AlignTop, labels[i]);
            x += w;
        }

        // The previews.
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const float base = std::clamp(m_app.uiScale, 1.0f, 2.0f) * m_look.sampleSize;
        gp::PainterGraphics graphics(&p);
        graphics.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        graphics.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        x = 0;
        for (int i = 0; i < cells; ++i) {
            const int w = m_cellWidths[size_t(i)];
            const int index = m_list.candidateInCell(i);
            if (index >= 0) {
                TeXCandidate& c = m_list.candidates()[size_t(index)];
                if (!c.previewTried) MakePreview(c);
                if (c.preview) {
                    EqModel* eq = c.preview.get();
                    if (c.previewScale < 0) {
                        if (eq->settings.fontSize > 0) eq->settings.size2 *= base / eq->settings.fontSize;
                        eq->settings.fontSize = base;
                        LayoutForOutput(m_render, &graphics, eq, gp::PointF{0, 0}, 1.0f);
                        const float pw = std::max(eq->widestLine, 1.0f);
                        const float ph = std::max(eq->totalHeight, 1.0f);
                        float scale = std::min((float(w) - base) / pw, (float(height - h + 20) - base) / ph);
                        scale = std::min(scale, 2.0f);
                        if (2 * base < ph) scale *= 0.75f;
                        // A cell narrower than the base size still shows a small preview.
                        scale = std::max(scale, 0.05f);
                        c.previewScale = scale;
                        c.previewHalfWidth = pw * scale / 2;
                        c.previewHalfHeight = ph * scale / 2;
                    }
                    const gp::PointF origin{float(x) + float(w) / 2 - c.previewHalfWidth,
                                            float(h + height) / 2 - c.previewHalfHeight};
                    p.save();
                    p.setClipRect(QRect(x, h + 1, w, height - h - 1));
                    DrawEquation(m_render, origin, graphics, eq, c.previewScale, false, false);
                    p.restore();
                }
            }
            x += w;
        }

        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(colourOf(m_look.sepLineClr), 1));
        p.setBrush(Qt::NoBrush);
        x = 0;
        for (int i = 0; i + 1 < cells; ++i) {
            x += m_cellWidths[size_t(i)];
            p.drawLine(x, 0, x, height - 1);
        }
        p.drawRect(0, 0, width - 1, height - 1);
    }
    m_marked = 0;
    setFixedSize(width, height);
}

int CDlgTeXPromptBar::HitTestCell(int x) const {
    int left = 0;
    for (size_t i = 0; i < m_cellWidths.size(); ++i) {
        const int right = left + m_cellWidths[i];
        if (x > left && x < right) return int(i) + 1;
        left = right;
    }
    return 0;
}

void CDlgTeXPromptBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_bitmap.isNull()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    p.drawImage(0, 0, m_bitmap);
    if (m_marked >= 1 && m_marked <= int(m_cellWidths.size())) {
        int left = 0;
        for (int i = 0; i + 1 < m_marked; ++i) left += m_cellWidths[size_t(i)];
        p.setRenderHint(QPainter::Antialiasing);
        const QColor fill(int((kMarkFill >> 16) & 0xFF), int((kMarkFill >> 8) & 0xFF), int(kMarkFill & 0xFF),
                          int(kMarkFill >> 24));
        p.fillRect(QRect(left, 0, m_cellWidths[size_t(m_marked - 1)], m_bitmap.height()), fill);
    }
}

void CDlgTeXPromptBar::mousePressEvent(QMouseEvent* event) {
    const int x = int(event->position().x());
    if (event->button() == Qt::LeftButton) {
        m_marked = HitTestCell(x);
        update();
    } else if (event->button() == Qt::RightButton) {
        ShowContextMenu(event->globalPosition().toPoint());
    }
}

void CDlgTeXPromptBar::mouseMoveEvent(QMouseEvent* event) {
    if (!m_marked) return;
    const int hit = HitTestCell(int(event->position().x()));
    if (hit > 0 && hit != m_marked) {
        m_marked = hit;
        update();
    }
}

void CDlgTeXPromptBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_marked) return;
    const int number = m_marked;
    m_marked = 0;
    update();
    if (m_owner) m_owner->PickPromptCandidate(number);
}

// ---- the context menu

void CDlgTeXPromptBar::ShowContextMenu(QPoint screenPoint) {
    LangTable table(m_app.languageCode(), QStringLiteral("LANG_08.xml"));
    CKwMenu menu(this);
    const bool notFirst = m_list.pageStart() > 0;
    if (notFirst) menu.AppendItem(MF_STRING, IdPrevPage, menuCaption(table, 1), QStringLiteral("menu\\PrevPage"));
    menu.AppendItem(MF_STRING, IdNextPage, menuCaption(table, 2), QStringLiteral("menu\\NextPage"));
    if (notFirst) menu.AppendItem(MF_STRING, IdFirstPage, menuCaption(table, 3));
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    CKwMenu* cells = menu.AppendPopup(MF_STRING, menuCaption(table, 4));
    for (int n = 4; n <= 9; ++n)
        cells->AppendItem(n == m_look.candidateN ? MF_CHECKED : MF_STRING, IdCells4 + unsigned(n - 4),
                          QString::number(n));
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    CKwMenu* look = menu.AppendPopup(MF_STRING, menuCaption(table, 5));
    look->AppendItem(MF_STRING, IdFont, menuCaption(table, 6), QStringLiteral("menu\\Font"));
    look->AppendItem(MF_STRING, IdPreviewSize, menuCaption(table, 12), QStringLiteral("menu\\FontSize"));
    look->AppendItem(MF_SEPARATOR, 0, QString());
    look->AppendItem(MF_STRING, IdTitleColour, menuCaption(table, 7), QStringLiteral("menu\\Color"));
    look->AppendItem(MF_STRING, IdPreviewColour, menuCaption(table, 8), QStringLiteral("menu\\Color"));
    look->AppendItem(MF_STRING, IdSeparatorColour, menuCaption(table, 9), QStringLiteral("menu\\Color"));
    look->AppendItem(MF_SEPARATOR, 0, QString());
    look->AppendItem(m_look.flatApp ? MF_CHECKED : MF_STRING, IdFlat, menuCaption(table, 10));
    look->AppendItem(MF_SEPARATOR, 0, QString());
    look->AppendItem(MF_STRING, IdDefaults, menuCaption(table, 11));

    const unsigned chosen = trackMenu ? trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint);
    RunMenuCommand(chosen);
    PromptBarSettings(2);
}

void CDlgTeXPromptBar::RunMenuCommand(unsigned id) {
    auto forgetSizes = [this] {
        for (TeXCandidate& c : m_list.candidates()) c.previewScale = -1.0f;
    };
    switch (id) {
    case IdPrevPage: MovePage(1); return;
    case IdNextPage: MovePage(2); return;
    case IdFirstPage: MovePage(0); return;
    case IdFont: {
        FontDialogRequest request;
        request.font = m_font;
        request.colour = colourOf(m_look.texTClr);
        request.effects = true;
        request.owner = this;
        FontDialogResult result;
        if (!dialogService().pickFont(request, &result)) return;
        m_look.fontFace = result.font.family();
        if (result.font.pixelSize() > 0) {
            m_look.fontSize = -result.font.pixelSize();
        } else if (result.font.pointSizeF() > 0) {
            m_look.fontSize = -std::max(1, int(std::lround(result.font.pointSizeF() * 96.0 / 72.0)));
        }
        m_look.fontItalic = result.font.italic() ? 1 : 0;
        m_look.fontBold = int(result.font.weight());
        if (result.colour.isValid()) m_look.texTClr = colorrefOf(result.colour);
        setLook(m_look);
        RebuildAndPlace();
        return;
    }
    case IdPreviewSize: {
        LangTable table(m_app.languageCode(), QStringLiteral("LANG_08.xml"));
        StringRequest request;
        request.title = LoadLangString(table, QStringLiteral("gDLG"), 1);
        request.prompt = LoadLangString(table, QStringLiteral("gDLG"), 2);
        request.text = QString::asprintf("%g", double(m_look.sampleSize));
        UnavailableEditDialogs unavailable(m_app.languageCode());
        EditDialogService& service = dialogs ? *dialogs : static_cast<EditDialogService&>(unavailable);
        if (!service.askString(request)) return;
        bool ok = false;
        float size = request.text.trimmed().toFloat(&ok);
        if (!ok || !std::isfinite(size)) size = 0;  // text that is no number reads as 0
        m_look.sampleSize = std::clamp(size, kMinSampleSize, kMaxSampleSize);
        forgetSizes();
        RebuildAndPlace();
        return;
    }
    case IdTitleColour:
    case IdPreviewColour:
    case IdSeparatorColour: {
        uint32_t* colour = id == IdTitleColour     ? &m_look.titleBkClr
                           : id == IdPreviewColour ? &m_look.emfBkClr
                                                   : &m_look.sepLineClr;
        const int group = 11 + int(id - IdTitleColour);
        uint32_t chosen = *colour;
        if (!PickColourWithCustomColours(chosen, group, QLatin1String(kCustomColourKey), true)) return;
        *colour = chosen & 0xFFFFFF;
        RebuildAndPlace();
        return;
    }
    case IdFlat:
        m_look.flatApp = m_look.flatApp ? 0 : 1;
        RebuildAndPlace();
        return;
    case IdDefaults:
        PromptBarSettings(0);
        RebuildAndPlace();
        return;
    default:
        if (id >= IdCells4 && id <= IdCells4 + 5) {
            m_look.candidateN = 4 + int(id - IdCells4);
            m_list.setCandidatesPerPage(m_look.candidateN);
            RebuildAndPlace();
        }
        return;
    }
}

// ---- the view's side

TeXPromptDriver::TeXPromptDriver(AppContext& app, CDlgTeXPromptBar* bar, CKwEESheet* sheet)
    : m_app(app), m_bar(bar), m_sheet(sheet) {
    if (m_bar) m_bar->setOwner(this);
}

void TeXPromptDriver::ShowPromptBar(const QString& text, int mode) {
    if (!m_bar) return;
    if (mode == 0 || text.isEmpty()) {
        m_bar->hide();
        m_mode = 0;
        return;
    }
    const bool enabled = (mode == 1 && m_app.option(OptPromptForSheet)) ||
                         (mode == 2 && m_app.option(OptPromptForSource));
    if (!enabled) return;
    m_bar->SetTypedText(text);
    m_mode = mode;
    m_bar->show();
    PlacePromptBar(false);
}

bool TeXPromptDriver::IsPromptBarShowingForSheet() const {
    return m_bar && m_bar->isVisible() && m_mode == 1;
}

bool TeXPromptDriver::PromptBarKeyDown(int key, bool ctrl, bool shift, bool alt) {
    if (!m_bar || !m_bar->isVisible() || m_mode == 0 || ctrl || shift || alt) return false;
    switch (key) {
    case vk::Escape:
        m_bar->hide();
        m_bar->MovePage(0);
        m_mode = 0;
        return true;
    case vk::Home: m_bar->MovePage(0); return true;
    case vk::Prior:
    case vk::Up: m_bar->MovePage(3); return true;
    case vk::Next:
    case vk::Down: m_bar->MovePage(4); return true;
    case vk::OemComma: return m_bar->TurnPageByKey(1);
    case vk::OemPeriod: return m_bar->TurnPageByKey(2);
    case vk::Space: return PickPromptCandidate(1);
    default:
        if (key >= '0' && key <= '9') return PickPromptCandidate(key - '0');
        return false;
    }
}

bool TeXPromptDriver::PickPromptCandidate(int number) {
    if (!m_bar) return false;
    QString text;
    const int kind = m_bar->PickCandidate(number, &text);
    if (kind == -1) return false;
    if (m_mode == 2) {
        if (insertIntoSource) insertIntoSource(kind, text);
    } else if (m_sheet) {
        m_sheet->AcceptTeXCandidate(text, kind);
        m_sheet->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void TeXPromptDriver::PlacePromptBar(bool refreshCaretPoint) {
    if (!m_bar) return;
    QPoint at;
    if (m_mode == 2) {
        if (!sourceCaretPoint) return;
        at = sourceCaretPoint(refreshCaretPoint);
    } else if (m_sheet) {
        at = m_sheet->GetCaretScreenPoint();
    } else {
        return;
    }
    // Kept inside the right edge of the virtual screen.
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect desktop = screen->virtualGeometry();
        if (at.x() + m_bar->width() > desktop.right() + 1) at.setX(desktop.right() + 1 - m_bar->width());
        at.setX(std::max(at.x(), desktop.left()));
    }
    m_bar->move(at);
}

void TeXPromptDriver::ReturnFocus() {
    if (m_mode == 2) {
        if (focusSource) focusSource();
    } else if (m_sheet) {
        m_sheet->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace toliva
