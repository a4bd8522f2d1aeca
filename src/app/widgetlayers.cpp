// Layer buttons: how many are offered and switching between layers. The LayerBar owns the
// buttons and the counts; the window knows the keypad and the current layer.
#include "app/widget.h"

#include "model/logcategories.h"

#include <QDebug>
#include <QPushButton>
#include <QTextEdit>

namespace {
const char *boolText(bool b)
{
    return b ? "true" : "false";
}
} // namespace

QPushButton *Widget::layerButton(int index) const
{
    return m_layerBar ? m_layerBar->button(index) : nullptr;
}

void Widget::initLayerSwitchLogic()
{
    connect(m_layerBar, &LayerBar::layerChosen, this, &Widget::onLayerButtonClicked);
    m_layerBar->fitToWindowWidth(width(), DESIGN_WIDTH);
}

void Widget::setForcedLayerDisplayCount(int count)
{
    m_layerBar->setForcedCount(count);
    qCDebug(lcLayers).nospace() << "[Layer] setForcedLayerDisplayCount count=" << count
                                << " stored=" << m_layerBar->forcedCount()
                                << " deviceValid=" << boolText(deviceInfo().valid)
                                << " deviceLayer=" << deviceInfo().layerCount
                                << " legacyLayer=" << legacyInfo().layerCount;
    updateLayerButtonsVisibility();
}

int Widget::effectiveLayerDisplayCount() const
{
    LayerCountInputs device;
    device.deviceValid = deviceInfo().valid;
    device.deviceLayers = deviceInfo().layerCount;
    device.legacy = isLegacyDevice();
    device.legacyLayers = legacyInfo().layerCount;
    return m_layerBar->displayCount(device);
}

void Widget::updateLayerButtonsVisibility()
{
    if (!m_layerBar)
        return; // the window is not built yet
    const int n = effectiveLayerDisplayCount();
    const int current = m_keyboardData.currentLayer();
    qCDebug(lcLayers).nospace() << "[Layer] updateLayerButtonsVisibility forced=" << m_layerBar->forcedCount()
                                << " effective=" << n << " currentLayer=" << current
                                << " deviceValid=" << boolText(deviceInfo().valid)
                                << " deviceLayer=" << deviceInfo().layerCount
                                << " legacyLayer=" << legacyInfo().layerCount;
    m_layerBar->showCount(n);
    if (n == 0)
        return;
    const int g = qBound(0, current, n - 1);
    if (g != current)
        m_keyboardData.setCurrentLayer(g);
    m_layerBar->setCheckedLayer(g);
}

void Widget::onLayerButtonClicked(int id)
{
    m_keyboardData.setCurrentLayer(id);
    refreshKeyButtonVisuals();
    refreshPhysicalKeyDisplayMode();
    updateLayerButtonsVisibility();
    if (QTextEdit *display = keyFunctionDisplay())
        display->clear();
    m_panel->forgetHighlight();
    qCDebug(lcLayers) << "Switched to Layer" << id + 1;
}
