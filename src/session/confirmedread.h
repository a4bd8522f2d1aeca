#pragma once

#include "session/connectresult.h"

#include <functional>

class HIDManager;

// Makes a read of the keypad trusted: a layer's keys, or a layer's lighting, counts only when
// two passes agree (see PassAgreement). Given a first pass, it reads the keypad a second time,
// compares layer by layer, and reads again only what differs. Window-free and blocking: run it
// on a worker (the window, which shows the first pass meanwhile) or on a console's thread
// (the profile command line).
class ConfirmedRead
{
public:
    // Called on the reading thread before the parts that differed are read a third time.
    using ReadingAgain = std::function<void()>;

    explicit ConfirmedRead(HIDManager *hid);

    // What the passes agree on, from `first` (a pass of DeviceTasks already made) onwards.
    // The result keeps the kind and identity of `first`; its coverage marks only the agreed
    // layers and lighting, its layers and lighting hold their agreed content (the first pass's
    // elsewhere), and allLayersOk holds only when every part agreed. A keypad that answered
    // neither protocol has nothing to confirm: `first` comes back as it is.
    ConnectResult confirm(const ConnectResult &first, const ReadingAgain &readingAgain = {}) const;

private:
    HIDManager *m_hid;
};
