#pragma once

#include "pages/scalablepage.h"

#include <QString>
#include <QWidget>

class KeyboardData;

// The left and right modifiers under their Mac names and F13 to F24, on a 5 x 8 grid of
// equal cells. Clicks follow the base keys rule, so a modifier clicked here combines with a
// key clicked on the base keys page.
class ExtraKeysPage : public QWidget, public ScalablePage
{
    Q_OBJECT

public:
    static constexpr int ROWS = 5;
    static constexpr int COLUMNS = 8;

    explicit ExtraKeysPage(KeyboardData *model, QWidget *parent = nullptr);

    static QString styleSheetFor(int paddingV, int paddingH, int fontPx);
    // Window scaling: padding and font size follow the scale.
    void updateExtraKeysStyleSheet(double scale);
    void applyScale(double scale) override { updateExtraKeysStyleSheet(scale); }

public slots:
    void onBaseKeyClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Sets the page style for the scaled sizes, with smaller text (then less padding)
    // where the two-line modifier names would be cut in the page's equal cells.
    void applyFittingStyle();
    bool labelsFit(int fontPx, int paddingV, int paddingH) const;

    KeyboardData *m_model;
    int m_paddingV = 10;
    int m_paddingH = 12;
    int m_fontPx = 19;
    QString m_appliedStyle;
};
