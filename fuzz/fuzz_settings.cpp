// Fuzz target for the settings file (Config.ini): the parser on any bytes keeps its values in
// range, and reading the same text twice, or the text after itself, changes nothing (the last
// valid line of a key wins). Build and run: scripts/checks.d/fuzz-settings.
#include "app/appconfig.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

bool same(const AppConfig &a, const AppConfig &b)
{
    return a.chinese() == b.chinese() && a.layerCount() == b.layerCount();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    AppConfig once;
    once.parse(text);
    if (once.hasLayerCount() != (once.layerCount() >= 0) || once.layerCount() < -1 || once.layerCount() > 3)
        std::abort();

    AppConfig twice = once;
    twice.parse(text);
    AppConfig doubled;
    doubled.parse(text + '\n' + text);
    if (!same(once, twice) || !same(once, doubled))
        std::abort();
    return 0;
}
