// The separate LEDs of the knob-only keypad beside the panel: StandaloneLedColumn draws
// them; the window hands it the layout, the page in view and the model's colours, and points
// the colour picker of the RGB LED page at the chosen LED.
#include "app/standaloneledlayout.h"
#include "app/widget.h"

#include "app/functionpages.h"

#include "controls/rgbcolorpickerwidget.h"
#include "pages/rgbledpage.h"

#include <QFrame>
#include <QGroupBox>

void Widget::initStandaloneLeds()
{
    m_standaloneLeds = new StandaloneLedColumn(m_panel->group(), physicalPanelFrame(), this);
    m_standaloneLeds->setColorSource([this](int ledIndex) { return ledColorOf(ledIndex); });
    connect(m_standaloneLeds, &StandaloneLedColumn::ledChosen, this, &Widget::selectStandaloneLedIndex);
    connect(m_standaloneLeds, &StandaloneLedColumn::frameMoved, this, [this] {
        if (hasStandaloneLedLayout())
            refreshStandaloneLedDisplay(-1);
    });
}

StandaloneLedLayoutConfig Widget::standaloneLedLayoutConfig() const
{
    return StandaloneLedLayoutConfig::forLayout(currentLayout().name);
}

bool Widget::hasStandaloneLedLayout() const
{
    const StandaloneLedLayoutConfig c = standaloneLedLayoutConfig();
    return c.enabled && !c.leds.isEmpty();
}

void Widget::refreshStandaloneLedDisplay(double scale)
{
    if (scale <= 0)
        scale = panelScale() > 0 ? panelScale() : 1.0;
    RgbLedPage *page = m_pages->builtRgbLedPage();
    RgbColorPickerWidget *picker = page ? page->colorPicker() : nullptr;
    if (m_standaloneLeds->refresh(standaloneLedLayoutConfig(), scale, isRgbLedPageActive()) && picker)
        picker->setColor(ledColorOf(selectedStandaloneLed()));
}

void Widget::selectStandaloneLedIndex(int ledIndex)
{
    const StandaloneLedLayoutConfig c = standaloneLedLayoutConfig();
    if (!c.enabled || c.leds.isEmpty())
        return;
    RgbLedPage *page = m_pages->builtRgbLedPage();
    RgbColorPickerWidget *picker = page ? page->colorPicker() : nullptr;
    if (m_standaloneLeds->select(c, ledIndex, isRgbLedPageActive()) && picker)
        picker->setColor(ledColorOf(selectedStandaloneLed()));
    refreshStandaloneLedDisplay(-1);
}
