#include "app/windowscaler.h"

#include <QEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Smaller changes are not worth a relayout (and would make the panel jitter by a pixel).
constexpr double kScaleThreshold = 0.01;

} // namespace

WindowScaler::WindowScaler(QWidget *window)
    : QObject(window), m_window(window)
{
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(SETTLE_MS);
    connect(m_timer, &QTimer::timeout, this, &WindowScaler::settle);
    window->installEventFilter(this);
}

double WindowScaler::scaleForSize(const QSize &size)
{
    const double ratio = qMin(size.width() / double(DESIGN_WIDTH),
                              size.height() / double(DESIGN_HEIGHT));
    return qMax(MINIMUM_SCALE, ratio);
}

void WindowScaler::setTallPageTest(std::function<bool()> shown)
{
    m_tallPageShown = std::move(shown);
}

bool WindowScaler::eventFilter(QObject *watched, QEvent *event)
{
    // The window's own handlers of both events do nothing, so acting ahead of them is acting
    // in their place.
    if (watched == m_window) {
        if (event->type() == QEvent::Resize)
            onResized(static_cast<QResizeEvent *>(event)->size());
        else if (event->type() == QEvent::Show && !event->spontaneous())
            onFirstShow();
    }
    return QObject::eventFilter(watched, event);
}

void WindowScaler::onResized(const QSize &size)
{
    // A window not shown yet is laid out whole, at its size then, when it is first shown.
    if (!m_firstShowDone)
        return;
    // Remembered so that leaving the maximised state on the tall page can bring the window
    // back to a usable height (see applyTallPageRule).
    if (m_tallPageShown && m_tallPageShown() && m_window->isMaximized()) {
        m_wasMaximized = true;
        m_maximizedSize = size;
    }

    const double ratio = scaleForSize(size);
    m_targetScaleRatio = ratio;
    if (qAbs(ratio - m_scaleRatio) >= kScaleThreshold) {
        m_resizePending = true;
        emit fontsRescaled(ratio);
    }
    m_timer->start(); // restarts: the relayout runs once the resizing pauses
}

void WindowScaler::onFirstShow()
{
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;

    // The window opens at the scale of the size it opens at (a small screen gives a small
    // window): fonts and geometry are set for that scale together, by the relayout, which
    // begins with the fonts.
    m_scaleRatio = scaleForSize(m_window->size());
    m_targetScaleRatio = m_scaleRatio;
    m_resizePending = false;
    emit firstShown();
    m_sizeLaidOut = m_window->size();
    emit relayoutRequested(m_scaleRatio);
    m_window->update();
}

void WindowScaler::settle()
{
    if (!m_resizePending) {
        // The scale held (say, only the width grew on a short screen, or the window is below
        // the smallest scale), but the size-bound parts are fitted to the size itself.
        if (m_window->size() != m_sizeLaidOut) {
            m_sizeLaidOut = m_window->size();
            emit refitRequested();
        }
        // A restore from maximised may keep the scale (same aspect) yet still be too tall.
        applyTallPageRule();
        return;
    }
    m_scaleRatio = m_targetScaleRatio;
    m_resizePending = false;
    m_sizeLaidOut = m_window->size();
    emit relayoutRequested(m_scaleRatio);
    applyTallPageRule();

    m_window->update();
    emit rescaled(m_scaleRatio);
}

void WindowScaler::applyTallPageRule()
{
    if (!m_tallPageShown || !m_tallPageShown() || !m_wasMaximized || m_window->isMaximized()
        || m_window->isFullScreen())
        return;
    // The state may turn normal before the restored geometry arrives; judge that geometry.
    if (m_window->size() == m_maximizedSize)
        return;
    m_wasMaximized = false;
    // Restored from maximised on the tall page: the window manager may hand back the
    // maximised height, taller than the page can use.
    if (m_window->height() > DESIGN_HEIGHT)
        m_window->resize(m_window->width(), qMax(MIN_HEIGHT, DESIGN_HEIGHT));
}
