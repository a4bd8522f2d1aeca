// Panel presets: choosing one for a device or for start-up, and what follows when one is
// applied to the panel (PanelView): the row's fit, the slots, the captions, the title.
#include "app/widget.h"

#include "model/layoutpresets.h"
#include "app/windowtitle.h"
#include "model/logcategories.h"
#include "model/slotmap.h"

#include <QDebug>
#include <QPushButton>

Widget::PhysicalLayoutConfig Widget::buildDefault16Plus3Layout() const { return LayoutPresets::buildDefault16Plus3Layout(); }
Widget::PhysicalLayoutConfig Widget::build16Plus3LayoutS1() const { return LayoutPresets::build16Plus3LayoutS1(); }
Widget::PhysicalLayoutConfig Widget::build16Plus3LayoutS2() const { return LayoutPresets::build16Plus3LayoutS2(); }
Widget::PhysicalLayoutConfig Widget::build16Plus3LayoutS3() const { return LayoutPresets::build16Plus3LayoutS3(); }
Widget::PhysicalLayoutConfig Widget::build6Plus1Layout() const { return LayoutPresets::build6Plus1Layout(); }
Widget::PhysicalLayoutConfig Widget::build6Plus0Layout() const { return LayoutPresets::build6Plus0Layout(); }
Widget::PhysicalLayoutConfig Widget::build1Plus0Layout() const { return LayoutPresets::build1Plus0Layout(); }
Widget::PhysicalLayoutConfig Widget::build0Plus1Layout() const { return LayoutPresets::build0Plus1Layout(); }
Widget::PhysicalLayoutConfig Widget::build0Plus1LayoutP1S1() const { return LayoutPresets::build0Plus1LayoutP1S1(); }
Widget::PhysicalLayoutConfig Widget::build5Plus2Layout() const { return LayoutPresets::build5Plus2Layout(); }

Widget::PhysicalLayoutConfig Widget::layoutForDeviceInfo(const DeviceInfo &info) const
{
    return SlotMap::presetFor(info, isLegacyDevice());
}

Widget::PhysicalLayoutConfig Widget::layoutForStartupPreset() const
{
    switch (m_startupPreset) {
    case Startup6Plus1: return build6Plus1Layout();
    case Startup0Plus1: return build0Plus1Layout();
    case Startup5Plus2: return build5Plus2Layout();
    case Startup1Plus0: return build1Plus0Layout();
    default: return buildDefault16Plus3Layout();
    }
}

void Widget::setStartupDisplayLayoutPreset(Widget::StartupLayoutPreset preset)
{
    m_startupPreset = preset;
    qCDebug(lcLayout) << "[Layout] setStartupDisplayLayoutPreset" << int(preset);
    if (isDeviceConnected())
        return; // the connected keypad's own preset stays
    applyPhysicalLayout(layoutForStartupPreset());
    updateLayerButtonsVisibility();
}

void Widget::updateSlotMap()
{
    m_panel->updateSlotMap(isLegacyDevice(), deviceInfo(), legacyInfo());
}

void Widget::applyPhysicalLayout(const PhysicalLayoutConfig &config)
{
    m_panel->applyLayout(config);
    for (int i = 0; i < LayerBar::LAYER_COUNT; ++i)
        layerButton(i)->setEnabled(true);

    m_commandColumn->applyScale(scaleRatio());
    // Before the window is first shown (the start-up preset) its first relayout fits all of
    // it; fitting now, at the design scale and with nothing visible, would be thrown away.
    if (m_scaler->hasShown()) {
        fitPanelToWindow();
        fitToSettledLayout(); // the command column may have changed its width
    }

    updateSlotMap();
    markAbsentButtons();

    // The effects on offer and the separate LEDs depend on the layout.
    updateRgbLedPageStyle(scaleRatio());

    // Captions and markers of the new buttons come from the model.
    refreshPhysicalKeyDisplayMode();
    refreshStandaloneLedDisplay(panelScale());

    const int sel = m_keyboardData.selectedKey();
    if (sel >= 0)
        onSelectedKeyChanged(sel);

    if (m_layerBar)
        updateLayerButtonsVisibility();
    updateWindowTitle();
    m_panel->logLayout();
}

void Widget::updateWindowTitle()
{
    // "[*]" is where Qt shows the "*" of unsaved changes (setWindowModified).
    setWindowTitle(WindowTitle::forPanel(isDeviceConnected(), slotMap()) + QStringLiteral("[*]"));
    setWindowModified(hasUnsavedMarks());
}
