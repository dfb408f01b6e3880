#include "shell/CAboutDlg.h"

#include "shell/ShellTexts.h"

#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/ShellService.h"
#include "platform/gdiplus/Graphics.h"
#include "uikit/CKwEMF.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <mutex>

namespace toliva {
namespace {

// The texts of the controls by item of group "gCS_1" (0: the caption).
constexpr int kTextPairs[][2] = {
    {0, 1},
    {CAboutDlg::kOk, 2},
    {CAboutDlg::kVersionText, 3},
    {CAboutDlg::kCopyright, 4},
    {CAboutDlg::kContactLink, 7},
    {CAboutDlg::kWebSiteLink, 8},
    {CAboutDlg::kDescription, 9},
    {-1, -1},
};

// The side of the picture and the width of the text column, in pixels.
constexpr int kPictureSide = 48;
constexpr int kTextWidth = 300;

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

QFrame* separatorLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QPushButton* linkButton(int id, const QString& text, QWidget* parent) {
    auto* button = withId(new QPushButton(text, parent), id);
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { color: #0066CC; text-decoration: underline; border: none; "
                                         "padding: 2px 4px; }"));
    return button;
}

}  // namespace

// The program's picture, drawn to fit the control.
class CAboutDlg::Picture : public QWidget {
public:
    explicit Picture(QWidget* parent) : QWidget(parent) {
        setFixedSize(kPictureSide, kPictureSide);
        m_loaded = m_picture.LoadFile(programFolder() + QString::fromLatin1(kPictureFile)) && m_picture.IsDrawable();
    }
    bool loaded() const { return m_loaded; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_loaded) return;
        std::lock_guard lock(app().drawingLock);
        QPainter painter(this);
        gp::PainterGraphics g(&painter);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        m_picture.Draw(g, gp::RectF{0, 0, float(width()), float(height())});
    }

private:
    CKwEMF m_picture;
    bool m_loaded = false;
};

CAboutDlg::CAboutDlg(const AppContext& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setFont(CreateMenuFont());
    // The texts the dialog shows when the language file has none.
    setWindowTitle(QStringLiteral("About Toliva"));

    auto* picture = withId(new Picture(this), kPicture);
    auto* version = withId(new QLabel(QStringLiteral("Toliva, version 1.0"), this), kVersionText);
    auto* copyright = withId(new QLabel(QStringLiteral("Copyright (C) Ravelt Software"), this), kCopyright);
    auto* description = withId(new QLabel(QStringLiteral("Toliva equation editor"), this), kDescription);
    for (QLabel* label : {version, copyright, description}) {
        label->setWordWrap(true);
        label->setFixedWidth(kTextWidth);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    description->setFixedWidth(kPictureSide + 12 + kTextWidth);

    auto* contact = linkButton(kContactLink, QStringLiteral("Contact"), this);
    auto* webSite = linkButton(kWebSiteLink, QStringLiteral("Web site"), this);
    auto* ok = withId(new QPushButton(QStringLiteral("OK"), this), kOk);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(contact, &QPushButton::clicked, this, [this] { OnContactLink(); });
    connect(webSite, &QPushButton::clicked, this, [this] { OnOpenWebSite(); });

    auto* head = new QHBoxLayout;
    head->setSpacing(12);
    head->addWidget(picture, 0, Qt::AlignTop);
    auto* headTexts = new QVBoxLayout;
    headTexts->setSpacing(4);
    headTexts->addWidget(version);
    headTexts->addWidget(copyright);
    head->addLayout(headTexts);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contact);
    buttons->addWidget(webSite);
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(10);
    layout->addLayout(head);
    layout->addWidget(separatorLine(this));
    layout->addWidget(description);
    layout->addWidget(separatorLine(this));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CAboutDlg::~CAboutDlg() = default;

int CAboutDlg::DoModal() {
    OnInitDialog();
    if (modalRunner) return modalRunner(*this);
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CAboutDlg::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CAboutDlg::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    LangTable table(m_app.languageCode(), languageFile);
    SetDialogLangTexts(table, QStringLiteral("gCS_1"), this, kTextPairs);
}

void CAboutDlg::OnContactLink() { OpenMakerLink(MakerContact, m_app.lanSel); }

void CAboutDlg::OnOpenWebSite() { OpenMakerLink(MakerProductPage, m_app.lanSel); }

QPushButton* CAboutDlg::button(int id) const { return qobject_cast<QPushButton*>(DialogControl(const_cast<CAboutDlg*>(this), id)); }

QLabel* CAboutDlg::label(int id) const { return qobject_cast<QLabel*>(DialogControl(const_cast<CAboutDlg*>(this), id)); }

bool CAboutDlg::hasPicture() const {
    const auto* picture = dynamic_cast<const Picture*>(DialogControl(const_cast<CAboutDlg*>(this), kPicture));
    return picture && picture->loaded();
}

}  // namespace toliva
