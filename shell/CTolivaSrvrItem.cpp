#include "shell/CTolivaSrvrItem.h"

#include "model/EqModel.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/ShellRegistration.h"
#include "shell/document/AfxFile.h"
#include "shell/presentation/Presentation.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/ClipboardFormats.h"

#include <QMimeData>

namespace toliva {

CTolivaSrvrItem::CTolivaSrvrItem(CTolivaDoc& doc, CTolivaApp& app) : m_doc(doc), m_app(app) {}

bool CTolivaSrvrItem::IsEmbeddedItem() const { return m_doc.GetEmbeddedItem() == this; }

void CTolivaSrvrItem::Serialize(Archive& ar) {
    if (IsEmbeddedItem()) m_doc.Serialize(ar);
}

bool CTolivaSrvrItem::OnDraw(QByteArray* dc, QSize& size) {
    if (!dc) return false;
    dc->clear();
    EqModel* served = m_doc.GetServedEquation();
    // Bits read from a document file are only played when they are a
    // metafile; otherwise the picture is rendered anew.
    if (!m_doc.m_wmfCache.isEmpty() && !IsWindowsMetafile(m_doc.m_wmfCache)) m_doc.m_wmfCache.clear();
    if (m_doc.m_wmfCache.isEmpty() && served) {
        if (CTolivaView* view = m_doc.view()) view->RenderMetafileCache(true);
    }
    size = QSize(ExtentToInt(m_doc.m_fExtentX), ExtentToInt(m_doc.m_fExtentY));

    PresentationInput input;
    input.extent = size;
    input.cache = m_doc.m_wmfCache;
    if (!input.cache.isEmpty()) {
        input.baseline = PresentationBaseline(m_doc.m_fExtentY, m_doc.m_fPictureHeight, m_doc.m_fPictureBaseline,
                                              m_doc.m_fPictureDescent);
        if (served) {
            const AppContext& app = m_app.context();
            TeXWriteContext tex;
            tex.names = m_app.m_texCode.get();
            tex.symbols = &m_app.m_symbolLibrary;
            input.latex = ClipboardLaTeXText(*served, tex, app.texDelimCode, app.option(OptKeepDelimiterLineFeeds));
        }
        input.empty = m_doc.m_bEmpty != 0;
    }
    *dc = PresentationMetafile(input);
    return true;
}

bool CTolivaSrvrItem::OnGetExtent(int aspect, QSize& size) {
    if (aspect != kContentAspect) return false;
    if (m_doc.GetServedEquation()) size = QSize(ExtentToInt(m_doc.m_fExtentX), ExtentToInt(m_doc.m_fExtentY));
    return true;
}

void CTolivaSrvrItem::OnDoVerb(int verb) {
    // Jobs open the object as verb 1 does; the framework has nothing more
    // to do for either here (the document shows or hides the window).
    m_nPerformedVerb = verb > 1 ? 1 : verb;
    m_doc.m_nJobCode = verb;
    m_doc.ShowForVerb();
}

QByteArray CTolivaSrvrItem::AddNativeData(QMimeData& data) {
    const QByteArray archive = m_doc.ArchiveBytes();
    data.setData(kNativeClipboardFormat, archive);
    return archive;
}

std::unique_ptr<QMimeData> CTolivaSrvrItem::OnGetClipboardData() {
    auto data = std::make_unique<QMimeData>();
    // One storing pass: the object's own data is the same archive.
    const QByteArray archive = AddNativeData(*data);
    QByteArray picture;
    QSize size;
    if (OnDraw(&picture, size) && !picture.isEmpty()) data->setData(QString::fromLatin1(kPresentationMimeType), picture);
    const QByteArray compound = WrapInCompoundFile(archive);
    if (!compound.isEmpty()) data->setData(QString::fromLatin1(kAfxMimeType), compound);
    return data;
}

}  // namespace toliva
