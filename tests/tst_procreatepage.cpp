// The Procreate page: the shortcut table, label wrapping, clicks that build keys and
// macros, and the names the panel shows for keys holding a shortcut.
#include "model/keyboarddata.h"
#include "pages/basekeyspage.h"
#include "pages/pagecaptions.h"
#include "pages/procreatepage.h"
#include "pages/procreatetable.h"
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

struct Shortcut {
    const char *label;
    const char *shortLabel;
    QVector<int> usages;
};

const QVector<Shortcut> &expectedShortcuts()
{
    static const QVector<Shortcut> list = {
        {"QuickMenu", "QuickMenu", {0x2C}},
        {"Debug Commands", "Debug", {0x35}},
        {"Activate Brush Tool", "Brush", {0x05}},
        {"Open Color Panel", "Color", {0x06}},
        {"Activate Eraser Tool", "Eraser", {0x08}},
        {"Open Layers Panel", "Layers", {0x0F}},
        {"Enter Selection Mode", "Select", {0x16}},
        {"Enter Transform Mode", "Transform", {0x19}},
        {"Switch Between Previous and Current Color", "Swap Color", {0x1B}},
        {"Color Pick (Alt)", "Pick Alt", {0xE2}},
        {"Color Pick M (iOS 17)", "Pick M", {0x10}},
        {"Clear Selected Layer", "Clear Layer", {0xE3, 0x2A}},
        {"Toggle Full Screen Mode", "Fullscreen", {0xE3, 0x27}},
        {"Toggle Perspective Guide", "Guide", {0xE3, 0x33}},
        {"Decrease Brush Size by 1%", "Brush -1%", {0xE3, 0x2F}},
        {"Increase Brush Size by 1%", "Brush +1%", {0xE3, 0x30}},
        {"Decrease Brush Size by 5%", "Brush -5%", {0x2F}},
        {"Increase Brush Size by 5%", "Brush +5%", {0x30}},
        {"Decrease Brush Size by 10%", "Brush -10%", {0xE1, 0x2F}},
        {"Increase Brush Size by 10%", "Brush +10%", {0xE1, 0x30}},
        {"Copy All", "Copy All", {0xE3, 0x04}},
        {"Apply Color Balance Adjustment", "Color Bal", {0xE3, 0x05}},
        {"Copy", "Copy", {0xE3, 0x06}},
        {"Clear Selection", "Clear Sel", {0xE3, 0x07}},
        {"Duplicate Selection", "Duplicate", {0xE3, 0x0D}},
        {"Open Actions Menu", "Actions", {0xE3, 0x0E}},
        {"Apply HSB Adjustment", "HSB", {0xE3, 0x18}},
        {"Paste", "Paste", {0xE3, 0x19}},
        {"Cut", "Cut", {0xE3, 0x1B}},
        {"Undo", "Undo", {0xE3, 0x1D}},
        {"Redo", "Redo", {0xE1, 0xE3, 0x1D}},
        {"Deselect", "Deselect", {0xE3, 0x07}},
    };
    return list;
}

} // namespace

class TestProcreatePage : public QObject
{
    Q_OBJECT

private:
    KeyboardData *m_model = nullptr;
    ProcreatePage *m_page = nullptr;
    QtMessageHandler m_previousHandler = nullptr;

    const KeyData &key(int idx) const { return *m_model->keyDataAt(m_model->currentLayer(), idx); }
    QVector<QVector<QPushButton *>> grid() const
    {
        QVector<QVector<QPushButton *>> rows;
        auto *v = qobject_cast<QVBoxLayout *>(m_page->layout());
        for (int r = 0; v && r < v->count(); ++r) {
            QVector<QPushButton *> row;
            QLayout *h = v->itemAt(r)->layout();
            for (int i = 0; h && i < h->count(); ++i)
                if (auto *b = qobject_cast<QPushButton *>(h->itemAt(i)->widget()))
                    row.append(b);
            rows.append(row);
        }
        return rows;
    }
    QPushButton *shortcut(const QString &label) const
    {
        for (QPushButton *b : m_page->findChildren<QPushButton *>())
            if (b->property("procreateLabel").toString() == label)
                return b;
        return nullptr;
    }

private slots:
    void init()
    {
        m_model = new KeyboardData(this);
        m_page = new ProcreatePage(m_model);
        m_page->resize(1200, 480);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page));
        g_log.clear();
        testsupport::enableDiagnosticLog(true); // the pages' lines are read below
        m_previousHandler = qInstallMessageHandler(captureLog);
    }
    void cleanup()
    {
        qInstallMessageHandler(m_previousHandler);
        testsupport::enableDiagnosticLog(false);
        delete m_page;
        delete m_model;
    }

    void wrapping_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        // Hand-made breaks.
        QTest::newRow("switch") << "Switch Between Previous and Current Color"
                                << "Switch Between\nPrevious and\nCurrent Color";
        QTest::newRow("balance") << "Apply Color Balance Adjustment" << "Apply Color\nBalance\nAdjustment";
        QTest::newRow("fullscreen") << "Toggle Full Screen Mode" << "Toggle Full\nScreen Mode";
        QTest::newRow("guide") << "Toggle Perspective Guide" << "Toggle\nPerspective\nGuide";
        QTest::newRow("brush") << "Activate Brush Tool" << "Activate\nBrush Tool";
        QTest::newRow("eraser") << "Activate Eraser Tool" << "Activate\nEraser Tool";
        QTest::newRow("color") << "Open Color Panel" << "Open Color\nPanel";
        QTest::newRow("layers") << "Open Layers Panel" << "Open Layers\nPanel";
        QTest::newRow("selection") << "Enter Selection Mode" << "Enter\nSelection\nMode";
        QTest::newRow("transform") << "Enter Transform Mode" << "Enter\nTransform\nMode";
        QTest::newRow("clear layer") << "Clear Selected Layer" << "Clear\nSelected\nLayer";
        QTest::newRow("actions") << "Open Actions Menu" << "Open\nActions\nMenu";
        QTest::newRow("hsb") << "Apply HSB Adjustment" << "Apply HSB\nAdjustment";
        QTest::newRow("pick m") << "Color Pick M (iOS 17)" << "Color Pick\nM (iOS 17)";
        // Automatic wrapping: limit max(length / 3, 10).
        QTest::newRow("by 10%") << "Decrease Brush Size by 10%" << "Decrease\nBrush Size\nby 10%";
        QTest::newRow("one word") << "Copy" << "Copy";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("only spaces") << "   " << "   ";
        QTest::newRow("two short words") << "Copy All" << "Copy All";
        QTest::newRow("extra spaces") << "  Copy   All " << "Copy All";
        QTest::newRow("debug") << "Debug Commands" << "Debug\nCommands";
        QTest::newRow("pick alt") << "Color Pick (Alt)" << "Color Pick\n(Alt)";
        // The third line takes all remaining words.
        QTest::newRow("third line") << "aaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd eeeeeeeeee"
                                    << "aaaaaaaaaa\nbbbbbbbbbb\ncccccccccc dddddddddd eeeeeeeeee";
        QTest::newRow("long words") << "abcdefghijkl mnopqrstuvwx yzabcdefghij klmnopqrstuv"
                                    << "abcdefghijkl\nmnopqrstuvwx\nyzabcdefghij klmnopqrstuv";
        QTest::newRow("chinese") << QString::fromUtf8("切换上一个\n当前颜色") << QString::fromUtf8("切换上一个\n当前颜色");
    }
    void wrapping()
    {
        QFETCH(QString, label);
        QFETCH(QString, text);
        QCOMPARE(ProcreatePage::wrapProcreateLabel(label), text);
    }

    void pageCarriesEveryShortcut()
    {
        const auto rows = grid();
        QCOMPARE(rows.size(), 5);
        const auto &expected = expectedShortcuts();
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(rows.at(r).size(), 8);
            for (int k = 0; k < 8; ++k) {
                QPushButton *b = rows.at(r).at(k);
                const int index = r * 8 + k;
                if (index >= expected.size()) {
                    QVERIFY(!b->isEnabled());
                    QVERIFY(b->text().isEmpty());
                    QCOMPARE(b->property("class").toString(), QStringLiteral("procreateKeyEmpty"));
                    QVERIFY(!b->property("procreateKeycodes").isValid());
                    continue;
                }
                const Shortcut &s = expected.at(index);
                QCOMPARE(b->property("procreateLabel").toString(), QString::fromUtf8(s.label));
                QCOMPARE(b->property("procreateShortLabel").toString(), QString::fromUtf8(s.shortLabel));
                QCOMPARE(b->text(), ProcreatePage::wrapProcreateLabel(QString::fromUtf8(s.label)));
                QCOMPARE(b->property("class").toString(), QStringLiteral("procreateKey"));
                QVector<int> codes;
                for (const QVariant &v : b->property("procreateKeycodes").toList())
                    codes.append(v.toInt());
                QCOMPARE(codes, s.usages);
                QCOMPARE(b->font().pixelSize(), 17);
            }
        }
        // At the page's usual size no label is cut: every button gets at least the height
        // its lines need, and the rows of one-line labels share what is left.
        for (int r = 0; r < 4; ++r)
            for (QPushButton *b : rows.at(r))
                QVERIFY2(b->height() >= b->sizeHint().height(), qPrintable(b->text()));
    }

    void labelsFitSmallWindows()
    {
        // Room enough: the page keeps its full-size look.
        QCOMPARE(m_page->styleSheet(), ProcreatePage::styleSheetFor(10, 12, 17, 16));
        // The smallest window: scaled sizes, and smaller text where three-line labels would
        // be cut; every label keeps the room its text needs.
        for (const QSize &size : {QSize(860, 330), QSize(700, 300), QSize(1000, 400)}) {
            m_page->updateProcreateStyleSheet(0.8);
            m_page->resize(size);
            QTest::qWait(1);
            for (QPushButton *b : m_page->findChildren<QPushButton *>()) {
                if (b->text().isEmpty())
                    continue;
                const QString what = QStringLiteral("%1x%2 %3").arg(size.width()).arg(size.height()).arg(b->text());
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(what));
                QVERIFY2(b->height() >= b->sizeHint().height(), qPrintable(what));
                QVERIFY2(b->font().pixelSize() >= 9, qPrintable(what));
            }
        }
        // Growing again brings the scaled sizes back.
        m_page->resize(1500, 600);
        QTest::qWait(1);
        QCOMPARE(m_page->styleSheet(), ProcreatePage::styleSheetFor(8, 10, 14, 13));
    }

    void everyClickBuildsItsKey()
    {
        m_model->selectKey(11);
        for (const Shortcut &s : expectedShortcuts()) {
            QTest::mouseClick(shortcut(QString::fromUtf8(s.label)), Qt::LeftButton);
            const KeyData &k = key(11);
            QVERIFY(k.dirty);
            if (s.usages.size() == 1) {
                QCOMPARE(k.type, quint8(KeyType::Basic));
                QCOMPARE(int(k.keyCode), s.usages.first());
                QVERIFY(k.macroSteps.isEmpty());
                continue;
            }
            QCOMPARE(k.type, quint8(KeyType::Macro));
            const int n = s.usages.size();
            QCOMPARE(k.macroSteps.size(), 2 * n);
            for (int i = 0; i < n; ++i) {
                QCOMPARE(k.macroSteps.at(i), (MacroStepData{0, quint8(s.usages.at(i)), quint16(i ? 20 : 0)}));
                QCOMPARE(k.macroSteps.at(n + i), (MacroStepData{1, quint8(s.usages.at(n - 1 - i)), 20}));
            }
        }
    }

    void clicksOnTheSelectedKey()
    {
        // Activate Brush Tool: a plain B key named as a key, not as the shortcut.
        m_model->selectKey(0);
        QSignalSpy button(m_model, &KeyboardData::keyButtonTextChanged);
        QTest::mouseClick(shortcut("Activate Brush Tool"), Qt::LeftButton);
        QCOMPARE(key(0).type, quint8(KeyType::Basic));
        QCOMPARE(key(0).keyCode, quint8(0x05));
        QCOMPARE(key(0).fullText, QStringLiteral("B"));
        QCOMPARE(button.size(), 1);

        // Redo: six steps.
        QTest::mouseClick(shortcut("Redo"), Qt::LeftButton);
        const QVector<MacroStepData> redo = {{0, 0xE1, 0}, {0, 0xE3, 20}, {0, 0x1D, 20},
                                             {1, 0x1D, 20}, {1, 0xE3, 20}, {1, 0xE1, 20}};
        QCOMPARE(key(0).macroSteps, redo);
        QCOMPARE(key(0).type, quint8(KeyType::Macro));
        QCOMPARE(key(0).buttonText, QStringLiteral("LShift -..."));

        // The replace flag is disarmed: the next base key builds on the shortcut. Color Pick
        // (Alt) holds Option, so a letter makes a combination.
        m_model->selectKey(1);
        QVERIFY(m_model->replaceOnNextBaseKey());
        QTest::mouseClick(shortcut("Color Pick (Alt)"), Qt::LeftButton);
        QVERIFY(!m_model->replaceOnNextBaseKey());
        BaseKeysPage base(m_model);
        base.resize(1200, 450);
        base.show();
        QPushButton *c = nullptr;
        for (QPushButton *b : base.findChildren<QPushButton *>())
            if (b->property("keycode").toInt() == 0x06)
                c = b;
        QVERIFY(QTest::qWaitForWindowExposed(&base));
        QTest::mouseClick(c, Qt::LeftButton);
        QCOMPARE(key(1).type, quint8(KeyType::Combination));
        QCOMPARE(key(1).modifierBits, quint8(0x04));
        QCOMPARE(key(1).comboKeys, QByteArray(1, char(0x06)));

        // A plain-key shortcut followed by a letter becomes a macro, not a replacement.
        m_model->selectKey(2);
        QTest::mouseClick(shortcut("Activate Eraser Tool"), Qt::LeftButton);
        QTest::mouseClick(c, Qt::LeftButton);
        QCOMPARE(key(2).type, quint8(KeyType::Macro));
        QCOMPARE(key(2).macroSteps.size(), 4);

        // No selection: nothing changes.
        m_model->setCurrentLayer(2);
        QSignalSpy captions(m_model, &KeyboardData::keyButtonTextChanged);
        QTest::mouseClick(shortcut("Undo"), Qt::LeftButton);
        QCOMPARE(captions.size(), 0);
        QVERIFY(g_log.contains(QStringLiteral("Procreate: no key selected")));
        for (int i = 0; i < 25; ++i)
            QVERIFY(!m_model->keyDataAt(2, i)->dirty);
    }

    void procreateNames()
    {
        // Every shortcut's own function is recognised, the first of two equal ones wins.
        for (const ProcreateShortcut &s : procreateShortcuts()) {
            const KeyData k = procreateKeyData(s.usages);
            const QString expectedFull = s.label == QLatin1String("Deselect") ? QStringLiteral("Clear Selection")
                                                                              : s.label;
            QCOMPARE(PageCaptions::procreateName(k, true), expectedFull);
        }
        KeyData redo = procreateKeyData(QByteArray("\xE1\xE3\x1D", 3));
        QCOMPARE(PageCaptions::procreateName(redo, false), QStringLiteral("Redo"));
        // Other delays, a different order or another type are not shortcuts.
        KeyData slow = redo;
        slow.macroSteps[1].delayMs = 30;
        QVERIFY(PageCaptions::procreateName(slow, true).isEmpty());
        KeyData combo;
        combo.setCombination(0x08, QByteArray(1, char(0x1D)));
        QVERIFY(PageCaptions::procreateName(combo, true).isEmpty());
        KeyData media;
        media.setMultimedia(0x05);
        QVERIFY(PageCaptions::procreateName(media, true).isEmpty());
        KeyData empty;
        QVERIFY(PageCaptions::procreateName(empty, true).isEmpty());
    }
};

QTEST_MAIN(TestProcreatePage)
#include "tst_procreatepage.moc"
