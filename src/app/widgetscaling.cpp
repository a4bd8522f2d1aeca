// Window scaling. Fonts follow a resize at once so text never looks stale while the user
// drags; the heavier relayout (panel, knobs, page areas) waits for a short quiet spell after
// the last resize event, so a drag costs one relayout instead of one per event.
#include "app/widget.h"

#include "model/logcategories.h"
#include "pages/extrakeyspage.h"
#include "pages/macropage.h"
#include "pages/mousepage.h"
#include "pages/multimediapage.h"
#include "pages/procreatepage.h"
#include "pages/rgbledpage.h"

#include <QDebug>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimer>

#include <functional>

namespace {

constexpr double kMinimumScale = 0.8;
// Smaller changes are not worth a relayout (and would make the panel jitter by a pixel).
constexpr double kScaleThreshold = 0.01;

int scaledBounded(double value, int lo, int hi)
{
    return qBound(lo, nearestPx(value), hi);
}

QString functionListStyleSheet(int fontPx, int itemHeight)
{
    return QStringLiteral("QListWidget { background-color: #282828; color: #E0E0E0; border: none;"
                          " border-right: 1px solid #444; font-size: %1px;}"
                          " QListWidget::item { height: %2px; text-align: center; padding: 0px;"
                          " font-weight: bold;}"
                          " QListWidget::item:selected { background-color: #1E90FF; color: white;}")
        .arg(fontPx)
        .arg(itemHeight);
}

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
    if (m_rgbLedPageActive && isMaximized()) {
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
                       m_bottomSection ? m_bottomSection->layout() : nullptr,
                       static_cast<QLayout *>(m_keyKnobGroupLayout)})
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
    if (!m_rgbLedPageActive || !m_wasMaximized || isMaximized() || isFullScreen())
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
    setFunctionListSheet(scale);

    if (m_topBar)
        m_topBar->applyFontScale(scale);

    updatePageStyles(scale, true);
}

QVector<QPair<QWidget *, std::function<void(double)>>> Widget::scalablePages()
{
    QVector<QPair<QWidget *, std::function<void(double)>>> pages;
    if (m_baseKeysPage)
        pages.append({m_baseKeysPage, [this](double s) {
                          updateBaseKeysFonts(s);
                          updateBaseKeysStyleSheet(s);
                      }});
    if (m_multiMediaPage)
        pages.append({m_multiMediaPage, [this](double s) { m_multiMediaPage->updateMediaPageStyleSheet(s); }});
    if (m_extraKeysPage)
        pages.append({m_extraKeysPage, [this](double s) { m_extraKeysPage->updateExtraKeysStyleSheet(s); }});
    if (m_mousePage)
        pages.append({m_mousePage, [this](double s) { m_mousePage->updateMouseStyleSheet(s); }});
    if (m_procreatePage)
        pages.append({m_procreatePage, [this](double s) { m_procreatePage->updateProcreateStyleSheet(s); }});
    if (MacroPage *macro = m_functionStack ? m_functionStack->findChild<MacroPage *>() : nullptr)
        pages.append({macro, [macro](double s) { macro->updateMacroPageStyle(s); }});
    return pages;
}

bool Widget::restylePage(QWidget *page, const std::function<void(double)> &restyle, double scale)
{
    const auto it = m_pageStyleScale.constFind(page);
    if (it != m_pageStyleScale.constEnd() && qFuzzyCompare(it.value(), scale))
        return false;
    m_pageStyleScale.insert(page, scale);
    restyle(scale);
    return true;
}

void Widget::updatePageStyles(double scale, bool pageInViewOnly)
{
    const QWidget *inView = m_functionStack ? m_functionStack->currentWidget() : nullptr;
    for (const auto &page : scalablePages())
        if (!pageInViewOnly || page.first == inView)
            restylePage(page.first, page.second, scale);
}

void Widget::restyleHiddenPagesLater()
{
    // Restyling a page costs milliseconds (every button is polished again); the pages out
    // of view follow one per event-loop turn, so the relayout itself stays within a frame.
    if (m_hiddenPageRestyleQueued)
        return;
    m_hiddenPageRestyleQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_hiddenPageRestyleQueued = false;
        for (const auto &page : scalablePages())
            if (restylePage(page.first, page.second, m_scaleRatio)) {
                restyleHiddenPagesLater();
                return;
            }
    });
}

void Widget::setFunctionListSheet(double scale)
{
    if (!m_functionList)
        return;
    // Rows as high as the scale asks, but never so high that the seven rows need a scroll
    // bar in the room the window leaves the list (fitFunctionList measures it).
    int itemHeight = scaledBounded(BOTTOM_LIST_ITEM_HEIGHT * scale, 30, 80);
    if (m_listItemCap > 0)
        itemHeight = qMin(itemHeight, m_listItemCap);
    const int fontPx = qMin(scaledBounded(1.3 * BOTTOM_LIST_FONT_SIZE * scale, 10, 24),
                            qMax(10, itemHeight * 2 / 3));
    m_listFontPx = fontPx;
    const QString sheet = functionListStyleSheet(fontPx, itemHeight);
    if (m_functionList->styleSheet() != sheet)
        m_functionList->setStyleSheet(sheet);
}

void Widget::fitToSettledLayout()
{
    // Both measure what the layout gives now, so it is settled first (once: a full layout
    // pass of the window is the dearest part of a relayout).
    if (m_mainLayout)
        m_mainLayout->activate();
    m_commandColumn->refit(m_scaleRatio);
    fitFunctionList();
}

void Widget::fitFunctionList()
{
    if (!m_functionList || m_functionList->count() == 0)
        return;
    const int room = m_functionList->contentsRect().height();
    const int cap = qMax(16, (room - 1) / m_functionList->count());
    if (cap != m_listItemCap) {
        m_listItemCap = cap;
        setFunctionListSheet(m_scaleRatio);
    }
    // Wide enough for the longest row in its bold font.
    QFont f = m_functionList->font();
    f.setBold(true);
    f.setPixelSize(qMax(1, m_listFontPx));
    int widest = 0;
    for (int i = 0; i < m_functionList->count(); ++i)
        widest = qMax(widest, QFontMetrics(f).horizontalAdvance(m_functionList->item(i)->text()));
    const int width = qMin(250, qMax(m_functionList->minimumWidth(), widest + 16));
    if (width != m_functionList->minimumWidth())
        m_functionList->setFixedWidth(width);
}

void Widget::preUpdateAllElements(double scale)
{
    // Fonts again: the last resize event may have been below the threshold, so the fonts
    // may still be those of an earlier, slightly different scale.
    preUpdateFontsOnly(scale);
    restyleHiddenPagesLater();
    m_commandColumn->applyScale(scale);
    if (m_topBar)
        m_topBar->applyScale(scale);
}

void Widget::updateBottomSectionSizes(double scale)
{
    if (m_functionList) {
        m_functionList->setFixedWidth(scaledBounded(BOTTOM_LIST_WIDTH * scale * 1.5 * 0.8, 100, 250));
        setFunctionListSheet(scale);
    }
    const int pageMin = nearestPx(BOTTOM_STACKED_MIN_HEIGHT * scale);
    if (m_functionStack) {
        m_functionStack->setMinimumHeight(pageMin);
        // The lighting page sizes itself (its picker and effect grid need their own room).
        for (int i = 0; i < m_functionStack->count(); ++i) {
            QWidget *page = m_functionStack->widget(i);
            if (page != m_rgbLedPage)
                page->setMinimumHeight(pageMin);
        }
    }
    if (m_bottomSection)
        m_bottomSection->setMinimumHeight(nearestPx(BOTTOM_WIDGET_MIN_HEIGHT * scale));
}
