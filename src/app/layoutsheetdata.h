#pragma once

#include "model/physicallayout.h"
#include "model/slotmap.h"
#include "i18n/uitext.h"
#include "model/profile.h"
#include "model/records.h"

#include <QDate>
#include <QVector>

// Everything a printed layout sheet shows: the panel of the keypad, what each of its slots
// does on every layer, the lighting, and the header facts. Built from the window (what it
// shows, unsaved edits included) or from a profile (the keypad's own read, or a saved file).
struct LayoutSheetData {
    PhysicalLayoutConfig panel;
    ProfileDevice device;     // which keypad, for the header and the slots it really has
    SlotMap slotMap;          // the slots the keypad has and the buttons that show them
    int layerCount = 1;       // pages
    QVector<QVector<KeyData>> layers;       // by data index
    QVector<LayerLedConfigData> ledConfigs; // one per layer
    QVector<bool> lightingKnown;            // per layer: colours are worth printing
    bool unsaved = false;     // the window holds edits the keypad does not have
    QDate date;
    UiText::Language language = UiText::Language::English;

    // A saved profile (or the profile just read from a keypad), drawn on the panel of the
    // keypad it was made on.
    static LayoutSheetData fromProfile(const ProfileData &profile, UiText::Language language);

    // The data index behind a panel button slot, and whether the keypad has that slot.
    int dataIndexOfButton(int buttonIndex) const;
    bool hasSlot(int dataIndex) const;
    const KeyData *key(int layer, int dataIndex) const;
    // Header facts in the sheet's language.
    QString modelText() const;
    QString firmwareText() const;
};
