#pragma once

#include "device/linkcapture.h"

#include <hidapi.h>

#include <cstddef>

// The device link's only road to the keypad's reports: every write and read of the open handle
// goes through here, so a capture (LinkCapture) sees the whole conversation and nothing of it
// can slip past.
namespace LinkIo {

inline int write(hid_device *dev, const unsigned char *data, size_t length)
{
    const int ret = hid_write(dev, data, length);
    LinkCapture::noteWrite(dev, data, length, ret);
    return ret;
}

inline int read(hid_device *dev, unsigned char *data, size_t length)
{
    const int ret = hid_read(dev, data, length);
    LinkCapture::noteRead(dev, data, ret);
    return ret;
}

inline int readTimeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    const int ret = hid_read_timeout(dev, data, length, milliseconds);
    LinkCapture::noteRead(dev, data, ret);
    return ret;
}

} // namespace LinkIo
