#pragma once

#include "device/linkio.h"

#include <hidapi.h>

namespace ReportPoll {

// Waits up to `maxWaitMs` for one input report and returns as soon as one is there: the same
// bound on the pause between empty polls as a non-blocking read followed by a sleep, without
// leaving a report that arrived early waiting for the sleep to end.
inline int read(hid_device *dev, unsigned char *buf, int len, int maxWaitMs = 2)
{
    return LinkIo::readTimeout(dev, buf, size_t(len), maxWaitMs);
}

} // namespace ReportPoll
