// Panel presets: choosing one for a device or for start-up, applying it to the panel, and
// the maps between panel button slots and the model's data indices.
#include "app/widget.h"

#include "model/layoutpresets.h"
#include "app/windowtitle.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "model/logcategories.h"
#include "model/slotmap.h"

#include <QBoxLayout>
#include <QDebug>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {
const QString kLayout16K3E = QStringLiteral("Layout_16K_3E_P0_S0");
const QString kLayout1K0E = QStringLiteral("Layout_1K_0E_P0_S0");
} // namespace

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

int Widget::dataIndexFromButtonIndex(int b) const
{
    return m_slotMap.slotOfButton(b);
}

int Widget::buttonIndexFromDataIndex(int d) const
{
    return m_slotMap.buttonOfSlot(d);
}

void Widget::updateSlotMap()
{
    if (isLegacyDevice())
        m_slotMap = SlotMap::forLegacy(legacyInfo(), m_currentLayout);
    else if (deviceInfo().valid)
        m_slotMap = SlotMap::forCurrent(deviceInfo(), m_currentLayout);
    else
        m_slotMap = SlotMap::forLayout(m_currentLayout);
}

void Widget::markAbsentButtons()
{
    // A button for a slot the keypad cannot keep stays in the picture (the housing has the
    // hole) but offers nothing: it cannot be selected, reached by the arrows or given a
    // function that a save would silently drop.
    for (int i = 0; i < TOTAL_BUTTON_COUNT; ++i) {
        QPushButton *b = m_buttonSlots.at(i);
        if (!b)
            continue;
        const bool absent = m_slotMap.buttonAbsent(i);
        if (b->property("absent").toBool() == absent && b->isEnabled() == !absent)
            continue;
        b->setProperty("absent", absent);
        b->setEnabled(!absent);
        if (absent)
            b->setChecked(false);
    }
}

void Widget::assignKnobPointers(int firstIndex, KnobButton *left, KnobButton *right,
                                KnobButton *press)
{
    int knob = -1;
    if (firstIndex == 5 || firstIndex == 6 || firstIndex == 16)
        knob = 0;
    else if (firstIndex == 19)
        knob = 1;
    else if (firstIndex == 22)
        knob = 2;
    if (knob < 0)
        return;
    m_knobPointers[knob][0] = left;
    m_knobPointers[knob][1] = right;
    m_knobPointers[knob][2] = press;
}

KnobButton *Widget::knobPointer(int knob, int action) const
{
    if (knob < 0 || knob > 2 || action < 0 || action > 2)
        return nullptr;
    return m_knobPointers[knob][action];
}

QPushButton *Widget::buttonAt(int buttonIndex) const
{
    if (buttonIndex < 0 || buttonIndex >= m_buttonSlots.size())
        return nullptr;
    return m_buttonSlots.at(buttonIndex);
}

KnobButton *Widget::takeKnobButton(QVector<KnobButton *> &pool, int index, const QString &imagePath)
{
    while (pool.size() <= index) {
        auto *b = new KnobButton(imagePath, QString(), m_knobContainer);
        b->setSetState(false);
        connect(b, &QPushButton::clicked, this, &Widget::onButtonClicked);
        pool.append(b);
    }
    return pool.at(index);
}

void Widget::applyPhysicalLayout(const PhysicalLayoutConfig &config)
{
    m_currentLayout = config;
    const PhysicalLayoutConfig &c = m_currentLayout;

    arrangePanelFrame();

    // Every button starts plain; the highlight follows the model's selection again below.
    for (KeyButton *k : qAsConst(m_keyButtons)) {
        k->setEnabled(true);
        k->setChecked(false);
    }
    for (KnobButton *k : qAsConst(m_knobPool)) {
        k->setEnabled(true);
        k->setChecked(false);
        k->hide();
    }
    for (KnobButton *k : qAsConst(m_turnOnlyButtons)) {
        k->setEnabled(true);
        k->setChecked(false);
        k->hide();
    }
    for (int i = 0; i < LayerBar::LAYER_COUNT; ++i)
        layerButton(i)->setEnabled(true);
    m_highlightedButton = nullptr;
    for (auto &knob : m_knobPointers)
        knob[0] = knob[1] = knob[2] = nullptr;

    // Fill the slots: keys first, then every knob action at its data index.
    m_buttonSlots.fill(nullptr, TOTAL_BUTTON_COUNT);
    for (int k = 0; k < m_keyButtons.size(); ++k) {
        const bool used = k < c.keyCount;
        m_keyHolders[k]->setVisible(used);
        if (used)
            m_buttonSlots[k] = m_keyButtons[k];
    }

    const QString images[3] = {KnobButton::leftImagePath(), KnobButton::rightImagePath(),
                               KnobButton::pressImagePath()};
    for (int j = 0; j < c.knobs.size(); ++j) {
        const KnobDescriptor &d = c.knobs.at(j);
        KnobButton *actions[3] = {};
        for (int a = 0; a < 3; ++a) {
            KnobButton *b = takeKnobButton(m_knobPool, 3 * j + a, images[a]);
            b->setSetState(false);
            b->show();
            actions[a] = b;
            const int slot = d.firstIndex + a;
            if (slot >= 0 && slot < TOTAL_BUTTON_COUNT)
                m_buttonSlots[slot] = b;
        }
        assignKnobPointers(d.firstIndex, actions[0], actions[1], actions[2]);
    }

    // Turn-only knobs: left, right, left, right on the data indices after the keys.
    for (int t = 0; t < 2 * c.turnOnlyKnobCount; ++t) {
        const QString image = (t % 2 == 0) ? KnobButton::pressLeftImagePath()
                                           : KnobButton::pressRightImagePath();
        KnobButton *b = takeKnobButton(m_turnOnlyButtons, t, image);
        b->setSetState(false);
        b->show();
        const int slot = c.keyCount + t;
        if (slot < TOTAL_BUTTON_COUNT)
            m_buttonSlots[slot] = b;
    }
    if (c.turnOnlyKnobCount > 0 && m_turnOnlyButtons.size() >= 2)
        assignKnobPointers(c.keyCount, m_turnOnlyButtons[0], m_turnOnlyButtons[1], nullptr);

    m_commandColumn->applyScale(scaleRatio());
    m_panelApplied.clear(); // a new preset: lay the panel out even at an unchanged scale
    fitPanelToWindow();
    fitToSettledLayout(); // the command column may have changed its width

    for (int i = 0; i < TOTAL_BUTTON_COUNT; ++i)
        if (m_buttonSlots[i])
            m_buttonSlots[i]->setProperty("buttonIndex", i);
    updateSlotMap();
    markAbsentButtons();

    // The effects on offer and the separate LEDs depend on the layout.
    updateRgbLedPageStyle(scaleRatio());

    // Captions and markers of the new buttons come from the model.
    refreshPhysicalKeyDisplayMode();
    refreshStandaloneLedDisplay(m_panelScale);

    const int sel = m_keyboardData.selectedKey();
    if (sel >= 0)
        onSelectedKeyChanged(sel);

    if (m_layerBar)
        updateLayerButtonsVisibility();
    updateWindowTitle();

    if (c.name == kLayout16K3E)
        logButtonMap();
    if (c.name == kLayout1K0E)
        qCDebug(lcLayout) << "[UI][1+0]"
                          << "keyMatrixVisible" << !m_keyMatrix->isHidden() << "keyMatrixSize"
                          << m_keyMatrix->size() << "panelFrameSize" << m_panelFrame->size();
}

void Widget::updateWindowTitle()
{
    // "[*]" is where Qt shows the "*" of unsaved changes (setWindowModified).
    setWindowTitle(WindowTitle::forPanel(isDeviceConnected(), m_slotMap) + QStringLiteral("[*]"));
    setWindowModified(hasUnsavedMarks());
}

void Widget::logButtonMap() const
{
    qCDebug(lcLayout) << "[UI][layout]" << m_currentLayout.name << "button map:";
    for (int i = 0; i < TOTAL_BUTTON_COUNT; ++i) {
        QPushButton *b = m_buttonSlots.at(i);
        qCDebug(lcLayout).nospace() << "  slot" << i << " ptr=" << static_cast<const void *>(b)
                                    << " type=" << (b ? b->metaObject()->className() : "none")
                                    << " prop=" << (b ? b->property("buttonIndex").toInt() : -1)
                                    << " text=" << (b ? b->text() : QString());
    }
}
