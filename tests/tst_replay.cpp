// The captures under tests/captures/ played back as keypads through the real window: what a
// captured keypad held is read again, the recorded change goes out as the same reports and
// reads back, and a request the capture cannot answer is reported and fails as a silent keypad
// does. scripts/record-captures re-makes the demo keypads' files.
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "model/keyboarddata.h"
#include "sim/capturefile.h"
#include "sim/demokeypads.h"
#include "sim/replayfirmware.h"
#include "sim/simbus.h"
#include "support/capturesession.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QLabel>
#include <QThreadPool>
#include <QtTest>

#include <memory>

using sim::CaptureFile;
using sim::ReplayFirmware;
using sim::SimBus;
using testsupport::LogCapture;

namespace {

QVector<QByteArray> changes(const QVector<QByteArray> &requests)
{
    QVector<QByteArray> out;
    for (const QByteArray &r : requests)
        if (ReplayFirmware::changesKeypad(r))
            out << r;
    return out;
}

std::shared_ptr<ReplayFirmware> replayOf(int id)
{
    return std::dynamic_pointer_cast<ReplayFirmware>(SimBus::firmware(id));
}

} // namespace

class TstReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }

    // Every capture of the folder, from a demo keypad or from the field: the connect read,
    // the change the capture recorded, its save and the re-read.
    void replaysCaptures_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList names = testsupport::committedCaptures();
        QVERIFY(names.size() >= testsupport::capturedDemoKeypads().size());
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << name;
    }
    void replaysCaptures()
    {
        QFETCH(QString, name);
        const QString path = testsupport::committedCapture(name);
        CaptureFile capture;
        QVERIFY2(capture.load(path), qPrintable(capture.errorString()));

        // The keypad as the capture leaves it, after the recorded change; and, for a demo
        // keypad, what the window reads from the simulated keypad itself.
        KeyboardData after;
        KeyboardData live;
        bool demo = false;
        for (bool atEnd : {true, false}) {
            const int id = atEnd ? sim::installReplayKeypad(path) : sim::plugDemoKeypad(name);
            if (!id)
                continue;
            if (atEnd)
                replayOf(id)->jumpToEnd();
            Widget w(testsupport::configFrom(""));
            testsupport::ReadWatch reads(w);
            QVERIFY(testsupport::waitLoaded(reads));
            testsupport::copyConfiguration(*w.keyboardData(), atEnd ? after : live);
            demo = !atEnd;
            QThreadPool::globalInstance()->waitForDone();
            testsupport::resetDeviceLink();
        }

        QString error;
        const int id = sim::installReplayKeypad(path, &error);
        QVERIFY2(id > 0, qPrintable(error));
        Widget w(testsupport::configFrom(""));
        testsupport::ReadWatch reads(w);
        QVERIFY(testsupport::waitLoaded(reads));
        KeyboardData *m = w.keyboardData();
        if (demo)
            QCOMPARE(testsupport::configurationDifference(*m, live), QString());

        // The recorded change: the same writes as in the capture, and the window believes them.
        QVERIFY(testsupport::editTowards(*m, after) > 0);
        SimBus::clearWrittenReports(id);
        QVERIFY(testsupport::saveSettings(w));
        QCOMPARE(changes(SimBus::writtenReports(id)), [&] {
            QVector<QByteArray> requests;
            for (const CaptureFile::Exchange &e : capture.exchanges())
                requests << e.request;
            return changes(requests);
        }());
        QVERIFY(!m->hasUnsavedChanges());

        // Read again: the keypad holds the change.
        QVERIFY(testsupport::viewSettings(w, reads));
        QCOMPARE(testsupport::configurationDifference(*m, after), QString());
        if (demo) {
            live.selectKey(testsupport::kEditedButton);
            QVERIFY(live.applyBaseKey(testsupport::kEditedUsage));
            QCOMPARE(testsupport::configurationDifference(*m, live), QString());
        }
        QVERIFY(replayOf(id)->unknownRequests().isEmpty());
    }

    // Another edit than the recorded one: the capture holds no answer to its write, so the
    // keypad stays silent, the window's save fails as against any silent keypad, and the request
    // is reported with the captured write it differs from.
    void unknownRequest()
    {
        const QString path = testsupport::committedCapture(QStringLiteral("16k3e"));
        const int id = sim::installReplayKeypad(path);
        QVERIFY(id > 0);
        LogCapture log;
        Widget w(testsupport::configFrom(""));
        testsupport::ReadWatch reads(w);
        QVERIFY(testsupport::waitLoaded(reads));
        SimBus::clearWrittenReports(id);
        const quint8 other = testsupport::kEditedUsage + 1; // Y
        QVERIFY(!testsupport::editAndSave(w, other));
        QVERIFY(w.statusLabel()->text() != QStringLiteral("Saved successfully"));
        QVERIFY(w.keyboardData()->keyDataAt(0, testsupport::kEditedButton)->dirty);

        const QVector<QByteArray> written = SimBus::writtenReports(id);
        const QVector<ReplayFirmware::UnknownRequest> unknown = replayOf(id)->unknownRequests();
        QCOMPARE(unknown.size(), 3); // the write and its two retries
        const ReplayFirmware::UnknownRequest &u = unknown.first();
        QCOMPARE(u.request, written.first());
        QVERIFY(u.index > 1);
        QCOMPARE(unknown[1].index, u.index + 1);
        // The nearest captured request is the recorded write of X: the same report but for the
        // key code and the checksum (byte 63).
        CaptureFile capture;
        QVERIFY(capture.load(path));
        QByteArray recorded;
        for (const CaptureFile::Exchange &e : capture.exchanges())
            if (e.line == u.nearestLine)
                recorded = e.request;
        QCOMPARE(u.nearest, recorded);
        QCOMPARE(quint8(recorded[1]), quint8(1)); // a key write
        QCOMPARE(u.differingBytes.size(), 2);
        QCOMPARE(u.differingBytes[1], 63);
        QCOMPARE(quint8(u.request[u.differingBytes[0]]), other);
        QCOMPARE(quint8(recorded[u.differingBytes[0]]), testsupport::kEditedUsage);
        const QString line = ReplayFirmware::describe(u);
        QVERIFY2(log.contains(line), qPrintable(line));
        QVERIFY(line.contains(QStringLiteral("request %1 ").arg(u.index)));
        QVERIFY(line.contains(QString::fromLatin1(u.request.toHex())));
        QVERIFY(line.contains(QStringLiteral("line %1: ").arg(u.nearestLine)));
    }
};

QTEST_MAIN(TstReplay)
#include "tst_replay.moc"
