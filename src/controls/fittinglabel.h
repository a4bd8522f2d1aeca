#pragma once

#include "controls/keycaption.h"

#include <QLabel>

// A one-line label whose text always fits: drawn in the label's font when there is room,
// else on two lines or in a smaller font (not below a minimum), and only then cut at its end.
// Like QLabel it asks its layout for the whole text's width, but never for more than a set
// largest minimum, so a long text cannot push the widgets beside it away or be cut on both
// sides.
class FittingLabel : public QLabel
{
    Q_OBJECT

public:
    explicit FittingLabel(QWidget *parent = nullptr);

    void setMinimumPixelSize(int px);
    // The most the label asks its layout for as its minimum width.
    void setLargestMinimumWidth(int width);
    int largestMinimumWidth() const { return m_largestMinimumWidth; }
    // The text as drawn at the current size: its lines joined by "\n", and their font.
    QString displayedText() const;
    QFont displayedFont() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    KeyCaption::Fitted fitted() const;

    int m_minimumPx = 12;
    int m_largestMinimumWidth = QWIDGETSIZE_MAX;
};
