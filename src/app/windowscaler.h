#pragma once

#include <QObject>
#include <QSize>

#include <functional>

class QTimer;
class QWidget;

// Decides when the window is laid out again and at which scale. Fonts follow a resize at
// once so text never looks stale while the user drags; the heavier relayout waits for a
// short quiet spell after the last resize event, so a drag costs one relayout instead of one
// per event. It watches the window's resize and show events; the window lays its parts out
// when told to.
class WindowScaler : public QObject
{
    Q_OBJECT

public:
    // The window's design size (scale 1) and the smallest size it may take.
    static constexpr int DESIGN_WIDTH = 1500;
    static constexpr int DESIGN_HEIGHT = 1100;
    static constexpr int MIN_WIDTH = 800;
    static constexpr int MIN_HEIGHT = 600;
    static constexpr double MINIMUM_SCALE = 0.8;
    // Quiet spell after the last resize event before the relayout, in ms.
    static constexpr int SETTLE_MS = 10;

    explicit WindowScaler(QWidget *window);

    // min(width / 1500, height / 1100), never below 0.8.
    static double scaleForSize(const QSize &size);

    // The scale the window was last laid out at (1.0 at the design size).
    double scaleRatio() const { return m_scaleRatio; }
    // Whether the window has been shown: until then nothing is worth fitting, as the first
    // show lays every part out at the scale the window opens at.
    bool hasShown() const { return m_firstShowDone; }
    // The window size the size-bound parts were last fitted to.
    QSize laidOutSize() const { return m_sizeLaidOut; }

    // Whether the window shows a page that cannot use more than the design height (the
    // lighting page): a window restored from maximised on it is brought back to that height.
    void setTallPageTest(std::function<bool()> shown);

    // Lays the window out for its size now, when a resize asked for it.
    void settle();

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The window opens: it settles its layouts so that the first relayout measures them.
    void firstShown();
    // Fonts follow a resize of the shown window at once.
    void fontsRescaled(double scale);
    // Lay the window out at `scale` for its current size.
    void relayoutRequested(double scale);
    // The size changed but the scale held: fit the size-bound parts to the size.
    void refitRequested();
    // A relayout at a new scale after a resize is done.
    void rescaled(double scale);

private:
    void onResized(const QSize &size);
    void onFirstShow();
    void applyTallPageRule();

    QWidget *m_window = nullptr;
    QTimer *m_timer = nullptr;
    std::function<bool()> m_tallPageShown;
    double m_scaleRatio = 1.0;
    double m_targetScaleRatio = 1.0;
    bool m_resizePending = false;
    bool m_wasMaximized = false;
    QSize m_maximizedSize; // the last size seen while maximised on the tall page
    bool m_firstShowDone = false;
    QSize m_sizeLaidOut;
};
