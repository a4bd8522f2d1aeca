#include "model/physicallayout.h"

#include <algorithm>

int KnobDescriptor::clusterWidth() const
{
    if (arrangement == Row)
        return 2 * turnSize + pressSize + 2 * BUTTON_GAP;
    return std::max(2 * turnSize + BUTTON_GAP, pressSize);
}

int KnobDescriptor::clusterHeight() const
{
    if (arrangement == Row)
        return std::max(turnSize, pressSize);
    return pressSize + BUTTON_GAP + turnSize;
}

QVector<QRect> KnobDescriptor::buttonRects(double scale) const
{
    // Positions are worked out at scale 1 and each scaled on its own, so the buttons of
    // one knob stay aligned with each other whatever the rounding does.
    auto sc = [scale](int v) { return nearestPx(v * scale); };
    QRect left, right, press;
    if (arrangement == Row) {
        const int h = clusterHeight();
        const int turnY = y + (h - turnSize) / 2;
        const int pressY = y + (h - pressSize) / 2;
        left = QRect(sc(x), sc(turnY), sc(turnSize), sc(turnSize));
        press = QRect(sc(x + turnSize + BUTTON_GAP), sc(pressY), sc(pressSize), sc(pressSize));
        right = QRect(sc(x + turnSize + BUTTON_GAP + pressSize + BUTTON_GAP), sc(turnY),
                      sc(turnSize), sc(turnSize));
    } else {
        const int w = clusterWidth();
        const int pairX = x + (w - (2 * turnSize + BUTTON_GAP)) / 2;
        const int turnY = y + pressSize + BUTTON_GAP;
        press = QRect(sc(x + (w - pressSize) / 2), sc(y), sc(pressSize), sc(pressSize));
        left = QRect(sc(pairX), sc(turnY), sc(turnSize), sc(turnSize));
        right = QRect(sc(pairX + turnSize + BUTTON_GAP), sc(turnY), sc(turnSize), sc(turnSize));
    }
    return {left, right, press};
}

QVector<int> PhysicalLayoutConfig::usedDataIndices() const
{
    QVector<int> used;
    for (int k = 0; k < keyCount; ++k)
        used.append(k);
    for (const KnobDescriptor &knob : knobs)
        for (int a = 0; a < knob.actionCount; ++a)
            used.append(knob.firstIndex + a);
    for (int t = 0; t < 2 * turnOnlyKnobCount; ++t)
        used.append(keyCount + t);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    return used;
}

QPair<int, int> PhysicalLayoutConfig::cellOfKey(int key) const
{
    if (key >= 0 && key < keyCells.size())
        return keyCells.at(key);
    const int cols = std::max(1, columns);
    return qMakePair(key / cols, key % cols);
}

int PhysicalLayoutConfig::knobContainerWidth() const
{
    int w = 0;
    for (const KnobDescriptor &knob : knobs)
        w = std::max(w, knob.x + knob.clusterWidth());
    if (turnOnlyKnobCount > 0)
        w = std::max(w, 2 * turnOnlySize + KnobDescriptor::BUTTON_GAP);
    return w;
}

int PhysicalLayoutConfig::knobContainerHeight() const
{
    int h = 0;
    for (const KnobDescriptor &knob : knobs)
        h = std::max(h, knob.y + knob.clusterHeight());
    if (turnOnlyKnobCount > 0)
        h = std::max(h, turnOnlyKnobCount * turnOnlySize
                            + (turnOnlyKnobCount - 1) * turnOnlyGap);
    return h;
}

QVector<QRect> PhysicalLayoutConfig::turnOnlyRects(double scale) const
{
    auto sc = [scale](int v) { return nearestPx(v * scale); };
    QVector<QRect> rects;
    for (int k = 0; k < turnOnlyKnobCount; ++k) {
        const int y = k * (turnOnlySize + turnOnlyGap);
        rects.append(QRect(0, sc(y), sc(turnOnlySize), sc(turnOnlySize)));
        rects.append(QRect(sc(turnOnlySize + KnobDescriptor::BUTTON_GAP), sc(y), sc(turnOnlySize),
                           sc(turnOnlySize)));
    }
    return rects;
}
