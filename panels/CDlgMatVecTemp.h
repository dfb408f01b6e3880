// The matrix dialog's template window: a fixed-size grid of twelve buttons
// (the tool-bar description "tb_mx_temp", three columns and four rows) for
// symbolic vectors and matrices such as a1 … an or a11 … ann. A click hides
// the window and hands the button's template number to the matrix dialog.
// It lives as long as the dialog and shows only when asked.
#pragma once

#include "panels/PanelContext.h"
#include "uikit/WindowMessages.h"

#include <QWidget>

#include <memory>

namespace toliva {

class CDlgSetMatrix;
class CDlgToolbar;

class CDlgMatVecTemp : public QWidget, public MessageTarget {
public:
    // The window's size before the interface's DPI scale.
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 400;
    // The bar keeps this far from every side.
    static constexpr int kMargin = 6;

    // A pop-up window of owner, its bar filled from "tb_mx_temp".
    CDlgMatVecTemp(CDlgSetMatrix* owner, const PanelContext& context);
    ~CDlgMatVecTemp() override;

    CDlgToolbar* bar() const { return m_pBar; }
    // Hides the window and passes the number to the owner.
    void OnInsertTemplate(int number);
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CDlgSetMatrix* m_pOwner;
    CDlgToolbar* m_pBar = nullptr;  // a child of the window
};

}  // namespace toliva
