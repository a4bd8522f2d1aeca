// The multimedia and mouse pages: every button against its code, clicks on a selected key,
// the swipe and like buttons of keypads with the old legacy firmware, and the drawn icons.
#include "model/keyboarddata.h"
#include "pages/mousepage.h"
#include "pages/multimediapage.h"
#include "support/logcapture.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QStringList g_log;
void captureLog(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    g_log.append(msg);
}

// Buttons of a page laid out as a vertical box of horizontal rows, row by row.
QVector<QVector<QPushButton *>> gridOf(QWidget *page)
{
    QVector<QVector<QPushButton *>> rows;
    auto *v = qobject_cast<QVBoxLayout *>(page->layout());
    if (!v)
        return rows;
    for (int r = 0; r < v->count(); ++r) {
        QVector<QPushButton *> row;
        if (QLayout *h = v->itemAt(r)->layout())
            for (int i = 0; i < h->count(); ++i)
                if (auto *b = qobject_cast<QPushButton *>(h->itemAt(i)->widget()))
                    row.append(b);
        rows.append(row);
    }
    return rows;
}

} // namespace

class TestMediaMousePages : public QObject
{
    Q_OBJECT

private:
    KeyboardData *m_model = nullptr;
    MultimediaPage *m_media = nullptr;
    MousePage *m_mouse = nullptr;
    bool m_legacyOld = false;
    QtMessageHandler m_previousHandler = nullptr;

    const KeyData &key(int idx) const { return *m_model->keyDataAt(m_model->currentLayer(), idx); }
    QPushButton *mediaButton(const QString &text) const
    {
        for (QPushButton *b : m_media->findChildren<QPushButton *>())
            if (b->text() == text)
                return b;
        return nullptr;
    }
    QPushButton *mouseButton(const QString &text) const
    {
        for (QPushButton *b : m_mouse->findChildren<QPushButton *>())
            if (b->text() == text)
                return b;
        return nullptr;
    }

private slots:
    void init()
    {
        m_model = new KeyboardData(this);
        m_media = new MultimediaPage(m_model);
        m_media->resize(1200, 450);
        m_media->show();
        m_mouse = new MousePage(m_model);
        m_mouse->setLegacyOldDeviceCheck([this] { return m_legacyOld; });
        m_mouse->resize(1200, 450);
        m_mouse->show();
        m_legacyOld = false;
        QVERIFY(QTest::qWaitForWindowExposed(m_media));
        QVERIFY(QTest::qWaitForWindowExposed(m_mouse));
        g_log.clear();
        testsupport::enableDiagnosticLog(true); // the pages' lines are read below
        m_previousHandler = qInstallMessageHandler(captureLog);
    }
    void cleanup()
    {
        qInstallMessageHandler(m_previousHandler);
        testsupport::enableDiagnosticLog(false);
        delete m_media;
        delete m_mouse;
        delete m_model;
    }

    void mediaGridCarriesEveryUsage()
    {
        const QVector<QVector<QPair<QString, int>>> expected = {
            {{"Next Track", 0xB5}, {"Stop", 0xB7}, {"Prev Track", 0xB6}, {"Play/Pause", 0xCD},
             {"Bright+", 0x6F}, {"My Computer", 0x194}, {"Bright-", 0x70}},
            {{"Vol-", 0xEA}, {"Vol+", 0xE9}, {"Mute", 0xE2}, {"Open Media", 0x183}, {"Calculator", 0x192},
             {"Browser", 0x196}, {"Email", 0x18A}},
            {{"Bass+", 0x152}, {"Refresh", 0x227}, {"Treble-", 0x15D}, {"Treble+", 0x15C},
             {"Forward", 0x225}, {"Bass-", 0x153}, {"Back", 0x224}},
        };
        const auto rows = gridOf(m_media);
        QCOMPARE(rows.size(), 5);
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(rows.at(r).size(), 7);
            for (int c = 0; c < 7; ++c) {
                QPushButton *b = rows.at(r).at(c);
                if (r < 3) {
                    QCOMPARE(b->text(), expected.at(r).at(c).first);
                    QCOMPARE(b->property("mediaCode").toInt(), expected.at(r).at(c).second);
                    QCOMPARE(b->property("class").toString(), QStringLiteral("mediaKey"));
                    QVERIFY(b->isEnabled());
                } else {
                    QVERIFY(b->text().isEmpty());
                    QVERIFY(!b->isEnabled());
                    QCOMPARE(b->property("class").toString(), QStringLiteral("mediaKeyEmpty"));
                }
            }
        }
        // Equal cells.
        QCOMPARE(rows.at(0).at(0)->size(), rows.at(4).at(6)->size());

        // Every media button gives its usage and name to the selected key.
        m_model->selectKey(9);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 7; ++c) {
                QTest::mouseClick(rows.at(r).at(c), Qt::LeftButton);
                QCOMPARE(key(9).type, quint8(KeyType::Multimedia));
                QCOMPARE(int(key(9).mediaUsage), expected.at(r).at(c).second);
                QCOMPARE(key(9).fullText, expected.at(r).at(c).first);
                QCOMPARE(key(9).buttonText, expected.at(r).at(c).first);
            }
        }
        // Placeholders never reach the model.
        m_model->selectKey(10);
        QTest::mouseClick(rows.at(4).at(3), Qt::LeftButton);
        QVERIFY(!key(10).dirty);
    }

    void mediaClicks()
    {
        // My Computer keeps its usage beyond 8 bits.
        m_model->selectKey(1);
        QTest::mouseClick(mediaButton("My Computer"), Qt::LeftButton);
        QCOMPARE(key(1).mediaUsage, quint16(0x194));
        QCOMPARE(key(1).fullText, QStringLiteral("My Computer"));

        // Vol+ twice: same state, still dirty, both clicks signalled.
        QSignalSpy full(m_model, &KeyboardData::keyFullTextChanged);
        QTest::mouseClick(mediaButton("Vol+"), Qt::LeftButton);
        QTest::mouseClick(mediaButton("Vol+"), Qt::LeftButton);
        QCOMPARE(key(1).mediaUsage, quint16(0xE9));
        QVERIFY(key(1).dirty);
        QCOMPARE(full.size(), 2);

        // A macro becomes a media key; the replace flag is left as it was.
        m_model->selectKey(2);
        QVERIFY(m_model->applyBaseKey(0x04));
        QVERIFY(m_model->applyBaseKey(0x05));
        QCOMPARE(key(2).type, quint8(KeyType::Macro));
        QTest::mouseClick(mediaButton("Mute"), Qt::LeftButton);
        QCOMPARE(key(2).type, quint8(KeyType::Multimedia));
        QVERIFY(key(2).macroSteps.isEmpty());
        QVERIFY(!m_model->replaceOnNextBaseKey());

        // No selection: nothing changes.
        m_model->setCurrentLayer(1);
        QSignalSpy captions(m_model, &KeyboardData::keyButtonTextChanged);
        QTest::mouseClick(mediaButton("Stop"), Qt::LeftButton);
        QCOMPARE(captions.size(), 0);
        QVERIFY(g_log.contains(QStringLiteral("MultiMedia: no key selected")));
    }

    void mouseButtonsInPageOrder()
    {
        struct Cell {
            const char *text;
            int action; // -1 for a blank cell
        };
        const QVector<QVector<Cell>> expected = {
            {{"Mouse LeftKey", 0}, {"Mouse Middle", 2}, {"Mouse Right", 1}},
            {{"Mouse Wheel+", 3}, {"Mouse Wheel-", 4}, {"Like", 15}},
            {{"Ctrl+Mouse Up", 5}, {"Ctrl+Mouse Down", 6}, {"Left Swipe", 11}},
            {{"Shift+Mouse Up", 7}, {"Shift+Mouse Down", 8}, {"Right Swipe", 12}},
            {{"Alt+Mouse Up", 9}, {"Alt+Mouse Down", 10}, {"Up Swipe", 13}},
            {{"", -1}, {"", -1}, {"Down Swipe", 14}},
        };
        const QStringList longNames = {"Mouse Left", "Mouse Right", "Mouse Middle", "Mouse Wheel Up",
                                       "Mouse Wheel Down", "Ctrl+Wheel Up", "Ctrl+Wheel Down",
                                       "Shift+Wheel Up", "Shift+Wheel Down", "Alt+Wheel Up",
                                       "Alt+Wheel Down", "Left Swipe", "Right Swipe", "Up Swipe",
                                       "Down Swipe", "Like"};
        const QStringList shortNames = {"M-L", "M-R", "M-M", "W+", "W-", "C+W+", "C+W-", "S+W+",
                                        "S+W-", "A+W+", "A+W-", "SW-L", "SW-R", "SW-U", "SW-D", "LIKE"};
        const auto rows = gridOf(m_mouse);
        QCOMPARE(rows.size(), 6);
        // A combination key first: every click replaces whatever the key holds.
        m_model->selectKey(6);
        QVERIFY(m_model->applyBaseKey(0xE0));
        QVERIFY(m_model->applyBaseKey(0xE1));
        QCOMPARE(key(6).type, quint8(KeyType::Combination));
        for (int r = 0; r < 6; ++r) {
            QCOMPARE(rows.at(r).size(), 3);
            for (int c = 0; c < 3; ++c) {
                QPushButton *b = rows.at(r).at(c);
                const Cell &cell = expected.at(r).at(c);
                QCOMPARE(b->text(), QString::fromUtf8(cell.text));
                QCOMPARE(b->iconSize(), QSize(34, 34));
                QVERIFY(!b->icon().isNull());
                if (cell.action < 0) {
                    QVERIFY(!b->isEnabled());
                    QVERIFY(b->toolTip().isEmpty());
                    QCOMPARE(b->property("class").toString(), QStringLiteral("mouseKeyDisabled"));
                    QVERIFY(!b->property("mouseAction").isValid());
                    continue;
                }
                QCOMPARE(b->property("class").toString(), QStringLiteral("mouseKey"));
                QCOMPARE(b->property("mouseAction").toInt(), cell.action);
                QCOMPARE(b->property("legacyOldUnsupportedMouse").toBool(), cell.action >= 11);
                QTest::mouseClick(b, Qt::LeftButton);
                QCOMPARE(key(6).type, quint8(KeyType::Mouse));
                QCOMPARE(int(key(6).mouseAction), cell.action);
                QCOMPARE(key(6).fullText, longNames.at(cell.action));
                QCOMPARE(key(6).buttonText, shortNames.at(cell.action));
                QVERIFY(key(6).comboKeys.isEmpty());
            }
        }
        QVERIFY(!m_model->replaceOnNextBaseKey());
        QCOMPARE(m_mouse->swipeAndLikeButtons().size(), 5);

        m_model->setCurrentLayer(0);
        QTest::mouseClick(mouseButton("Mouse Right"), Qt::LeftButton);
        QVERIFY(g_log.contains(QStringLiteral("Mouse: no key selected")));
    }

    void swipeAndLikeOnOldLegacyKeypads()
    {
        const auto swipes = m_mouse->swipeAndLikeButtons();
        QStringList texts;
        for (QPushButton *b : swipes)
            texts.append(b->text());
        texts.sort();
        QCOMPARE(texts, (QStringList{"Down Swipe", "Left Swipe", "Like", "Right Swipe", "Up Swipe"}));

        m_legacyOld = true;
        m_mouse->updateLegacyMouseFeatureAvailability();
        for (QPushButton *b : swipes) {
            QVERIFY(!b->isVisible());
            QVERIFY(!b->isEnabled());
        }
        QVERIFY(mouseButton("Mouse LeftKey")->isVisible());
        QVERIFY(mouseButton("Alt+Mouse Down")->isEnabled());

        // A click that reaches a swipe button anyway (the availability was not refreshed yet)
        // is refused; the other actions still work.
        m_legacyOld = false;
        m_mouse->updateLegacyMouseFeatureAvailability();
        m_legacyOld = true;
        m_model->selectKey(0);
        QTest::mouseClick(mouseButton("Like"), Qt::LeftButton);
        QCOMPARE(key(0).type, quint8(KeyType::Empty));
        QVERIFY(g_log.contains(QStringLiteral("Mouse: legacy old device does not support swipe/like")));
        QTest::mouseClick(mouseButton("Mouse Wheel-"), Qt::LeftButton);
        QCOMPARE(key(0).mouseAction, quint8(4));

        // Any other keypad shows them again.
        m_legacyOld = false;
        m_mouse->updateLegacyMouseFeatureAvailability();
        for (QPushButton *b : swipes) {
            QVERIFY(b->isVisible());
            QVERIFY(b->isEnabled());
        }
        QTest::mouseClick(mouseButton("Like"), Qt::LeftButton);
        QCOMPARE(key(0).mouseAction, quint8(15));
    }

    void iconsShowTheUsedPart()
    {
        const QColor accent(0x4d, 0xb6, 0xff);
        const QColor greyAccent(0x62, 0x62, 0x62);
        auto at = [](const QPixmap &p, int x, int y) { return p.toImage().pixelColor(x, y); };
        const QPixmap left = MousePage::mouseIcon(QStringLiteral("left"), true);
        const QPixmap right = MousePage::mouseIcon(QStringLiteral("right"), true);
        const QPixmap middle = MousePage::mouseIcon(QStringLiteral("middle"), true);
        const QPixmap up = MousePage::mouseIcon(QStringLiteral("wheel_up"), true);
        const QPixmap down = MousePage::mouseIcon(QStringLiteral("wheel_down"), true);
        const QPixmap blank = MousePage::mouseIcon(QStringLiteral("placeholder"), false);
        QCOMPARE(left.size(), QSize(34, 34));
        // Outside the body stays transparent.
        QCOMPARE(at(left, 1, 1).alpha(), 0);
        QCOMPARE(at(left, 32, 32).alpha(), 0);
        // The left half of the button area is lit on the left icon only, the right half on
        // the right icon only.
        QCOMPARE(at(left, 15, 12), accent);
        QVERIFY(at(right, 15, 12) != accent);
        QCOMPARE(at(right, 19, 12), accent);
        QVERIFY(at(left, 19, 12) != accent);
        // The middle button fills the centre lower down.
        QCOMPARE(at(middle, 17, 22), accent);
        QVERIFY(at(left, 17, 22) != accent);
        // Wheel arrows: the head of the up arrow is near the top, of the down arrow near
        // the bottom.
        QCOMPARE(at(up, 12, 12), accent);
        QCOMPARE(at(down, 12, 22), accent);
        QVERIFY(at(up, 9, 19) != accent);
        QVERIFY(at(down, 9, 14) != accent);
        // Unavailable cells use the grey palette.
        QCOMPARE(at(blank, 17, 17), greyAccent);
    }
};

QTEST_MAIN(TestMediaMousePages)
#include "tst_mediamousepages.moc"
