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

    // The window opens at the design scale; later resizes rescale it. The resize event that
    // precedes the first show may already have shrunk the fonts, so they are set back to
    // scale 1 as well: fonts and geometry must never disagree.
    m_scaleRatio = 1.0;
    m_targetScaleRatio = 1.0;
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
        // The scale held (say, only the width grew on a short screen), but the layer
        // column and the display area are sized from the width alone.
        if (width() != m_widthLaidOut) {
            m_widthLaidOut = width();
            updateLayerBtnWidth();
            updateInputFrameWidth();
            refitFunctionButtons();
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
    repaint();
    if (hasStandaloneLedLayout())
        QTimer::singleShot(0, this, [this] { refreshStandaloneLedDisplay(-1); });
}

void Widget::relayoutAt(double scale)
{
    qCDebug(lcWindow).nospace() << "[Scale] relayout scale=" << scale << " size=" << width() << "x"
                                << height();
    preUpdateAllElements(scale);
    updateBottomSectionSizes(scale);
    m_widthLaidOut = width();
    updateLayerBtnWidth();
    updateKnobGroupAbsoluteLayout(scale);
    updateInputFrameWidth();
    updateRgbLedPageStyle(scale);
    refitFunctionButtons();
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
    const QString buttonSheet = functionButtonStyleSheet(scale);
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton})
        if (b && b->styleSheet() != buttonSheet)
            b->setStyleSheet(buttonSheet);
    if (m_functionList)
        m_functionList->setStyleSheet(functionListStyleSheet(
            scaledBounded(1.3 * BOTTOM_LIST_FONT_SIZE * scale, 10, 24),
            scaledBounded(BOTTOM_LIST_ITEM_HEIGHT * scale, 30, 80)));
    if (m_keyFunctionDisplay)
        m_keyFunctionDisplay->setStyleSheet(
            QStringLiteral("QTextEdit#keyFunctionDisplay { font-size: %1px; }")
                .arg(qMax(14, nearestPx(18 * scale))));

    // The status line: its own rule on the bar outranks the window sheet's 24 px.
    if (m_topBar)
        m_topBar->setStyleSheet(QStringLiteral("QLabel#topTipBar { font-size: %1px; }")
                                    .arg(qMax(18, nearestPx(24 * scale))));

    updatePageStyles(scale, true);
}

void Widget::updatePageStyles(double scale, bool pageInViewOnly)
{
    const QWidget *inView = m_functionStack ? m_functionStack->currentWidget() : nullptr;
    auto due = [&](const QWidget *page) {
        if (!page || (pageInViewOnly && page != inView))
            return false;
        const auto it = m_pageStyleScale.constFind(page);
        if (it != m_pageStyleScale.constEnd() && qFuzzyCompare(it.value(), scale))
            return false;
        m_pageStyleScale.insert(page, scale);
        return true;
    };
    if (due(m_baseKeysPage)) {
        updateBaseKeysFonts(scale);
        updateBaseKeysStyleSheet(scale);
    }
    if (due(m_multiMediaPage))
        m_multiMediaPage->updateMediaPageStyleSheet(scale);
    if (due(m_extraKeysPage))
        m_extraKeysPage->updateExtraKeysStyleSheet(scale);
    if (due(m_mousePage))
        m_mousePage->updateMouseStyleSheet(scale);
    if (due(m_procreatePage))
        m_procreatePage->updateProcreateStyleSheet(scale);
    MacroPage *macro = m_functionStack ? m_functionStack->findChild<MacroPage *>() : nullptr;
    if (due(macro))
        macro->updateMacroPageStyle(scale);
}

QString Widget::functionButtonStyleSheet(double scale) const
{
    constexpr int kFloorPx = 20;
    constexpr int kSideRoom = 0; // the buttons have neither border nor padding
    int px = qMax(kFloorPx, nearestPx(INIT_FUNC_BTN_FONT_SIZE * scale));
    const QPushButton *buttons[] = {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton};
    auto fits = [&](int size) {
        for (const QPushButton *b : buttons) {
            if (!b || !b->isVisible() || b->width() <= kSideRoom)
                continue;
            QFont f = b->font();
            f.setBold(true);
            f.setPixelSize(size);
            if (QFontMetrics(f).horizontalAdvance(b->text()) > b->width() - kSideRoom)
                return false;
        }
        return true;
    };
    while (px > kFloorPx && !fits(px))
        --px;
    return QStringLiteral("QPushButton { font-size: %1px; font-weight: bold; min-height: %2px; }")
        .arg(px)
        .arg(qMax(50, nearestPx(INIT_FUNC_BTN_HEIGHT * scale)));
}

void Widget::refitFunctionButtons()
{
    // Measured against the widths the layout gives now, so settle it first.
    if (m_mainLayout)
        m_mainLayout->activate();
    const QString sheet = functionButtonStyleSheet(m_scaleRatio);
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton})
        if (b && b->styleSheet() != sheet)
            b->setStyleSheet(sheet);
}

void Widget::preUpdateAllElements(double scale)
{
    // Fonts again: the last resize event may have been below the threshold, so the fonts
    // may still be those of an earlier, slightly different scale.
    preUpdateFontsOnly(scale);
    updatePageStyles(scale, false);
    scaleButtons(scale);
    if (m_topBar) {
        m_topBar->setFixedHeight(qMax(50, nearestPx(50 * scale)));
        if (m_statusLabel)
            m_statusLabel->setFixedHeight(qMax(34, nearestPx(34 * scale)));
    }
    updateKnobGroupAbsoluteLayout(scale);
    updateWidgetSizes();
    updatePhysicalPanelGeometry(scale);
}

void Widget::updateBottomSectionSizes(double scale)
{
    if (m_functionList) {
        m_functionList->setFixedWidth(scaledBounded(BOTTOM_LIST_WIDTH * scale * 1.5 * 0.8, 100, 250));
        m_functionList->setStyleSheet(functionListStyleSheet(
            scaledBounded(1.3 * BOTTOM_LIST_FONT_SIZE * scale, 10, 24),
            scaledBounded(BOTTOM_LIST_ITEM_HEIGHT * scale, 30, 80)));
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
