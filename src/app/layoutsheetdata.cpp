#include "app/layoutsheetdata.h"

#include "app/windowtitle.h"

LayoutSheetData LayoutSheetData::fromProfile(const ProfileData &profile, UiText::Language language)
{
    LayoutSheetData d;
    d.device = profile.device;
    const ProfileDevice &dev = profile.device;
    // The panel the window would show for this keypad; a profile of no particular keypad is
    // drawn on the largest panel.
    d.slotMap = SlotMap::forDevice(dev);
    d.panel = d.slotMap.layout();
    d.layerCount = qMax(1, dev.usableLayerCount());
    d.layers = profile.layers;
    d.ledConfigs = profile.ledConfigs;
    d.lightingKnown = profile.ledPresent;
    // Slots the file leaves out are not the keypad's: they print as empty.
    for (int l = 0; l < d.layers.size(); ++l)
        for (int k = 0; k < d.layers[l].size(); ++k)
            if (!profile.keyPresent.value(l).value(k))
                d.layers[l][k] = KeyData();
    d.date = QDate::currentDate();
    d.language = language;
    return d;
}

int LayoutSheetData::dataIndexOfButton(int buttonIndex) const
{
    return slotMap.slotOfButton(buttonIndex);
}

bool LayoutSheetData::hasSlot(int dataIndex) const
{
    return slotMap.hasSlot(dataIndex);
}

const KeyData *LayoutSheetData::key(int layer, int dataIndex) const
{
    if (layer < 0 || layer >= layers.size() || dataIndex < 0 || dataIndex >= layers[layer].size())
        return nullptr;
    return &layers[layer][dataIndex];
}

QString LayoutSheetData::modelText() const
{
    const QString model = WindowTitle::modelOf(slotMap, language);
    return model.isEmpty() ? WindowTitle::programName() : model;
}

QString LayoutSheetData::firmwareText() const
{
    auto tr = [this](const char *text) { return UiText::text(QString::fromUtf8(text), language); };
    switch (device.protocol) {
    case ProfileDevice::Protocol::Current:
        return tr("current protocol");
    case ProfileDevice::Protocol::LegacyR10Udav:
        return tr("legacy R10Udav, version %1").arg(device.firmwareVersion);
    case ProfileDevice::Protocol::LegacyOld:
        return tr("legacy Old, version %1").arg(device.firmwareVersion);
    case ProfileDevice::Protocol::None:
        break;
    }
    return tr("no keypad connected");
}
