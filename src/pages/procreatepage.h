#pragma once

#include "pages/scalablepage.h"

#include <QString>
#include <QVector>
#include <QWidget>

class KeyboardData;
class QPushButton;

// 32 ready-made shortcuts of the Procreate drawing application on a 5 x 8 grid. A shortcut
// of one key becomes a plain key, one of several keys a macro that presses them in order
// and releases them in reverse.
class ProcreatePage : public QWidget, public ScalablePage
{
    Q_OBJECT

public:
    static constexpr int ROWS = 5;
    static constexpr int COLUMNS = 8;

    explicit ProcreatePage(KeyboardData *model, QWidget *parent = nullptr);

    // Breaks a shortcut name onto at most three lines for its button.
    static QString wrapProcreateLabel(const QString &label);

    static QString styleSheetFor(int paddingV, int paddingH, int fontPx, int emptyFontPx);
    // Window scaling: padding and font sizes follow the scale.
    void updateProcreateStyleSheet(double scale);
    void applyScale(double scale) override { updateProcreateStyleSheet(scale); }

public slots:
    void onProcreateClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Sets the page style for the scaled sizes, shrunk where the labels would not fit the
    // cells of the page at its present size.
    void applyFittingStyle();
    bool labelsFit(int fontPx, int paddingV, int paddingH) const;

    KeyboardData *m_model;
    QVector<QVector<QPushButton *>> m_rows;
    // Sizes for the window scale; the applied ones may be smaller on a small page.
    int m_paddingV = 10;
    int m_paddingH = 12;
    int m_fontPx = 17;
    int m_emptyFontPx = 16;
    QString m_appliedStyle;
};
