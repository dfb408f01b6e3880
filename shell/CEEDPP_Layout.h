// Page 0 of the equation settings dialog: the equation's fonts, sizes,
// spacing values and layout options in 15 sections. Every section but the
// fonts' is a picture ("GenDef/ES/ES<n>.apx") whose fields the section's
// edit boxes and buttons are laid over, so each number stands where it acts;
// the fonts' section shows a live preview of "Dat/KwFSData.dat".
#pragma once

#include "uikit/KitDialogs.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include <array>
#include <memory>
#include <span>

class QComboBox;
class QListWidget;

namespace toliva {

class CEESettingDlg;
class CKwEMF_GPL;
class EqModel;
struct LangTable;
struct RenderContext;

class CEEDPP_Layout : public QWidget {
public:
    static constexpr int kSectionCount = 15;
    static constexpr int kFontSection = 1;
    static constexpr int kPageId = 130;

    // Creates the controls and reads the preview equation (none when its
    // file is missing or damaged).
    explicit CEEDPP_Layout(CEESettingDlg* owner);
    ~CEEDPP_Layout() override;

    // Called by the settings dialog.
    bool OnInitDialog();
    // 1: the controls into the owner's working record; 0: the record into
    // the controls.
    void Exchange(int store);
    void ShowSection();
    void FillFontLists();
    // The twins of the Advanced page's office options (1 store, 0 load).
    void SyncOfficeOptions(int store);
    void RefreshSectionControls();

    // The section shown (0 .. 14).
    int m_nSection = 0;

    // Commands of the page's controls.
    void OnSectionChange();
    void OnFontChange();
    // A radio ticks itself and clears the others of its group; the six
    // radios of the integral sign style go through CheckAlignRadio.
    void OnRadio(int id);
    void CheckAlignRadio(int id);

    // What the dialog and tests look at.
    QWidget* control(int id) const;
    // Where section pictures and the preview are drawn, page coordinates.
    QRect sectionArea() const { return m_rcSection; }
    const CKwEMF_GPL* sectionPicture(int section) const;
    bool hasPreview() const { return m_pPreview != nullptr; }
    // The size of the preview equation as last drawn (0 x 0: none drawn).
    QSizeF previewExtent() const { return {m_fPreviewWidth, m_fPreviewHeight}; }
    // The section area as last drawn (white, the picture or the preview).
    const QImage& sectionImage() const { return m_sectionImage; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct LayoutSection {
        std::span<const int> ids;
        int count = 0;
        std::unique_ptr<CKwEMF_GPL> picture;  // none for the fonts' section
    };

    void LoadSectionPictures();
    void DrawSectionPicture();
    void ParkAllControls();
    void PlaceFontControls();
    void ExchangeFonts(int store, bool preview);
    void DrawPreview();
    void RenderPreview();
    void ShowFontControls(bool show);
    void LayoutChildren();
    QRect renderArea() const;
    const RenderContext& renderContext();
    LangTable& langTable();

    CEESettingDlg* m_pOwner;
    std::array<LayoutSection, kSectionCount> m_sections;
    QRect m_rcSection;
    QRect m_rcSectionSaved;
    QComboBox* m_pMainFont = nullptr;
    QComboBox* m_pSecondFont = nullptr;
    QComboBox* m_pTextFont = nullptr;
    QComboBox* m_pSizeStep = nullptr;
    std::unique_ptr<EqModel> m_pPreview;
    CachedBitmap m_previewBitmap;
    float m_fPreviewWidth = 0;
    float m_fPreviewHeight = 0;
    bool m_bFontSectionJustSelected = false;
    QListWidget* m_pSectionList = nullptr;

    bool m_bInitialized = false;
    QImage m_sectionImage;
    std::unique_ptr<LangTable> m_lang;
    std::unique_ptr<RenderContext> m_ownRender;  // without a target sheet
};

}  // namespace toliva
