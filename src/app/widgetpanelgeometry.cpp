// Pixel geometry of the panel picture: key matrix, knob container and panel frame, for the
// applied preset at a given window scale.
#include "app/widget.h"

#include "controls/keybutton.h"
#include "controls/knobbutton.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
int scaled(int base, double scale, int minimum = 0)
{
    return qMax(minimum, nearestPx(base * scale));
}
} // namespace

void Widget::arrangePanelFrame()
{
    // Models whose knobs sit in a row over the keys draw the knobs first, top to bottom;
    // all others draw the keys with the knobs on their right.
    m_panelLayout->removeWidget(m_keyMatrix);
    m_panelLayout->removeWidget(m_knobContainer);
    if (m_currentLayout.knobsAbove) {
        m_panelLayout->setDirection(QBoxLayout::TopToBottom);
        m_panelLayout->addWidget(m_knobContainer, 0, Qt::AlignHCenter);
        m_panelLayout->addWidget(m_keyMatrix, 0, Qt::AlignHCenter);
    } else {
        m_panelLayout->setDirection(QBoxLayout::LeftToRight);
        m_panelLayout->addWidget(m_keyMatrix, 0, Qt::AlignTop);
        m_panelLayout->addWidget(m_knobContainer, 0, Qt::AlignVCenter);
    }
}

void Widget::scaleButtons(double scale)
{
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton}) {
        if (!b)
            continue;
        b->setMinimumHeight(scaled(INIT_FUNC_BTN_HEIGHT, scale, 50));
        QFont f = b->font();
        f.setBold(true);
        f.setPointSize(scaled(INIT_FUNC_BTN_FONT_SIZE, scale, 20));
        b->setFont(f);
        const QString sheet = functionButtonStyleSheet(scale);
        if (b->styleSheet() != sheet)
            b->setStyleSheet(sheet);
    }

    const PhysicalLayoutConfig &c = m_currentLayout;
    const int keySize = c.keySize > 0 ? c.keySize : KEY_BASE_SIZE;
    const int labelX = c.numberLabelX > 0 ? c.numberLabelX : KEY_NUM_LABEL_POS_X;
    const int labelY = c.numberLabelY > 0 ? c.numberLabelY : KEY_NUM_LABEL_POS_Y;
    const int labelSize = c.numberLabelSize > 0 ? c.numberLabelSize : KEY_NUM_LABEL_SIZE;
    const int labelFont = c.numberLabelFontSize > 0 ? c.numberLabelFontSize : KEY_NUM_LABEL_FONT_SIZE;
    const int lx = scaled(labelX, scale);
    const int ly = scaled(labelY, scale);
    const int ls = scaled(labelSize, scale, 8);
    const int lf = scaled(labelFont, scale, 8);

    // A fresh grid each time: rows and columns of an earlier preset must not linger.
    delete m_keyMatrix->layout();
    auto *grid = new QGridLayout(m_keyMatrix);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    // The holders are 4 px wider than their key (room for the hover growth); the visible
    // gap between two keys stays the preset's spacing.
    grid->setSpacing(qMax(0, scaled(c.keySpacing, scale) - 4));

    for (int k = 0; k < m_keyButtons.size(); ++k) {
        KeyButton *key = m_keyButtons[k];
        QWidget *holder = m_keyHolders[k];
        key->setBaseSize(keySize);
        key->setScale(scale);
        key->setFontBaseSize(c.keyFontSize);
        holder->setFixedSize(key->keySize() + 4, key->keySize() + 4);
        key->move(2, 2);
        QLabel *label = m_keyNumberLabels[k];
        // Wide enough for two digits; the label is transparent to the mouse either way.
        label->setGeometry(2 + lx, 2 + ly, ls * 2, ls);
        label->setStyleSheet(QStringLiteral("QLabel#KeyNumLabel { color: #00FF00; font-weight: bold;"
                                            " font-size: %1px; background: transparent; }")
                                 .arg(lf));
        label->raise();
        if (k < c.keyCount) {
            const QPair<int, int> cell = c.cellOfKey(k);
            grid->addWidget(holder, cell.first, cell.second);
        }
    }
}

void Widget::updateKnobGroupAbsoluteLayout(double scale)
{
    const PhysicalLayoutConfig &c = m_currentLayout;
    const int pad = scaled(KNOB_CONTAINER_PADDING, scale);
    const int fontBase = qMax(6, nearestPx(10 * c.scaleFactor));

    for (int j = 0; j < c.knobs.size(); ++j) {
        const QVector<QRect> rects = c.knobs.at(j).buttonRects(scale);
        for (int a = 0; a < 3 && 3 * j + a < m_knobPool.size(); ++a) {
            KnobButton *b = m_knobPool.at(3 * j + a);
            const QRect r = rects.at(a).translated(pad, pad);
            b->setScaledSize(r.width());
            b->setTextBaseFontSize(fontBase);
            b->move(r.topLeft());
        }
    }
    const QVector<QRect> turnRects = c.turnOnlyRects(scale);
    for (int t = 0; t < turnRects.size() && t < m_turnOnlyButtons.size(); ++t) {
        KnobButton *b = m_turnOnlyButtons.at(t);
        const QRect r = turnRects.at(t).translated(pad, pad);
        b->setScaledSize(r.width());
        b->setTextBaseFontSize(fontBase);
        b->move(r.topLeft());
    }

    if (c.hasKnobs())
        m_knobContainer->setFixedSize(scaled(c.knobContainerWidth(), scale) + 2 * pad,
                                      scaled(c.knobContainerHeight(), scale) + 2 * pad);
    else
        m_knobContainer->setFixedSize(0, 0);
}

void Widget::updateWidgetSizes()
{
    m_keyMatrix->setVisible(m_currentLayout.keyCount > 0);
    m_knobContainer->setVisible(m_currentLayout.hasKnobs());
    if (m_keyMatrix->layout())
        m_keyMatrix->layout()->activate();
}

void Widget::updatePhysicalPanelGeometry(double scale)
{
    const PhysicalLayoutConfig &c = m_currentLayout;
    const int mh = scaled(c.panelMarginH, scale);
    const int mv = scaled(c.panelMarginV, scale);
    m_panelLayout->setContentsMargins(mh, mv, mh, mv);
    m_panelLayout->setSpacing(scaled(c.panelSpacing, scale));
    // No side margins: the stretches beside the frame centre it anyway, and on a narrow
    // window (small scale, where the display area and the command column stop shrinking)
    // the widest panel needs every pixel of the group to stay whole.
    m_keyKnobGroupLayout->setContentsMargins(0, scaled(c.groupTopMargin, scale), 0,
                                             scaled(20, scale));
    m_panelLayout->activate();
    m_panelFrame->adjustSize();
}

void Widget::updateInputFrameWidth()
{
    m_inputFrame->setFixedWidth(qBound(250, nearestPx(width() * 0.2), 500));
}
