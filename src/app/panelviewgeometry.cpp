// Pixel geometry of the panel picture: key matrix, knob container and panel frame, for the
// applied preset at a panel scale.
#include "app/panelview.h"

#include "app/panelfit.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSizePolicy>
#include <QVariant>

namespace {
int scaled(int base, double scale, int minimum = 0)
{
    return qMax(minimum, nearestPx(base * scale));
}
} // namespace

void PanelView::layOut(double panelScale)
{
    const QString applied = QStringLiteral("%1@%2").arg(m_layout.name).arg(panelScale, 0, 'f', 4);
    if (applied == m_applied)
        return;
    m_applied = applied;
    m_scale = panelScale;
    scaleKeys(m_scale);
    updateKnobGroupAbsoluteLayout(m_scale);
    updateWidgetSizes();
    updatePhysicalPanelGeometry(m_scale);
}

void PanelView::setEmpty(bool empty)
{
    if (m_empty == empty)
        return;
    m_empty = empty;
    // The frame keeps the size it has: an outline where a keypad would be, not the picture of
    // one that is not there.
    for (QWidget *part : {m_keyMatrix, m_knobContainer}) {
        if (!part)
            continue;
        QSizePolicy policy = part->sizePolicy();
        policy.setRetainSizeWhenHidden(empty && part->isVisibleTo(part->parentWidget()));
        part->setSizePolicy(policy);
    }
    updateWidgetSizes();
}

void PanelView::arrangePanelFrame()
{
    // Models whose knobs sit in a row over the keys draw the knobs first, top to bottom;
    // all others draw the keys with the knobs on their right.
    m_frameLayout->removeWidget(m_keyMatrix);
    m_frameLayout->removeWidget(m_knobContainer);
    if (m_layout.knobsAbove) {
        m_frameLayout->setDirection(QBoxLayout::TopToBottom);
        m_frameLayout->addWidget(m_knobContainer, 0, Qt::AlignHCenter);
        m_frameLayout->addWidget(m_keyMatrix, 0, Qt::AlignHCenter);
    } else {
        m_frameLayout->setDirection(QBoxLayout::LeftToRight);
        m_frameLayout->addWidget(m_keyMatrix, 0, Qt::AlignTop);
        m_frameLayout->addWidget(m_knobContainer, 0, Qt::AlignVCenter);
    }
}

void PanelView::scaleKeys(double scale)
{
    const PhysicalLayoutConfig &c = m_layout;
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
        // The caption stays below the number in the top-left corner.
        key->setCaptionTopInset(ly + lf + 1);
        holder->setFixedSize(key->keySize() + 4, key->keySize() + 4);
        key->move(2, 2);
        QLabel *label = m_keyNumberLabels[k];
        // Wide enough for two digits; the label is transparent to the mouse either way.
        label->setGeometry(2 + lx, 2 + ly, ls * 2, ls);
        label->setProperty("numberFontPx", lf);
        label->raise();
        if (k < c.keyCount) {
            const QPair<int, int> cell = c.cellOfKey(k);
            grid->addWidget(holder, cell.first, cell.second);
        }
    }
    updateKeyNumberColors();
}

void PanelView::updateKeyNumberColors()
{
    // Green reads on the grey key and on dark LED colours; on light ones (green, yellow,
    // white) it would vanish, so those get a dark green.
    for (int k = 0; k < m_keyButtons.size() && k < m_keyNumberLabels.size(); ++k) {
        QLabel *label = m_keyNumberLabels[k];
        const QString sheet = QStringLiteral("QLabel#KeyNumLabel { color: %1; font-weight: bold;"
                                             " font-size: %2px; background: transparent; }")
                                  .arg(m_keyButtons[k]->numberColor().name())
                                  .arg(label->property("numberFontPx").toInt());
        if (label->styleSheet() != sheet) // restyling sixteen labels is not free
            label->setStyleSheet(sheet);
    }
}

void PanelView::updateKnobGroupAbsoluteLayout(double scale)
{
    const PhysicalLayoutConfig &c = m_layout;
    const int pad = scaled(KNOB_CONTAINER_PADDING, scale);
    // Knob captions start at the keys' caption size whatever the button's own size (a
    // small turn button would otherwise get a tiny font), and step down to the same minimum.
    const int captionPt = qMax(10, nearestPx(10 * c.scaleFactor));
    const int minimumPx = KeyCaption::minimumPixelSize(scale);

    // The buttons' pictures as the preset places them, then each button grown into the free
    // room below its picture for a caption band of its own: a caption never covers the
    // turn or press arrow. The band holds two lines of the largest minimum size (Chinese).
    QVector<KnobButton *> buttons;
    QVector<QRect> icons;
    QVector<int> leftTurns; // index of each knob's left turn; its right turn follows it
    for (int j = 0; j < c.knobs.size(); ++j) {
        const QVector<QRect> rects = c.knobs.at(j).buttonRects(scale);
        if (3 * j + 1 < m_knobPool.size())
            leftTurns.append(buttons.size());
        for (int a = 0; a < 3 && 3 * j + a < m_knobPool.size(); ++a) {
            buttons.append(m_knobPool.at(3 * j + a));
            icons.append(rects.at(a).translated(pad, pad));
        }
    }
    const QVector<QRect> turnRects = c.turnOnlyRects(scale);
    for (int t = 0; t < turnRects.size() && t < m_turnOnlyButtons.size(); ++t) {
        if (t % 2 == 0 && t + 1 < m_turnOnlyButtons.size())
            leftTurns.append(buttons.size());
        buttons.append(m_turnOnlyButtons.at(t));
        icons.append(turnRects.at(t).translated(pad, pad));
    }
    const QSize container = PanelFit(c).knobContainerSize(scale);
    QFont captionFont = m_window->font();
    captionFont.setBold(true);
    captionFont.setPixelSize(qMax(KeyCaption::MINIMUM_WIDE_PX, nearestPx(KeyCaption::MINIMUM_WIDE_PX * scale)));
    const int lineHeight = QFontMetrics(captionFont).height();
    const int sideRoom = qMax(0, nearestPx(KnobDescriptor::BUTTON_GAP * scale / 2) - 1);
    const QVector<PanelFit::KnobFrame> frames =
        PanelFit::knobFrames(icons, QRect(QPoint(0, 0), container).adjusted(pad, pad, -pad, -pad),
                             lineHeight, sideRoom);
    for (int i = 0; i < buttons.size(); ++i) {
        KnobButton *b = buttons.at(i);
        const QRect &r = icons.at(i);
        b->setScaledSize(r.width());
        b->setTextBaseFontSize(qMax(2, nearestPx(captionPt * 80.0 * scale / qMax(1, r.width()))));
        b->setCaptionMinimumPixelSize(minimumPx);
        b->setCaptionBand(frames.at(i).widget.size(), frames.at(i).captionBand);
        b->move(frames.at(i).widget.topLeft());
    }

    // The two turns of each knob: a cut caption keeps where they differ.
    for (const int left : qAsConst(leftTurns)) {
        if (left + 1 >= buttons.size())
            continue;
        buttons.at(left)->setSibling(buttons.at(left + 1));
        buttons.at(left + 1)->setSibling(buttons.at(left));
    }

    m_knobContainer->setFixedSize(container);
}

void PanelView::updateWidgetSizes()
{
    m_keyMatrix->setVisible(!m_empty && m_layout.keyCount > 0);
    m_knobContainer->setVisible(!m_empty && m_layout.hasKnobs());
    if (m_keyMatrix->layout())
        m_keyMatrix->layout()->activate();
}

void PanelView::updatePhysicalPanelGeometry(double scale)
{
    const PhysicalLayoutConfig &c = m_layout;
    const int mh = scaled(c.panelMarginH, scale);
    const int mv = scaled(c.panelMarginV, scale);
    m_frameLayout->setContentsMargins(mh, mv, mh, mv);
    m_frameLayout->setSpacing(scaled(c.panelSpacing, scale));
    // No side margins: the stretches beside the frame centre it anyway, and on a narrow
    // window (small scale, where the display area and the command column stop shrinking)
    // the widest panel needs every pixel of the group to stay whole.
    // The separate LED column sits right of the frame: room for it on the right keeps the
    // frame and the column centred together and inside the group.
    const PanelFit fit(c);
    m_groupLayout->setContentsMargins(0, scaled(c.groupTopMargin, scale),
                                             fit.ledColumnWidth(scale),
                                             scaled(PanelFit::GROUP_BOTTOM_MARGIN, scale));
    // The LED column is placed by hand, outside the layout: the group must still be tall
    // enough for it.
    m_group->setMinimumHeight(fit.groupSize(scale).height());
    m_frameLayout->activate();
    m_frame->adjustSize();
}
