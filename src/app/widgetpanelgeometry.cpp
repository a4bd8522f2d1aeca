// Pixel geometry of the panel picture: key matrix, knob container and panel frame, for the
// applied preset at a given window scale.
#include "app/widget.h"

#include "app/functionpages.h"

#include "app/panelfit.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVariant>

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

void Widget::scaleKeys(double scale)
{
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

void Widget::updateKeyNumberColors()
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

void Widget::updateKnobGroupAbsoluteLayout(double scale)
{
    const PhysicalLayoutConfig &c = m_currentLayout;
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
    QFont captionFont = font();
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

void Widget::updateWidgetSizes()
{
    m_keyMatrix->setVisible(!m_panelEmpty && m_currentLayout.keyCount > 0);
    m_knobContainer->setVisible(!m_panelEmpty && m_currentLayout.hasKnobs());
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
    // The separate LED column sits right of the frame: room for it on the right keeps the
    // frame and the column centred together and inside the group.
    const PanelFit fit(c);
    m_keyKnobGroupLayout->setContentsMargins(0, scaled(c.groupTopMargin, scale),
                                             fit.ledColumnWidth(scale),
                                             scaled(PanelFit::GROUP_BOTTOM_MARGIN, scale));
    // The LED column is placed by hand, outside the layout: the group must still be tall
    // enough for it.
    m_keyKnobGroup->setMinimumHeight(fit.groupSize(scale).height());
    m_panelLayout->activate();
    m_panelFrame->adjustSize();
}

void Widget::fitPanelToWindow()
{
    // The row's height: what the window leaves once the top bar and the pages below have
    // their minimum.
    int bottomMinimum = 0;
    if (m_pages)
        bottomMinimum = qMax(m_pages->minimumHeight(), m_pages->minimumSizeHint().height());
    const int topBar = m_topBar ? m_topBar->minimumHeight() : 0;
    const int spacing = m_mainLayout ? m_mainLayout->spacing() : 0;
    const int rowHeight = height() - topBar - 2 * spacing - bottomMinimum;

    PanelFit::Row row;
    row.width = width();
    row.height = rowHeight;
    // The row's stretch share of what the top bar leaves: the height it has whatever the
    // panel asks for (the pages below keep theirs).
    if (m_mainLayout && m_mainLayout->count() >= 3) {
        const int middle = m_mainLayout->stretch(1);
        const int bottom = m_mainLayout->stretch(2);
        if (middle > 0 && bottom > 0)
            row.shareHeight = (height() - topBar - 2 * spacing) * middle / (middle + bottom);
    }
    const QMargins margins = m_middleRowLayout ? m_middleRowLayout->contentsMargins() : QMargins();
    row.fixedWidth = margins.left() + margins.right() + (m_layerBar ? m_layerBar->minimumWidth() : 0)
                     + 2 * MIDDLE_ROW_SPACING;
    row.displayPreferred = CommandColumn::preferredDisplayWidth(width());
    row.displayMinimum = DISPLAY_MINIMUM_WIDTH;
    // The column likes the room its texts need at the scaled font, within a quarter of the
    // window; at the least the room they need at the smallest font.
    row.commandMinimum = m_commandColumn->widthFor(COMMAND_FONT_FLOOR_PX);
    row.commandPreferred = qBound(row.commandMinimum,
                                  m_commandColumn->widthFor(qMax(20, nearestPx(INIT_FUNC_BTN_FONT_SIZE * scaleRatio()))),
                                  qMax(row.commandMinimum, nearestPx(width() * 0.25)));
    const PanelFit::Plan plan = PanelFit(currentLayout()).plan(scaleRatio(), row);

    m_commandColumn->fitButtonHeights(rowHeight, scaleRatio());
    m_commandColumn->setWidths(plan.displayWidth, plan.commandWidth, width());

    const QString applied = QStringLiteral("%1@%2").arg(m_currentLayout.name).arg(plan.panelScale, 0, 'f', 4);
    if (applied == m_panelApplied)
        return;
    m_panelApplied = applied;
    m_panelScale = plan.panelScale;
    scaleKeys(m_panelScale);
    updateKnobGroupAbsoluteLayout(m_panelScale);
    updateWidgetSizes();
    updatePhysicalPanelGeometry(m_panelScale);
}
