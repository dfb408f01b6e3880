#include "shell/CRecognitionSettingsDlg.h"

#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/ShellService.h"
#include "shell/recognition/RecognitionClient.h"

#include <QFileInfo>

namespace toliva {

CRecognitionSettingsDlg::CRecognitionSettingsDlg(QWidget* owner, const QString& languageCode,
                                                 const QString& tempFolder, const QString& webServicePage)
    : CDlgGU(owner), m_languageCode(languageCode), m_tempFolder(tempFolder), m_webServicePage(webServicePage) {
    LangTable texts(languageCode, languageFile);
    title = LoadLangString(texts, QStringLiteral("gTT_1"), 4);
    pageFolder = QStringLiteral("OCR");
    widthFactor = 0.86f;
    heightFactor = 1.08f;
    showButton1390 = true;
}

int CRecognitionSettingsDlg::Run(const std::function<int(CDlgGU&)>& run) {
    const RecognitionSettings stored = LoadRecognitionSettings();
    GetOrAddItem(0, 0)->choice = stored.mode;
    SetItemDouble(0, 1, stored.waitSec);
    ParseItemValue(*GetOrAddItem(0, 2), stored.token);
    const bool folderSet = !stored.localPath.isEmpty() && QFileInfo(stored.localPath).isDir();
    ParseItemValue(*GetOrAddItem(0, 3), folderSet ? stored.localPath : m_tempFolder);

    const int result = run ? run(*this) : DoModal();
    if (result != IDOK) return result;
    RecognitionSettings edited;
    edited.mode = propertyList.GetItemChoice(0, 0);
    edited.waitSec = float(propertyList.GetItemDouble(0, 1));
    edited.token = propertyList.GetItemText(0, 2, false);
    edited.localPath = propertyList.GetItemText(0, 3, false);
    StoreRecognitionSettings(edited);
    return result;
}

int CRecognitionSettingsDlg::OnPropertyItemClick(int item) {
    if (item == 6) {
        shellService().openUrl(m_webServicePage);
    } else if (item == 5) {
        const QString path = programFolder() + QStringLiteral("Help/OCR_Help.pdf");
        const int opened = shellService().openDocument(path);
        if (opened == ShellFileNotFound || opened == ShellPathNotFound) {
            LangTable table(m_languageCode, QStringLiteral("LANG_01.xml"));
            showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 1) + path, MB_OK | MB_ICONWARNING);
        }
    }
    return 0;
}

intptr_t CRecognitionSettingsDlg::OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) {
    if (message == WM_PROPERTY_ITEM_CLICK) return OnPropertyItemClick(int(wParam));
    return CDlgGU::OnWindowMessage(message, wParam, lParam);
}

}  // namespace toliva
