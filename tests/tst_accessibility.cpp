// The window for everyone: focus that shows, numbers and captions that read on any key
// colour, captions that keep what tells them apart, Qt's own dialogs in the window's
// language, and a keypad that may not be opened made plain.
#include "app/widget.h"
#include "support/demowindow.h"

#include <QtTest>

using testsupport::DemoWindow;

class TstAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void screenshots_data();
    void screenshots();
};

void TstAccessibility::screenshots_data()
{
    QTest::addColumn<QString>("keypad");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QSize>("size");
    for (const char *keypad : {"16k3e", "6k1e", "16k3e-s1", "5k2e", "old"})
        for (bool zh : {false, true})
            for (const QSize &s : {QSize(800, 600), QSize(1024, 768), QSize(1920, 1080)})
                QTest::addRow("%s-%s-%dx%d", keypad, zh ? "zh" : "en", s.width(), s.height())
                    << QString::fromLatin1(keypad) << zh << s;
}

void TstAccessibility::screenshots()
{
    if (qEnvironmentVariableIsEmpty("MPS_SHOTS_DIR"))
        QSKIP("MPS_SHOTS_DIR names where the pictures go");
    QFETCH(QString, keypad);
    QFETCH(bool, chinese);
    QFETCH(QSize, size);
    DemoWindow d(keypad, chinese);
    QVERIFY(d.open(size));
    d.shot(QString::fromLatin1(QTest::currentDataTag()));
}

QTEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
