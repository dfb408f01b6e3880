#include "shell/CTolivaView.h"

#include "model/RenderContext.h"
#include "platform/Utilities.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/presentation/Presentation.h"
#include "sheet/CKwEESheet.h"

namespace toliva {

void CTolivaView::RenderMetafileCache(bool refresh) {
    CTolivaDoc* doc = document();
    if (!doc) return;
    EqModel* eq = doc->GetServedEquation();
    doc->m_wmfCache.clear();
    doc->m_strTempEmfPath = m_app.m_strTempFolder + QStringLiteral("TEM") + MakeRandomFileName() + QStringLiteral(".emf");

    // The screen is the recording's reference device; the extent comes out
    // the same on every screen (one point per pixel of the equation).
    // The options as they are now (the settings may have changed them).
    RenderContext render = m_app.renderContext();
    render.options = m_app.context().options;
    render.resultBackColour = m_app.context().resultBackColour;
    PresentationCache cache;
    RenderPresentationCache(render, eq, m_app.settings().display.mmPerPixelRatio, doc->m_strTempEmfPath, &cache);
    doc->m_bEmpty = cache.empty ? 1 : 0;
    if (eq) {
        doc->m_fFrameLeft = cache.frameLeft;
        doc->m_fFrameTop = cache.frameTop;
        doc->m_fExtentX = cache.extentX;
        doc->m_fExtentY = cache.extentY;
        doc->m_fPictureWidth = cache.picture.width;
        doc->m_fPictureHeight = cache.picture.height;
        doc->m_fPictureDescent = cache.picture.descent;
        doc->m_fPictureBaseline = cache.picture.axis;
    }
    doc->m_wmfCache = cache.wmf;
    // The picture was laid out at its own scale: the sheet lays its
    // equation out again, unless a job is about to close the program.
    if (refresh && doc->m_nJobCode < 2) m_sheet->Refresh(0);
}

}  // namespace toliva
