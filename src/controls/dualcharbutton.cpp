#include "controls/dualcharbutton.h"

#include "controls/keycaption.h"

#include <QLabel>
#include <QResizeEvent>
#include <QShowEvent>

#include <algorithm>

DualCharButton::DualCharButton(const QString& mainText, const QString& cornerText, QWidget* parent)
    : QPushButton(mainText, parent)
    , m_mainText(mainText)
    , m_cornerText(cornerText)
    , m_cornerLabel(new QLabel(cornerText, this))
{
    m_cornerLabel->setStyleSheet(
        QStringLiteral("color: #FFFFFF;background: transparent;border: none;font-weight: bold;"));
    m_cornerLabel->setAlignment(Qt::AlignCenter);
    m_cornerLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

DualCharButton::~DualCharButton() = default;

void DualCharButton::relayoutCornerLabel()
{
    const int w = width();
    const int h = height();
    if (w < 1 || h < 1)
        return;

    QFont font = m_cornerLabel->font();
    font.setBold(true);
    font.setPointSize(std::clamp(KeyCaption::roundHalfAway(0.15 * h), 6, 18));
    m_cornerLabel->setFont(font);

    const int margin = KeyCaption::roundHalfAway(0.03 * w);
    m_cornerLabel->setGeometry(margin, margin, KeyCaption::roundHalfAway(0.42 * w),
                               KeyCaption::roundHalfAway(0.42 * h));
    m_cornerLabel->raise();
    m_cornerLabel->show();
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
