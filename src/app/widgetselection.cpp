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
const QString kLayout16K3E = QStringLiteral("Layout_16K_3E_P0_S0");
} // namespace

void Widget::initButtonClickLogic()
{
    // The panel's own clicks come through PanelView::buttonChosen (buildMiddleRow).
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
            button = buttonAt(idx);
        setProperty("_forcedClickIndex", QVariant());
        if (!button)
            return;
    }
    m_panel->takeClick(button);
}

void Widget::selectButton(int b)
{
    QPushButton *button = buttonAt(b);
    if (!button || slotMap().buttonAbsent(b))
        return; // a slot the keypad cannot keep is never selected, so never edited
    if (isRgbLedPageActive() && qobject_cast<KnobButton *>(button))
        return; // only keys have a colour to pick

    const int d = dataIndexFromButtonIndex(b);
    qCDebug(lcWindow) << "[UI][select]"
                      << "index" << b << "layout" << currentLayout().name << "ptr"
                      << static_cast<const void *>(button) << "type" << button->metaObject()->className()
                      << "dataIndex" << d << "text" << button->text();

    m_panel->select(button);

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
    m_panel->checkOnly(button);

    if (d < 0) {
        if (keyFunctionDisplay())
            keyFunctionDisplay()->clear();
    } else {
        const QString buttonText = displayButtonTextForCurrentPage(d);
        const QString fullText = displayFullTextForCurrentPage(d);
        qCDebug(lcWindow) << "Selected key changed:" << d + 1 << "buttonText:" << buttonText
                          << "fullText:" << fullText;
        if (currentLayout().name == kLayout16K3E && d >= 16 && d <= 24) {
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

void Widget::onKeyButtonTextChanged(int d, const QString &text)
{
    qCDebug(lcWindow).nospace() << "[UI] textChanged enter layout=" << currentLayout().name << " index=" << d
                                << " " << text;
    if (isLegacyDevice() && currentLayout().name == kLayout0K1E && d == 0)
        return; // slot 0 of a legacy single-knob keypad has no button
    m_panel->showKeyChange(d, isRgbLedPageActive());
}

void Widget::onKeyFullTextChanged(int d, const QString &text)
{
    Q_UNUSED(text);
    if (isLegacyDevice() && currentLayout().name == kLayout0K1E && d == 0)
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
    m_panel->refreshMarkers();
}

void Widget::restoreKeyFunctionDisplay()
{
    m_panel->showCaptions();
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
    m_panel->clearHighlight();
    if (keyFunctionDisplay())
        keyFunctionDisplay()->clear();
    qCDebug(lcWindow) << "Clear button clicked - cleared selected key";
}

void Widget::onClearAllClicked()
{
    // Only the slots the keypad has: the others would be edits that no save can write. With
    // no keypad known, nothing says which slots exist: the whole layer.
    if (slotMap().kind() == SlotMap::Kind::None)
        m_keyboardData.clearCurrentLayer();
    else
        m_keyboardData.clearCurrentLayer(slotMap().offeredSlots());
    m_panel->forgetHighlight();
    if (keyFunctionDisplay())
        keyFunctionDisplay()->clear();
    qCDebug(lcWindow) << "Clear All - cleared layer" << m_keyboardData.currentLayer() + 1;
}
