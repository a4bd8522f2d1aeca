// Reading and saving over a lossy link, on every protocol kind: reads may come back
// incomplete and saves may fail, but a read reported complete is what the keypad holds and
// an item reported saved is on it.
#include "session/verifiedsave.h"
#include "model/keyboarddata.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/saverig.h"

#include <QtTest>

using sim::SimBus;
using testsupport::checkHonest;
using testsupport::SaveRig;
using Kind = SaveRig::Kind;

class TstLossyLink : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::resetDeviceLink(); }
    void lossAndGarbling_data() { testsupport::addSaveRigKinds(); }
    void lossAndGarbling();
};

// A lossy link at 2, 10 and 30 %: whole replies lost and replies garbled. Reads may come back
// incomplete and saves may fail, but never wrongly.
void TstLossyLink::lossAndGarbling()
{
    QFETCH(Kind, kind);
    for (const int rate : {2, 10, 30}) {
        for (const quint32 seed : {1u, 2u, 3u}) {
            const QString context = QStringLiteral("%1 % seed %2").arg(rate).arg(seed);
            SaveRig rig(kind);
            KeyboardData model;
            QVERIFY(rig.open());
            QVERIFY(rig.load(model));
            const ConnectResult truth = rig.read();

            SimBus::setReplyFaultRates(rig.id(), rate, rate, seed);
            const ConnectResult r = rig.read();
            for (int l = 0; l < truth.layers.size(); ++l) {
                for (int k = 0; k < truth.layers[l].size(); ++k) {
                    if (r.allLayersOk)
                        QVERIFY2(r.coverage.keyRead(l, k), qPrintable(context));
                    if (r.coverage.keyRead(l, k))
                        QVERIFY2(r.layers[l][k].sameFunction(truth.layers[l][k]),
                                 qPrintable(context + QStringLiteral(" read wrong: layer %1 key %2").arg(l).arg(k)));
                }
                if (r.coverage.lightingRead(l))
                    QVERIFY2(r.ledConfigs[l].colors == truth.ledConfigs[l].colors
                                 && r.ledConfigs[l].mode == truth.ledConfigs[l].mode,
                             qPrintable(context + QStringLiteral(" lighting read wrong: layer %1").arg(l)));
            }

            const QVector<SaveItem> edits = rig.edit(model);
            const VerifiedSave::Outcome o = rig.save(model);
            QVERIFY(rig.reopen());
            rig.powerCycle();
            checkHonest(rig, model, edits, o, context);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

QTEST_GUILESS_MAIN(TstLossyLink)
#include "tst_lossylink.moc"
