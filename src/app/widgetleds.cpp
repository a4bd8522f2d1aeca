// Lighting: the RGB LED page and the legacy lighting pages in the window, and the LED
// colours the panel keys show while a lighting page is in view.
#include "app/widget.h"

#include "controls/keybutton.h"
#include "controls/rgbcolorpickerwidget.h"
#include "model/logcategories.h"
#include "pages/legacyoldrgbledpage.h"
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

QWidget *Widget::createRGBLEDPage()
{
    m_rgbPage = new RgbLedPage(&m_keyboardData, m_functionStack);
    m_rgbPage->setLayoutName(m_currentLayout.name);
    m_rgbPage->refreshRgbModeButtons();
    connect(m_rgbPage, &RgbLedPage::colorPicked, this, &Widget::onRgbColorPicked);
    connect(m_rgbPage, &RgbLedPage::modeSelected, this, [this](int mode) {
        qCDebug(lcWindow) << "[RGB] mode" << mode << "layer" << m_keyboardData.currentLayer();
        refreshPhysicalKeyDisplayMode();
    });
    return m_rgbPage;
}

QWidget *Widget::createLegacyRgbLedPage()
{
    m_legacyRgbPage = new LegacyRgbLedPage(&m_keyboardData, m_functionStack);
    // A disconnection clears m_legacyDevice, so these checks also cover "connected".
    m_legacyRgbPage->setDeviceCheck(
        [this] { return m_legacyDevice && m_legacyInfo.format == LegacyDeviceInfo::R10Udav; });
    m_legacyRgbPage->setKeySelectedCheck([this] { return selectedKeyButton() != nullptr; });
    connect(m_legacyRgbPage, &LegacyRgbLedPage::ledColorsChanged, this,
            &Widget::applyRgbLedKeyDisplay);
    return m_legacyRgbPage;
}

QWidget *Widget::createLegacyOldRgbLedPage()
{
    m_legacyOldRgbPage = new LegacyOldRgbLedPage(&m_keyboardData, m_functionStack);
    m_legacyOldRgbPage->setDeviceCheck(
        [this] { return m_legacyDevice && m_legacyInfo.format == LegacyDeviceInfo::Old; });
    return m_legacyOldRgbPage;
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
    return RgbLedPage::rgbModeOptionsForLayout(m_currentLayout.name);
}

void Widget::refreshRgbModeButtons()
{
    if (!m_rgbPage)
        return;
    m_rgbPage->setLayoutName(m_currentLayout.name);
    m_rgbPage->refreshRgbModeButtons();
}

void Widget::checkRgbModeButton(int mode)
{
    if (!m_rgbPage)
        return;
    // Re-offering the layout's effects first also moves a layer whose stored mode this
    // layout cannot show (read from the keypad, or kept from another layer) to one it can.
    refreshRgbModeButtons();
    const int layer = m_keyboardData.currentLayer();
    const bool inRange = layer >= 0 && layer < KeyboardData::LAYER_COUNT;
    m_rgbPage->checkRgbModeButton(inRange ? int(m_keyboardData.ledConfig(layer).mode) : mode);
}

void Widget::updateRgbLedPageStyle(double scale)
{
    if (!m_rgbPage)
        return;
    m_rgbPage->setLayoutName(m_currentLayout.name);
    m_rgbPage->updateRgbLedPageStyle(scale);
}

void Widget::onRgbColorPicked(const QColor &color)
{
    if (!m_rgbLedPageActive)
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
    if (!m_rgbPage || !m_rgbPage->colorPicker())
        return;
    if (hasStandaloneLedLayout()) {
        refreshStandaloneLedDisplay(-1);
        return;
    }
    if (!selectedKeyButton())
        return;
    const int sel = m_keyboardData.selectedKey();
    m_rgbPage->colorPicker()->setColor(sel <= 15 ? ledColorOf(sel) : kNoLedColor);
}

void Widget::applyRgbLedKeyDisplay()
{
    for (int k = 0; k < PHYSICAL_KEY_COUNT; ++k) {
        auto *key = qobject_cast<KeyButton *>(buttonAt(k));
        if (!key)
            continue;
        key->setText(QString());
        key->setCustomColor(ledColorOf(k));
        if (!key->isAssigned())
            key->setAssigned(true);
        key->update();
    }
    updateKeyNumberColors();
}

void Widget::refreshLegacyRgbLedPage()
{
    if (m_legacyRgbPage)
        m_legacyRgbPage->refreshLegacyRgbLedPage();
}

void Widget::refreshLegacyOldRgbLedPage()
{
    if (m_legacyOldRgbPage)
        m_legacyOldRgbPage->refreshLegacyOldRgbLedPage();
}
