#pragma once

#include <QtGlobal>

// Raw name tables behind keyName, mediaName and the mouse names. Null where a usage has no
// name of its own.
namespace KeyNameTable {
const char *keyboardUsage(quint8 usage);
const char *consumerUsage(quint16 usage);
const char *mouseLong(quint8 code);
const char *mouseShort(quint8 code);
} // namespace KeyNameTable
