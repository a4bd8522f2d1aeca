// The row beside the layer column: its room shared between the panel, the key function
// display and the command column, and the panel laid out at the scale that keeps it whole.
#include "app/widget.h"

#include "app/functionpages.h"
#include "app/panelfit.h"

#include <QBoxLayout>

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

    m_panel->layOut(plan.panelScale);
}
