// Figures for the legacy link: record decoding throughput of both generations, and the wall
// time of a full read and of a save against the simulated keypad with a 1 ms report latency
// (a full-speed interrupt endpoint).
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>

using namespace LegacyHIDManager;
using Gen = sim::LegacyFirmware::Generation;

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

QByteArray macroRecord(bool r10)
{
    QByteArray r(65, '\0');
    r[0] = 3;
    r[4] = 1;
    if (r10) {
        r[6] = 18;
        for (int i = 0; i < 18; ++i) {
            r[8 + 3 * i] = char(i);
            r[9 + 3 * i] = char(i % 3 == 0 ? 0xF1 + i % 8 : 0x04 + i);
        }
    } else {
        r[5] = 50;
        r[10] = 20;
        for (int j = 0; j < 20; ++j) {
            r[11 + 2 * j] = char(1u << (j % 8));
            r[12 + 2 * j] = char(0x04 + j);
        }
    }
    return r;
}

void benchDecode(const char *name, bool r10)
{
    const QByteArray record = macroRecord(r10);
    const auto *data = reinterpret_cast<const unsigned char *>(record.constData());
    const int rounds = 200000;
    int steps = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i)
        steps += (r10 ? decodeLegacyR10UdavRecord(data, record.size())
                      : decodeLegacyOldRecord(data, record.size()))
                     .macroSteps.size();
    const double ns = double(clock.nsecsElapsed()) / rounds;
    std::printf("decode %-8s longest macro record: %8.0f ns/record (%d steps)\n", name, ns,
                steps / rounds);
}

void benchDevice(const char *name, Gen gen)
{
    sim::SimBus::reset();
    auto firmware = std::make_shared<sim::LegacyFirmware>(gen);
    const int id = sim::SimBus::plug(0x1189, 0x8840, firmware);
    sim::SimBus::setLatency(id, 1);
    hid_device *dev = hid_open_path(sim::SimBus::pathOf(id, 1).constData());

    LegacyDeviceInfo info;
    QElapsedTimer clock;
    clock.start();
    probeLegacyDeviceInfo(dev, info);
    const qint64 probeMs = clock.restart();
    QVector<QVector<KeyData>> layers;
    readAllLegacyLayers(dev, info, layers);
    const qint64 readMs = clock.restart();

    KeyboardData model;
    for (int slot = 0; slot < 16; ++slot) {
        model.keyDataAt(0, slot)->setBasicKey(quint8(0x04 + slot));
        model.markKeyChanged(0, slot);
    }
    model.setLedMode(0, 3);
    clock.restart();
    saveDirtyConfiguration(dev, info, model);
    const qint64 saveMs = clock.elapsed();
    std::printf("%-8s probe %4lld ms, read of 3 layers %4lld ms, save of 16 keys + lighting %4lld ms\n",
                name, static_cast<long long>(probeMs), static_cast<long long>(readMs),
                static_cast<long long>(saveMs));
    hid_close(dev);
    sim::SimBus::reset();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    benchDecode("R10Udav", true);
    benchDecode("Old", false);
    benchDevice("R10Udav", Gen::R10Udav);
    benchDevice("Old", Gen::Old);
    return 0;
}
