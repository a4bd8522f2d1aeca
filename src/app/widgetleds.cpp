// Lighting: the RGB LED page and the legacy lighting pages in the window, and the LED
// colours the panel keys show while a lighting page is in view.
#include "app/widget.h"

#include "app/edithistory.h"
#include "app/functionpages.h"

#include "controls/keybutton.h"
#include "controls/rgbcolorpickerwidget.h"
#include "model/logcategories.h"
#include "pages/legacyrgbledpage.h"
#include "pages/rgbledpage.h"

#include <QDebug>
#include <QStackedWidget>

namespace {

const QColor kNoLedColor(255, 255, 0);

LedColorData toLed(const QColor &c)
{
    return LedColorData{quint8(c.red()), quint8(c.green()), quint8(c.blue())};
}

} // namespace

void Widget::wireRgbLedPage(RgbLedPage *page)
{
    connect(page, &RgbLedPage::colorPicked, this, &Widget::onRgbColorPicked);
    connect(page, &RgbLedPage::modeSelected, this, [this](int mode) {
        qCDebug(lcWindow) << "[RGB] mode" << mode << "layer" << m_keyboardData.currentLayer();
        refreshPhysicalKeyDisplayMode();
    });
    if (m_history && page->colorPicker())
        m_history->holdWhileDragging(page->colorPicker(), QStringLiteral("Lighting Colour"));
    // The effects on offer depend on the panel's layout, the page's sizes on the scale.
    refreshRgbModeButtons();
    updateRgbLedPageStyle(scaleRatio());
}

void Widget::wireLegacyRgbLedPage(LegacyRgbLedPage *page)
{
    page->setKeySelectedCheck([this] { return selectedKeyButton() != nullptr; });
    connect(page, &LegacyRgbLedPage::ledColorsChanged, this, &Widget::applyRgbLedKeyDisplay);
}

KeyButton *Widget::selectedKeyButton() const
{
    const int sel = m_keyboardData.selectedKey();
    if (sel < 0)
        return nullptr;
    return qobject_cast<KeyButton *>(buttonAt(buttonIndexFromDataIndex(sel)));
}

QColor Widget::ledColorOf(int ledIndex) const
{
    const int layer = m_keyboardData.currentLayer();
    if (layer < 0 || layer >= KeyboardData::LAYER_COUNT || ledIndex < 0
        || ledIndex >= KeyboardData::LEDS_PER_LAYER)
        return kNoLedColor;
    return m_keyboardData.ledConfig(layer).colors[size_t(ledIndex)].toColor();
}

QVector<RgbModeOption> Widget::rgbModeOptionsForCurrentLayout() const
{
    return RgbLedPage::rgbModeOptionsForLayout(currentLayout().name);
}

void Widget::refreshRgbModeButtons()
{
    RgbLedPage *page = m_pages->builtRgbLedPage();
    if (!page) {
        RgbLedPage::keepModeOffered(&m_keyboardData, currentLayout().name);
        return;
    }
    page->setLayoutName(currentLayout().name);
    page->refreshRgbModeButtons();
}

void Widget::checkRgbModeButton(int mode)
{
    RgbLedPage *page = m_pages->builtRgbLedPage();
    if (!page)
        return;
    // Re-offering the layout's effects first also moves a layer whose stored mode this
    // layout cannot show (read from the keypad, or kept from another layer) to one it can.
    refreshRgbModeButtons();
    const int layer = m_keyboardData.currentLayer();
    const bool inRange = layer >= 0 && layer < KeyboardData::LAYER_COUNT;
    page->checkRgbModeButton(inRange ? int(m_keyboardData.ledConfig(layer).mode) : mode);
}

void Widget::updateRgbLedPageStyle(double scale)
{
    RgbLedPage *page = m_pages->builtRgbLedPage();
    if (!page) {
        // The effects on offer follow the layout even before the page is built.
        RgbLedPage::keepModeOffered(&m_keyboardData, currentLayout().name);
        return;
    }
    page->setLayoutName(currentLayout().name);
    page->updateRgbLedPageStyle(scale);
}

void Widget::onRgbColorPicked(const QColor &color)
{
    if (!isRgbLedPageActive())
        return;
    const LedColorData led = toLed(color);
    const int layer = m_keyboardData.currentLayer();
    if (hasStandaloneLedLayout()) {
        m_keyboardData.setLedColor(layer, selectedStandaloneLed(), led);
        refreshStandaloneLedDisplay(-1);
        return;
    }
    const int sel = m_keyboardData.selectedKey();
    if (!selectedKeyButton())
        return; // nothing selected, or a knob action: it has no light
    if (sel <= 15)
        m_keyboardData.setLedColor(layer, sel, led);
    applyRgbLedKeyDisplay();
}

void Widget::syncColorPickerToSelection()
{
    RgbLedPage *page = m_pages->builtRgbLedPage();
    if (!page || !page->colorPicker())
        return;
    if (hasStandaloneLedLayout()) {
        refreshStandaloneLedDisplay(-1);
        return;
    }
    if (!selectedKeyButton())
        return;
    const int sel = m_keyboardData.selectedKey();
    page->colorPicker()->setColor(sel <= 15 ? ledColorOf(sel) : kNoLedColor);
}

void Widget::applyRgbLedKeyDisplay()
{
    m_panel->showLedColors();
}
