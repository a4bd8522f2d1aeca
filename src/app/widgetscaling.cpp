// Window scaling. Fonts follow a resize at once so text never looks stale while the user
// drags; the heavier relayout (panel, knobs, page areas) waits for a short quiet spell after
// the last resize event, so a drag costs one relayout instead of one per event.
#include "app/widget.h"

#include "app/functionpages.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QLabel>
#include <QLayout>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr double kMinimumScale = 0.8;
// Smaller changes are not worth a relayout (and would make the panel jitter by a pixel).
constexpr double kScaleThreshold = 0.01;

} // namespace

double Widget::scaleForSize(const QSize &size)
{
    const double ratio = qMin(size.width() / double(DESIGN_WIDTH),
                              size.height() / double(DESIGN_HEIGHT));
    return qMax(kMinimumScale, ratio);
}

void Widget::resizeEvent(QResizeEvent *event)
{
    // Remembered so that leaving the maximised state on the lighting page can bring the
    // window back to a usable height (see applyRgbLedMaximizedRule).
    if (isRgbLedPageActive() && isMaximized()) {
        m_wasMaximized = true;
        m_maximizedSize = event->size();
    }

    const double ratio = scaleForSize(event->size());
    m_targetScaleRatio = ratio;
    if (qAbs(ratio - m_scaleRatio) >= kScaleThreshold) {
        m_resizePending = true;
        preUpdateFontsOnly(ratio);
    }
    QWidget::resizeEvent(event);
    if (m_resizeTimer)
        m_resizeTimer->start(); // restarts: the relayout runs once the resizing pauses
}

void Widget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_firstShowDone || event->spontaneous())
        return;
    m_firstShowDone = true;

    // The window opens at the scale of the size it opens at (a small screen gives a small
    // window): fonts and geometry are set for that scale together.
    m_scaleRatio = scaleForSize(size());
    m_targetScaleRatio = m_scaleRatio;
    m_resizePending = false;
    for (QLayout *l : {static_cast<QLayout *>(m_mainLayout),
                       m_pages->layout(),
                       static_cast<QLayout *>(m_panel->groupLayout())})
        if (l)
            l->activate();
    preUpdateFontsOnly(m_scaleRatio);
    relayoutAt(m_scaleRatio);
    update();
}

void Widget::onResizeTimeout()
{
    if (!m_resizePending) {
        // The scale held (say, only the width grew on a short screen, or the window is below
        // the smallest scale), but the layer column, the display area and the panel are
        // fitted to the size itself.
        if (size() != m_sizeLaidOut) {
            m_sizeLaidOut = size();
            m_layerBar->fitToWindowWidth(width(), DESIGN_WIDTH);
            fitPanelToWindow();
            fitToSettledLayout();
            if (hasStandaloneLedLayout())
                refreshStandaloneLedDisplay(-1);
        }
        // A restore from maximised may keep the scale (same aspect) yet still be too tall.
        applyRgbLedMaximizedRule();
        return;
    }
    m_scaleRatio = m_targetScaleRatio;
    m_resizePending = false;
    relayoutAt(m_scaleRatio);
    applyRgbLedMaximizedRule();

    update();
    if (hasStandaloneLedLayout())
        QTimer::singleShot(0, this, [this] { refreshStandaloneLedDisplay(-1); });
}

void Widget::relayoutAt(double scale)
{
    qCDebug(lcWindow).nospace() << "[Scale] relayout scale=" << scale << " size=" << width() << "x"
                                << height();
    preUpdateAllElements(scale);
    updateBottomSectionSizes(scale);
    m_sizeLaidOut = size();
    m_layerBar->fitToWindowWidth(width(), DESIGN_WIDTH);
    fitPanelToWindow();
    updateRgbLedPageStyle(scale);
    fitToSettledLayout();
}

void Widget::applyRgbLedMaximizedRule()
{
    if (!isRgbLedPageActive() || !m_wasMaximized || isMaximized() || isFullScreen())
        return;
    // The state may turn normal before the restored geometry arrives; judge that geometry.
    if (size() == m_maximizedSize)
        return;
    m_wasMaximized = false;
    // Restored from maximised on the lighting page: the window manager may hand back the
    // maximised height, taller than the page can use.
    if (height() > DESIGN_HEIGHT)
        resize(width(), qMax(MIN_WINDOW_HEIGHT, int(DESIGN_HEIGHT)));
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
    m_commandColumn->refit(m_scaleRatio);
    m_pages->fitList(m_scaleRatio);
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
