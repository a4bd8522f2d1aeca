#pragma once

#include <QString>
#include <QtGlobal>

class KeyboardData;
class QObject;
struct KeyData;

// The click rule shared by the base keys page and the extra keys page: a keyboard usage
// given to the selected key replaces its function, or is combined with it into a key
// combination or a macro (the model's applyBaseKey decides which).
namespace BaseKeyInput {

// Number of keys the key holds, as the log reports it: modifiers plus keys of a
// combination, press/release pairs of a macro, one for any other key with a code.
int stepCount(const KeyData &key);

// True when the key would refuse another usage although it is not about to be replaced:
// a combination that already holds its ordinary key, or a macro without room for two
// more steps.
bool isFull(const KeyData &key);

// Handles a click on a button carrying "keycode" (and optionally "class"). Returns true when
// the selected key took the usage.
bool click(KeyboardData *model, QObject *button);

} // namespace BaseKeyInput
