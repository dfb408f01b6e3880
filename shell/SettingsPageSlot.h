// A page of the equation settings dialog that a later version brings (the
// editor, TeX shortcut and auto-calculation pages): it carries its caption in
// the page list and says that it is not available yet. Storing and loading
// do nothing.
#pragma once

#include <QWidget>

namespace toliva {

class CEESettingDlg;

class SettingsPageSlot : public QWidget {
public:
    // The page's control id and its caption: item captionItem of the
    // dialog's own group, fallback when the language file has none.
    SettingsPageSlot(CEESettingDlg* owner, int ctrlId, int captionItem, const QString& fallback);
    ~SettingsPageSlot() override;

    bool OnInitDialog();
    void Store() {}
    void Load() {}

private:
    CEESettingDlg* m_owner;
    int m_captionItem;
};

}  // namespace toliva
