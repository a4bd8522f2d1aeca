// The layer buttons and the rule of how many of them are offered.
#include "app/layerbar.h"

#include "controls/unsavedmark.h"
#include "model/logcategories.h"
#include "model/physicallayout.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDebug>
#include <QPushButton>

namespace {
const char *boolText(bool b)
{
    return b ? "true" : "false";
}
} // namespace

LayerBar::LayerBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("layerColumn"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < LAYER_COUNT; ++i) {
        auto *b = new QPushButton(QStringLiteral("LAYER %1").arg(i + 1), this);
        b->setObjectName(QStringLiteral("layerButton%1").arg(i + 1));
        b->setCheckable(true);
        b->setFlat(true);
        b->setFixedHeight(60);
        b->setProperty("layer", i + 1);
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    layout->addStretch(1);

    m_group = new QButtonGroup(this);
    for (int i = 0; i < LAYER_COUNT; ++i)
        m_group->addButton(m_buttons[i], i);
    m_group->setExclusive(true);
    m_buttons[0]->setChecked(true);
    connect(m_group, &QButtonGroup::idClicked, this, &LayerBar::layerChosen);

    for (QPushButton *b : m_buttons) {
        auto *mark = new UnsavedMark(b);
        mark->hide();
        m_marks.append(mark);
    }
}

QPushButton *LayerBar::button(int index) const
{
    return (index >= 0 && index < LAYER_COUNT) ? m_buttons[index] : nullptr;
}

void LayerBar::setStartupCount(int count)
{
    m_startupCount = count;
}

void LayerBar::setForcedCount(int count)
{
    m_forcedCount = count < 0 ? -1 : qMin(count, LAYER_COUNT);
}

void LayerBar::setLastConnectedCount(int count)
{
    m_lastConnectedCount = count;
}

int LayerBar::displayCount(const LayerCountInputs &device) const
{
    LayerCountInputs in = device;
    in.forced = m_forcedCount;
    in.lastConnected = m_lastConnectedCount;
    in.startup = m_startupCount;
    const LayerCountChoice choice = chooseLayerCount(in);
    qCDebug(lcLayers).nospace() << "[Layer] effectiveLayerDisplayCount source=" << choice.source
                                << " forced=" << m_forcedCount
                                << " deviceValid=" << boolText(in.deviceValid)
                                << " deviceLayer=" << in.deviceLayers
                                << " legacyLayer=" << in.legacyLayers << " result=" << choice.count;
    return choice.count;
}

void LayerBar::showCount(int count)
{
    for (int i = 0; i < LAYER_COUNT; ++i) {
        m_buttons[i]->setVisible(i < count);
        m_buttons[i]->setEnabled(i < count);
    }
    qCDebug(lcLayers) << "[Layer] button visible states" << !m_buttons[0]->isHidden()
                      << !m_buttons[1]->isHidden() << !m_buttons[2]->isHidden();
    if (count == 0) {
        // An exclusive group keeps one button on; lift that while turning them all off.
        m_group->setExclusive(false);
        for (QPushButton *b : m_buttons)
            b->setChecked(false);
        m_group->setExclusive(true);
    }
}

void LayerBar::setCheckedLayer(int layer)
{
    for (int i = 0; i < LAYER_COUNT; ++i)
        m_buttons[i]->setChecked(i == layer);
}

void LayerBar::setLayerUnsaved(int layer, bool unsaved)
{
    if (layer >= 0 && layer < m_marks.size())
        m_marks[layer]->setVisible(unsaved);
}

void LayerBar::fitToWindowWidth(int windowWidth, int designWidth)
{
    const int w = qMax(BASE_BUTTON_WIDTH,
                       nearestPx(BASE_BUTTON_WIDTH * WIDTH_SCALE_RATIO * windowWidth / double(designWidth)));
    setFixedWidth(w);
    const QString style = QStringLiteral(
        "QPushButton { min-width: %1px; max-width: %1px; min-height: 60px; max-height: 60px;"
        " font-size: 16px; font-weight: bold; color: white; text-align: center; border: none;"
        " border-radius: 0px; background: transparent; padding: 0px; margin: 0px; outline: none; }"
        "QPushButton:checked, QPushButton:checked:hover { background-color: #404040; }"
        "QPushButton:hover:!checked { background: transparent; }").arg(w);
    for (QPushButton *b : m_buttons) {
        b->setFixedWidth(w);
        b->setStyleSheet(style);
    }
}
