// Window scaling: the window's parts laid out at the scale the WindowScaler settles on (fonts
// at once on a resize, the panel, knobs and page areas after the resizing pauses).
#include "app/widget.h"

#include "app/functionpages.h"
#include "app/windowscaler.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QLabel>
#include <QLayout>
#include <QTextEdit>
#include <QTimer>

void Widget::initWindowScaler()
{
    m_scaler = new WindowScaler(this);
    // Restored from maximised on the lighting page, the window comes back to a height the
    // page can use.
    m_scaler->setTallPageTest([this] { return isRgbLedPageActive(); });
    connect(m_scaler, &WindowScaler::firstShown, this, [this] {
        for (QLayout *l : {static_cast<QLayout *>(m_mainLayout),
                           m_pages->layout(),
                           static_cast<QLayout *>(m_panel->groupLayout())})
            if (l)
                l->activate();
    });
    connect(m_scaler, &WindowScaler::fontsRescaled, this, &Widget::preUpdateFontsOnly);
    connect(m_scaler, &WindowScaler::relayoutRequested, this, &Widget::relayoutAt);
    connect(m_scaler, &WindowScaler::refitRequested, this, &Widget::refitToSize);
    connect(m_scaler, &WindowScaler::rescaled, this, [this] {
        if (hasStandaloneLedLayout())
            QTimer::singleShot(0, this, [this] { refreshStandaloneLedDisplay(-1); });
    });
}

void Widget::onResizeTimeout()
{
    m_scaler->settle();
}

void Widget::relayoutAt(double scale)
{
    qCDebug(lcWindow).nospace() << "[Scale] relayout scale=" << scale << " size=" << width() << "x"
                                << height();
    preUpdateAllElements(scale);
    updateBottomSectionSizes(scale);
    m_layerBar->fitToWindowWidth(width(), DESIGN_WIDTH);
    fitPanelToWindow();
    updateRgbLedPageStyle(scale);
    fitToSettledLayout();
}

void Widget::refitToSize()
{
    // The layer column, the display area and the panel are fitted to the size itself.
    m_layerBar->fitToWindowWidth(width(), DESIGN_WIDTH);
    fitPanelToWindow();
    fitToSettledLayout();
    if (hasStandaloneLedLayout())
        refreshStandaloneLedDisplay(-1);
}

void Widget::preUpdateFontsOnly(double scale)
{
    // Function buttons and the page list carry their font in style sheets, which outrank
    // QWidget::setFont; both are rewritten here.
    if (m_commandColumn)
        m_commandColumn->applyFontScale(scale);
    m_pages->setListScale(scale);

    if (m_topBar)
        m_topBar->applyFontScale(scale);

    m_pages->applyScale(scale, true);
}

void Widget::fitToSettledLayout()
{
    // Both measure what the layout gives now, so it is settled first (once: a full layout
    // pass of the window is the dearest part of a relayout).
    if (m_mainLayout)
        m_mainLayout->activate();
    m_commandColumn->refit(scaleRatio());
    m_pages->fitList(scaleRatio());
}

void Widget::preUpdateAllElements(double scale)
{
    // Fonts again: the last resize event may have been below the threshold, so the fonts
    // may still be those of an earlier, slightly different scale.
    preUpdateFontsOnly(scale);
    m_pages->restyleHiddenPagesLater();
    m_commandColumn->applyScale(scale);
    if (m_topBar)
        m_topBar->applyScale(scale);
}

void Widget::updateBottomSectionSizes(double scale)
{
    m_pages->setListWidthForScale(scale);
    m_pages->setPageMinimumHeight(nearestPx(FunctionPages::STACK_MIN_HEIGHT * scale));
    m_pages->setMinimumHeight(nearestPx(FunctionPages::FRAME_MIN_HEIGHT * scale));
}
