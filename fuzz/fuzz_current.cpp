// Fuzz target for the host's handling of current-protocol replies: the key-record decoder,
// macro reassembly and the layer-read reply handling. Build and run: scripts/checks.d/fuzz-current.
#include "device/keyrecord.h"
#include "device/layerreadsession.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // 1. The whole input as one key record, in a buffer of exactly its size.
    {
        std::vector<unsigned char> rec(data, data + size);
        KeyData out;
        KeyRecord::decode(rec.empty() ? nullptr : rec.data(), int(rec.size()), out);
    }
    if (size < 2)
        return 0;

    // 2. A layer read: the first two bytes pick the layer and the writable limit, the rest is
    // cut into reports of varying size (the first byte of each piece gives its length), each
    // in a heap buffer of exactly that length so a read past it is caught.
    const int layer = data[0] & 3;
    const int limit = data[1] % 27;
    LayerReadSession session(layer, limit);
    size_t at = 2;
    while (at < size) {
        const size_t want = size_t(data[at]) % 66;
        ++at;
        const size_t n = qMin(want, size - at);
        std::vector<unsigned char> report(data + at, data + at + n);
        // Give most reports a valid header and checksum so they reach the decoders.
        if (n >= 64 && (report[1] & 0x80) == 0) {
            report[0] = 3;
            report[2] = static_cast<unsigned char>(layer);
            unsigned char x = 0;
            for (int i = 1; i < 63; ++i)
                x ^= report[i];
            report[63] = x;
        }
        session.handleReport(report.empty() ? nullptr : report.data(), int(report.size()));
        at += n;
    }
    (void)session.keys();

    // 3. The input as macro chunks of the sizes a keypad would send.
    QVector<QByteArray> chunks;
    for (size_t c = 2; c < size; c += 56)
        chunks.append(QByteArray(reinterpret_cast<const char *>(data + c), int(qMin<size_t>(56, size - c))));
    KeyData macro;
    KeyRecord::decodeChunks(chunks, macro);
    return 0;
}
