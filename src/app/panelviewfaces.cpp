// What the panel buttons show: captions, the marks of assigned and unsaved slots, the LED
// colours on the lighting page, and the texts a screen reader reads from them.
#include "app/panelview.h"

#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "model/logcategories.h"
#include "model/records.h"

#include <QDebug>
#include <QPushButton>
#include <QTextDocumentFragment>

namespace {

const QString kLayout6K1E = QStringLiteral("Layout_6K_1E_P0_S0");

QString plainText(const QString &text)
{
    QString plain = text.contains(QLatin1Char('<'))
                        ? QTextDocumentFragment::fromHtml(text).toPlainText()
                        : text;
    return plain.simplified();
}

bool isSet(const KeyData *key)
{
    return key && key->type != KeyType::Empty;
}

} // namespace

void PanelView::setSlotMarker(QPushButton *button, bool set)
{
    if (auto *key = qobject_cast<KeyButton *>(button))
        key->setAssigned(set);
    else if (auto *knob = qobject_cast<KnobButton *>(button))
        knob->setSetState(set);
}

void PanelView::showKeyChange(int d, bool lightingPage)
{
    const int b = buttonIndexFromDataIndex(d);
    QPushButton *button = buttonAt(b);
    if (!button)
        return;
    const int data = dataIndexFromButtonIndex(b);
    const bool set = isSet(m_content.key(data));
    auto *keyButton = qobject_cast<KeyButton *>(button);

    if (!(lightingPage && keyButton)) {
        const QString caption = m_content.caption(data, false);
        if (button->text() != caption)
            button->setText(caption);
    }
    if (m_layout.name == kLayout6K1E && b >= 6 && b <= 8)
        qCDebug(lcWindow).nospace() << "[UI] textChanged key slot=" << b << " text=" << button->text()
                                    << " set=" << set;

    if (keyButton) {
        keyButton->setAssigned(lightingPage ? true : set);
        if (lightingPage) {
            keyButton->setCustomColor(m_content.ledColor(d));
            updateKeyNumberColors();
        }
    } else if (auto *knob = qobject_cast<KnobButton *>(button)) {
        knob->setSetState(set);
    }
}

void PanelView::refreshMarkers()
{
    for (int b = 0; b < TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = m_buttonSlots.at(b);
        if (!button)
            continue;
        setSlotMarker(button, isSet(m_content.key(dataIndexFromButtonIndex(b))));
    }
}

void PanelView::showCaptions()
{
    qCDebug(lcWindow) << "[UI] restore enter layout=" << m_layout.name;
    for (int b = 0; b < TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = m_buttonSlots.at(b);
        if (!button)
            continue;
        const int d = dataIndexFromButtonIndex(b);
        const bool set = isSet(m_content.key(d));
        if (auto *keyButton = qobject_cast<KeyButton *>(button)) {
            keyButton->clearCustomColor();
            keyButton->setText(m_content.caption(d, false));
            keyButton->setAssigned(set);
        } else if (auto *knob = qobject_cast<KnobButton *>(button)) {
            const bool logKnob = m_layout.name == kLayout6K1E && b >= 6 && b <= 8;
            if (logKnob)
                qCDebug(lcWindow).nospace() << "[UI] restore knob before slot=" << b
                                            << " text=" << knob->text() << " set=" << knob->isSetState();
            knob->setText(m_content.caption(d, false));
            knob->setSetState(set);
            if (logKnob)
                qCDebug(lcWindow).nospace() << "[UI] restore knob after slot=" << b
                                            << " text=" << knob->text() << " set=" << knob->isSetState();
        }
    }
    updateKeyNumberColors();
}

void PanelView::showLedColors()
{
    for (int k = 0; k < PHYSICAL_KEY_COUNT; ++k) {
        auto *key = qobject_cast<KeyButton *>(buttonAt(k));
        if (!key)
            continue;
        key->setText(QString());
        key->setCustomColor(m_content.ledColor(k));
        if (!key->isAssigned())
            key->setAssigned(true);
        key->update();
    }
    updateKeyNumberColors();
}

void PanelView::refreshUnsavedMarks()
{
    for (int b = 0; b < TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = m_buttonSlots.value(b);
        if (!button)
            continue;
        const KeyData *key = m_content.key(dataIndexFromButtonIndex(b));
        const bool unsaved = key && key->dirty;
        if (auto *k = qobject_cast<KeyButton *>(button))
            k->setUnsaved(unsaved);
        else if (auto *k = qobject_cast<KnobButton *>(button))
            k->setUnsaved(unsaved);
    }
}

QString PanelView::accessibleNameOf(QPushButton *button, int dataIndex) const
{
    if (qobject_cast<KeyButton *>(button))
        return m_content.text(QStringLiteral("Key %1")).arg(dataIndex + 1);
    static const char *const actions[3] = {"Knob %1 left turn", "Knob %1 right turn",
                                           "Knob %1 press"};
    for (int knob = 0; knob < 3; ++knob)
        for (int action = 0; action < 3; ++action)
            if (m_knobPointers[knob][action] == button)
                return m_content.text(QString::fromLatin1(actions[action])).arg(knob + 1);
    return m_content.text(QStringLiteral("Knob"));
}

void PanelView::refreshAccessibleTexts()
{
    for (int b = 0; b < TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = m_buttonSlots.value(b);
        if (!button)
            continue;
        const int d = dataIndexFromButtonIndex(b);
        const KeyData *key = m_content.key(d);
        QString function = isSet(key) ? plainText(m_content.caption(d, true)) : QString();
        if (function.isEmpty())
            function = m_content.text(QStringLiteral("Not assigned"));
        const QString name = accessibleNameOf(button, d) + QStringLiteral(": ") + function;
        QString description = function;
        if (key && key->dirty)
            description += QStringLiteral(" (") + m_content.text(QStringLiteral("unsaved change"))
                           + QLatin1Char(')');
        if (button->accessibleName() != name)
            button->setAccessibleName(name);
        if (button->accessibleDescription() != description)
            button->setAccessibleDescription(description);
    }
}

void PanelView::blank()
{
    for (QPushButton *button : qAsConst(m_buttonSlots)) {
        if (!button)
            continue;
        button->setText(QString());
        button->setChecked(false);
        setSlotMarker(button, false);
    }
    m_highlighted = nullptr;
}
