#include "controls/dualcharbutton.h"

#include "controls/keycaption.h"

#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>

#include <algorithm>

DualCharButton::DualCharButton(const QString& mainText, const QString& cornerText, QWidget* parent)
    : QPushButton(mainText, parent)
    , m_mainText(mainText)
    , m_cornerText(cornerText)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

DualCharButton::~DualCharButton() = default;

void DualCharButton::relayoutCornerLabel()
{
    const int w = width();
    const int h = height();
    if (w < 1 || h < 1)
        return;

    const int points = std::clamp(KeyCaption::roundHalfAway(0.15 * h), 6, 18);
    const int margin = KeyCaption::roundHalfAway(0.03 * w);
    const QRect rect(margin, margin, KeyCaption::roundHalfAway(0.42 * w),
                     KeyCaption::roundHalfAway(0.42 * h));
    if (points == m_cornerPoints && rect == m_cornerRect)
        return;
    m_cornerPoints = points;
    m_cornerRect = rect;
    update();
}

QFont DualCharButton::cornerFont() const
{
    // The key's own font as its style gives it (family included), bold and smaller.
    QFont font = this->font();
    font.setBold(true);
    if (m_cornerPoints > 0)
        font.setPointSize(m_cornerPoints);
    return font;
}

void DualCharButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (m_cornerRect.isEmpty() || m_cornerText.isEmpty())
        return;
    QPainter painter(this);
    // Kept inside its corner, as a legend that does not fit must not run over the key's text.
    painter.setClipRect(m_cornerRect);
    painter.setFont(cornerFont());
    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    painter.drawText(m_cornerRect, Qt::AlignCenter, m_cornerText);
}

void DualCharButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    relayoutCornerLabel();
}

void DualCharButton::showEvent(QShowEvent* event)
{
    QPushButton::showEvent(event);
    relayoutCornerLabel();
}
