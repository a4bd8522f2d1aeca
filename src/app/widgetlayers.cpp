// Layer buttons: how many are offered and switching between layers.
#include "app/widget.h"

#include "model/logcategories.h"

#include <QButtonGroup>
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
    return (index >= 0 && index < 3) ? m_layerButtons[index] : nullptr;
}

void Widget::initLayerSwitchLogic()
{
    m_layerGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i)
        m_layerGroup->addButton(m_layerButtons[i], i);
    m_layerGroup->setExclusive(true);
    m_layerButtons[0]->setChecked(true);
    connect(m_layerGroup, &QButtonGroup::idClicked, this,
            &Widget::onLayerButtonClicked);
    updateLayerBtnWidth();
}

void Widget::setForcedLayerDisplayCount(int count)
{
    m_forcedLayerCount = count < 0 ? -1 : qMin(count, 3);
    qCDebug(lcLayers).nospace() << "[Layer] setForcedLayerDisplayCount count=" << count
                                << " stored=" << m_forcedLayerCount
                                << " deviceValid=" << boolText(m_deviceInfo.valid)
                                << " deviceLayer=" << m_deviceInfo.layerCount
                                << " legacyLayer=" << m_legacyInfo.layerCount;
    updateLayerButtonsVisibility();
}

int Widget::effectiveLayerDisplayCount() const
{
    const char *source;
    int value;
    if (m_forcedLayerCount >= 0) {
        source = "forced";
        value = m_forcedLayerCount;
    } else if (m_deviceInfo.valid) {
        source = "device";
        value = m_deviceInfo.layerCount;
    } else if (m_legacyDevice) {
        source = "legacy";
        value = m_legacyInfo.layerCount;
    } else if (m_lastConnectedLayerCount >= 1) {
        source = "lastConnected";
        value = m_lastConnectedLayerCount;
    } else {
        source = "startupDefault";
        value = m_startupLayerCount;
    }
    const int result = value < 1 ? 0 : qMin(value, 3);
    qCDebug(lcLayers).nospace() << "[Layer] effectiveLayerDisplayCount source=" << source
                                << " forced=" << m_forcedLayerCount
                                << " deviceValid=" << boolText(m_deviceInfo.valid)
                                << " deviceLayer=" << m_deviceInfo.layerCount
                                << " legacyLayer=" << m_legacyInfo.layerCount << " result=" << result;
    return result;
}

void Widget::updateLayerButtonsVisibility()
{
    if (!m_layerGroup)
        return; // the buttons do not exist yet (settings are read before the widgets)
    const int n = effectiveLayerDisplayCount();
    const int current = m_keyboardData.currentLayer();
    qCDebug(lcLayers).nospace() << "[Layer] updateLayerButtonsVisibility forced=" << m_forcedLayerCount
                                << " effective=" << n << " currentLayer=" << current
                                << " deviceValid=" << boolText(m_deviceInfo.valid)
                                << " deviceLayer=" << m_deviceInfo.layerCount
                                << " legacyLayer=" << m_legacyInfo.layerCount;
    for (int i = 0; i < 3; ++i) {
        m_layerButtons[i]->setVisible(i < n);
        m_layerButtons[i]->setEnabled(i < n);
    }
    qCDebug(lcLayers) << "[Layer] button visible states" << !m_layerButtons[0]->isHidden()
                      << !m_layerButtons[1]->isHidden() << !m_layerButtons[2]->isHidden();

    if (n == 0) {
        // An exclusive group keeps one button on; lift that while turning them all off.
        m_layerGroup->setExclusive(false);
        for (QPushButton *b : m_layerButtons)
            b->setChecked(false);
        m_layerGroup->setExclusive(true);
        return;
    }
    const int g = qBound(0, current, n - 1);
    if (g != current)
        m_keyboardData.setCurrentLayer(g);
    m_layerButtons[0]->setChecked(g == 0);
    m_layerButtons[1]->setChecked(g == 1 && n >= 2);
    m_layerButtons[2]->setChecked(g == 2 && n == 3);
}

void Widget::onLayerButtonClicked(int id)
{
    m_keyboardData.setCurrentLayer(id);
    refreshKeyButtonVisuals();
    refreshPhysicalKeyDisplayMode();
    updateLayerButtonsVisibility();
    if (keyFunctionDisplay())
        keyFunctionDisplay()->clear();
    m_highlightedButton = nullptr;
    qCDebug(lcLayers) << "Switched to Layer" << id + 1;
}

void Widget::updateLayerBtnWidth()
{
    const int w = qMax(BASE_LAYER_BTN_WIDTH,
                       nearestPx(BASE_LAYER_BTN_WIDTH * LAYER_WIDTH_SCALE_RATIO * width()
                                 / double(DESIGN_WIDTH)));
    if (m_layerColumn)
        m_layerColumn->setFixedWidth(w);
    const QString style = QStringLiteral(
        "QPushButton { min-width: %1px; max-width: %1px; min-height: 60px; max-height: 60px;"
        " font-size: 16px; font-weight: bold; color: white; text-align: center; border: none;"
        " border-radius: 0px; background: transparent; padding: 0px; margin: 0px; outline: none; }"
        "QPushButton:checked, QPushButton:checked:hover { background-color: #404040; }"
        "QPushButton:hover:!checked { background: transparent; }").arg(w);
    for (QPushButton *b : m_layerButtons) {
        if (!b)
            continue;
        b->setFixedWidth(w);
        b->setStyleSheet(style);
    }
}
