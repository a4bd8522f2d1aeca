// Selecting keys on the panel, the highlight, the captions the model's signals bring, and
// the Clear and Clear All commands.
#include "app/widget.h"

#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QPushButton>
#include <QTextEdit>

namespace {
const QString kLayout0K1E = QStringLiteral("Layout_0K_1E_P0_S0");
const QString kLayout6K1E = QStringLiteral("Layout_6K_1E_P0_S0");
const QString kLayout16K3E = QStringLiteral("Layout_16K_3E_P0_S0");
} // namespace

void Widget::initButtonClickLogic()
{
    for (int i = 0; i < TOTAL_BUTTON_COUNT; ++i)
        if (m_buttonSlots[i])
            m_buttonSlots[i]->setProperty("buttonIndex", i);
    // Every key of the matrix, used by this preset or not: a later preset may show it.
    for (KeyButton *k : qAsConst(m_keyButtons)) {
        connect(k, &QPushButton::clicked, this, &Widget::onButtonClicked, Qt::UniqueConnection);
        connect(k, &KeyButton::forwardedClick, this, &Widget::onButtonForwarded, Qt::UniqueConnection);
    }
    for (KnobButton *k : qAsConst(m_knobPool))
        connect(k, &QPushButton::clicked, this, &Widget::onButtonClicked, Qt::UniqueConnection);
    for (KnobButton *k : qAsConst(m_turnOnlyButtons))
        connect(k, &QPushButton::clicked, this, &Widget::onButtonClicked, Qt::UniqueConnection);

    connect(m_commandColumn, &CommandColumn::viewClicked, this, [] { qCDebug(lcWindow) << "View Settings clicked"; });
}

void Widget::onButtonClicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button) {
        // A caller without a sender may name the slot in a window property.
        const QVariant forced = property("_forcedClickIndex");
        bool ok = false;
        const int idx = forced.toInt(&ok);
        if (forced.isValid() && ok && idx >= 0 && idx < TOTAL_BUTTON_COUNT)
            button = m_buttonSlots.at(idx);
        setProperty("_forcedClickIndex", QVariant());
        if (!button)
            return;
    }
    takeButtonClick(button);
}

void Widget::onButtonForwarded(int buttonIndex)
{
    if (QPushButton *button = buttonAt(buttonIndex))
        takeButtonClick(button);
}

void Widget::takeButtonClick(QPushButton *button)
{
    const int b = button->property("buttonIndex").toInt();
    qCDebug(lcWindow) << "[UI][click]"
                      << "sender" << static_cast<const void *>(button) << "type"
                      << button->metaObject()->className() << "prop" << b << "text" << button->text()
                      << "layout" << m_currentLayout.name;
    selectButton(b);
}

void Widget::checkOnly(QPushButton *button)
{
    for (QPushButton *slot : qAsConst(m_buttonSlots))
        if (slot && slot != button && slot->isChecked())
            slot->setChecked(false);
    if (button && !button->isChecked())
        button->setChecked(true);
    m_highlightedButton = button;
}

void Widget::clearHighlight()
{
    if (m_highlightedButton)
        m_highlightedButton->setChecked(false);
    m_highlightedButton = nullptr;
}

void Widget::selectButton(int b)
{
    QPushButton *button = buttonAt(b);
    if (!button || m_slotMap.buttonAbsent(b))
        return; // a slot the keypad cannot keep is never selected, so never edited
    if (isRgbLedPageActive() && qobject_cast<KnobButton *>(button))
        return; // only keys have a colour to pick

    const int d = dataIndexFromButtonIndex(b);
    qCDebug(lcWindow) << "[UI][select]"
                      << "index" << b << "layout" << m_currentLayout.name << "ptr"
                      << static_cast<const void *>(button) << "type" << button->metaObject()->className()
                      << "dataIndex" << d << "text" << button->text();

    if (m_highlightedButton && m_highlightedButton != button)
        m_highlightedButton->setChecked(false);
    checkOnly(button);

    m_keyboardData.selectKey(d);

    if (isRgbLedPageActive() && qobject_cast<KeyButton *>(button))
        syncColorPickerToSelection();

    qCDebug(lcWindow) << "Selected button" << b << "dataIndex:" << d << "text:" << button->text();
}

void Widget::showFullTextInDisplay(const QString &text)
{
    if (!keyFunctionDisplay())
        return;
    if (text.contains(QLatin1String("<span")))
        keyFunctionDisplay()->setHtml(text);
    else
        keyFunctionDisplay()->setPlainText(text);
    keyFunctionDisplay()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Widget::onSelectedKeyChanged(int d)
{
    const int b = buttonIndexFromDataIndex(d);
    QPushButton *button = buttonAt(b);
    checkOnly(button);

    if (d < 0) {
        if (keyFunctionDisplay())
            keyFunctionDisplay()->clear();
    } else {
        const QString buttonText = displayButtonTextForCurrentPage(d);
        const QString fullText = displayFullTextForCurrentPage(d);
        qCDebug(lcWindow) << "Selected key changed:" << d + 1 << "buttonText:" << buttonText
                          << "fullText:" << fullText;
        if (m_currentLayout.name == kLayout16K3E && d >= 16 && d <= 24) {
            const KeyData *key = m_keyboardData.keyDataAt(m_keyboardData.currentLayer(), d);
            qCDebug(lcWindow) << "[UI][select-state]"
                              << "index" << d << "set" << (key && key->type != KeyType::Empty) << "type"
                              << (button ? button->metaObject()->className() : "none") << "buttonText"
                              << buttonText << "displayText" << fullText;
        }
        if (isRgbLedPageActive() && qobject_cast<KeyButton *>(button)) {
            if (keyFunctionDisplay())
                keyFunctionDisplay()->clear();
        } else {
            showFullTextInDisplay(fullText);
        }
    }

    refreshLegacyDelayPage();
    refreshLegacyOldDelayPage();
    refreshLegacyRgbLedPage();
    refreshLegacyOldRgbLedPage();
}

void Widget::setSlotMarker(QPushButton *button, bool set)
{
    if (auto *key = qobject_cast<KeyButton *>(button))
        key->setAssigned(set);
    else if (auto *knob = qobject_cast<KnobButton *>(button))
        knob->setSetState(set);
}

void Widget::onKeyButtonTextChanged(int d, const QString &text)
{
    qCDebug(lcWindow).nospace() << "[UI] textChanged enter layout=" << m_currentLayout.name << " index=" << d
                                << " " << text;
    if (isLegacyDevice() && m_currentLayout.name == kLayout0K1E && d == 0)
        return; // slot 0 of a legacy single-knob keypad has no button
    const int b = buttonIndexFromDataIndex(d);
    QPushButton *button = buttonAt(b);
    if (!button)
        return;
    const int data = dataIndexFromButtonIndex(b);
    const KeyData *key = m_keyboardData.keyDataAt(m_keyboardData.currentLayer(), data);
    const bool set = key && key->type != KeyType::Empty;
    auto *keyButton = qobject_cast<KeyButton *>(button);

    if (!(isRgbLedPageActive() && keyButton)) {
        const QString caption = displayButtonTextForCurrentPage(data);
        if (button->text() != caption)
            button->setText(caption);
    }
    if (m_currentLayout.name == kLayout6K1E && b >= 6 && b <= 8)
        qCDebug(lcWindow).nospace() << "[UI] textChanged key slot=" << b << " text=" << button->text()
                                    << " set=" << set;

    if (keyButton) {
        keyButton->setAssigned(isRgbLedPageActive() ? true : set);
        if (isRgbLedPageActive()) {
            const int layer = m_keyboardData.currentLayer();
            QColor c(255, 255, 0);
            if (d >= 0 && d < KeyboardData::LEDS_PER_LAYER && layer >= 0
                && layer < KeyboardData::LAYER_COUNT)
                c = m_keyboardData.ledConfig(layer).colors[size_t(d)].toColor();
            keyButton->setCustomColor(c);
            updateKeyNumberColors();
        }
    } else if (auto *knob = qobject_cast<KnobButton *>(button)) {
        knob->setSetState(set);
    }
}

void Widget::onKeyFullTextChanged(int d, const QString &text)
{
    Q_UNUSED(text);
    if (isLegacyDevice() && m_currentLayout.name == kLayout0K1E && d == 0)
        return;
    if (d != m_keyboardData.selectedKey())
        return;
    QPushButton *button = buttonAt(buttonIndexFromDataIndex(d));
    if (isRgbLedPageActive() && qobject_cast<KeyButton *>(button)) {
        if (keyFunctionDisplay())
            keyFunctionDisplay()->clear();
        return;
    }
    showFullTextInDisplay(displayFullTextForCurrentPage(d));
}

void Widget::refreshKeyButtonVisuals()
{
    const int layer = m_keyboardData.currentLayer();
    for (int b = 0; b < TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = m_buttonSlots.at(b);
        if (!button)
            continue;
        const KeyData *key = m_keyboardData.keyDataAt(layer, dataIndexFromButtonIndex(b));
        setSlotMarker(button, key && key->type != KeyType::Empty);
    }
}

void Widget::restoreKeyFunctionDisplay()
{
    qCDebug(lcWindow) << "[UI] restore enter layout=" << m_currentLayout.name;
    const int layer = m_keyboardData.currentLayer();
    for (int b = 0; b < TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = m_buttonSlots.at(b);
        if (!button)
            continue;
        const int d = dataIndexFromButtonIndex(b);
        const KeyData *key = m_keyboardData.keyDataAt(layer, d);
        const bool set = key && key->type != KeyType::Empty;
        if (auto *keyButton = qobject_cast<KeyButton *>(button)) {
            keyButton->clearCustomColor();
            keyButton->setText(displayButtonTextForCurrentPage(d));
            keyButton->setAssigned(set);
        } else if (auto *knob = qobject_cast<KnobButton *>(button)) {
            const bool logKnob = m_currentLayout.name == kLayout6K1E && b >= 6 && b <= 8;
            if (logKnob)
                qCDebug(lcWindow).nospace() << "[UI] restore knob before slot=" << b
                                            << " text=" << knob->text() << " set=" << knob->isSetState();
            knob->setText(displayButtonTextForCurrentPage(d));
            knob->setSetState(set);
            if (logKnob)
                qCDebug(lcWindow).nospace() << "[UI] restore knob after slot=" << b
                                            << " text=" << knob->text() << " set=" << knob->isSetState();
        }
    }
    updateKeyNumberColors();
}

void Widget::refreshPhysicalKeyDisplayMode()
{
    if (isRgbLedPageActive()) {
        const int layer = m_keyboardData.currentLayer();
        const bool inRange = layer >= 0 && layer < KeyboardData::LAYER_COUNT;
        checkRgbModeButton(inRange ? m_keyboardData.ledConfig(layer).mode : 1);
        if (hasStandaloneLedLayout()) {
            restoreKeyFunctionDisplay();
            refreshStandaloneLedDisplay(-1);
        } else {
            applyRgbLedKeyDisplay();
        }
        return;
    }
    restoreKeyFunctionDisplay();
    if (hasStandaloneLedLayout())
        refreshStandaloneLedDisplay(-1);
}

void Widget::onClearSelectedClicked()
{
    const int sel = m_keyboardData.selectedKey();
    if (sel < 0)
        showRefusal(QStringLiteral("Select a key first")); // else the click would go unanswered
    else // the caption and the unsaved mark follow from the model's signals
        m_keyboardData.clearSelectedKey();
    clearHighlight();
    if (keyFunctionDisplay())
        keyFunctionDisplay()->clear();
    qCDebug(lcWindow) << "Clear button clicked - cleared selected key";
}

void Widget::onClearAllClicked()
{
    // Only the slots the keypad has: the others would be edits that no save can write. With
    // no keypad known, nothing says which slots exist: the whole layer.
    if (m_slotMap.kind() == SlotMap::Kind::None)
        m_keyboardData.clearCurrentLayer();
    else
        m_keyboardData.clearCurrentLayer(m_slotMap.offeredSlots());
    m_highlightedButton = nullptr;
    if (keyFunctionDisplay())
        keyFunctionDisplay()->clear();
    qCDebug(lcWindow) << "Clear All - cleared layer" << m_keyboardData.currentLayer() + 1;
}
