#include "pages/basekeyinput.h"

#include "model/keyboarddata.h"
#include "model/logcategories.h"
#include "model/records.h"

#include <QDebug>
#include <QPushButton>

namespace BaseKeyInput {

int stepCount(const KeyData &key)
{
    switch (key.type) {
    case KeyType::Combination: {
        int bits = 0;
        for (int b = 0; b < 8; ++b)
            bits += (key.modifierBits >> b) & 1;
        return bits + key.comboKeys.size();
    }
    case KeyType::Macro:
        return key.macroSteps.size() / 2;
    default:
        return key.keyCode != 0 ? 1 : 0;
    }
}

bool isFull(const KeyData &key)
{
    if (key.type == KeyType::Combination)
        return !key.comboKeys.isEmpty();
    if (key.type == KeyType::Macro)
        return key.macroSteps.size() > KeyboardData::MAX_MACRO_STEPS - 2;
    return false;
}

bool click(KeyboardData *model, QObject *sender)
{
    auto *button = qobject_cast<QPushButton *>(sender);
    if (!button || !model)
        return false;

    const int code = button->property("keycode").toInt();
    const QString cls = button->property("class").toString();
    qCDebug(lcPages) << "onBaseKeyClicked";
    qCDebug(lcPages) << "keycode:" << code << "class:" << cls;

    if (model->selectedKey() < 0) {
        qCDebug(lcPages) << "No key selected";
        return false;
    }
    const KeyData *key = model->selectedKeyData();
    if (!key)
        return false;

    // A freshly selected (or cleared) key is replaced whatever it holds, so it is never
    // "full"; only a key that is being built up can run out of room.
    if (!model->replaceOnNextBaseKey() && isFull(*key)) {
        qCDebug(lcPages) << "Key is full, max steps reached";
        return false;
    }

    const bool ok = model->applyBaseKey(quint8(code & 0xFF));
    if (ok)
        qCDebug(lcPages) << "append ok, count:" << stepCount(*model->selectedKeyData());
    else
        qCDebug(lcPages) << "append failed";
    qCDebug(lcPages) << "onBaseKeyClicked done";
    return ok;
}

} // namespace BaseKeyInput
