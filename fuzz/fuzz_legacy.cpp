// Fuzz target for the legacy link's handling of keypad input: the record decoders of both
// generations and the probe answer, each on a heap buffer of exactly the input's size, plus
// the promise that what a decoder produces can be written back and read again unchanged.
// Build and run: scripts/checks.d/fuzz-legacy.
#include "device/legacyhidmanager.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace LegacyHIDManager;

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

KeyData decode(const LegacyDeviceInfo &info, const QByteArray &report)
{
    return decodeLegacyRecord(info, reinterpret_cast<const unsigned char *>(report.constData()),
                              report.size());
}

// Writes `key` as the keypad would store it and reads the stored record back.
KeyData rewrite(const LegacyDeviceInfo &info, const KeyData &key)
{
    QByteArray report;
    if (encodeLegacyKeyReport(info, 0, 0, key, report) != EncodeResult::Ok)
        std::abort();
    return decode(info, report);
}

void checkRecord(const LegacyDeviceInfo &info, const uint8_t *data, size_t size)
{
    std::vector<unsigned char> exact(data, data + size);
    const KeyData first = decodeLegacyRecord(info, exact.empty() ? nullptr : exact.data(),
                                             int(exact.size()));
    if (first.dirty || !KeyType::isValid(first.type) || first.type == KeyType::Combination)
        std::abort();
    if (first.macroSteps.size() > 64)
        std::abort();

    // "R10Udav" stores exactly what it decodes to; "Old" settles after one write (it keeps
    // modifiers as a mask and at most 18 pairs), and from then on is stable.
    const KeyData second = rewrite(info, first);
    if (info.format == LegacyDeviceInfo::R10Udav && !second.sameFunction(first))
        std::abort();
    const KeyData third = rewrite(info, second);
    if (!third.sameFunction(second))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    LegacyDeviceInfo r10;
    r10.valid = true;
    r10.format = LegacyDeviceInfo::R10Udav;
    LegacyDeviceInfo old;
    old.valid = true;

    checkRecord(r10, data, size);
    checkRecord(old, data, size);

    std::vector<unsigned char> exact(data, data + size);
    LegacyDeviceInfo probed;
    parseLegacyInfoResponse(exact.empty() ? nullptr : exact.data(), int(exact.size()), probed);
    if (!probed.valid || probed.layerCount != 3 || (probed.version < 10 && probed.shape != 0))
        std::abort();
    return 0;
}
