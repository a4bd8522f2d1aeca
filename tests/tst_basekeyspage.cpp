// The base keys and extra keys pages: every key cap against its HID usage, and the click
// flows that build keys, combinations and macros on the selected key.
#include "controls/dualcharbutton.h"
#include "model/keyboarddata.h"
#include "pages/basekeyspage.h"
#include "pages/extrakeyspage.h"
#include "support/logcapture.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QStringList g_log;
void captureLog(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    g_log.append(msg);
}

struct Cap {
    const char *text;
    const char *corner;
    int usage;
    const char *cls;
};

// The keyboard as a user sees it, row by row.
const QVector<QVector<Cap>> &expectedRows()
{
    static const QVector<QVector<Cap>> rows = {
        {{"ESC", "", 0x29, "functionKey"}, {"F1", "", 0x3A, "functionKey"}, {"F2", "", 0x3B, "functionKey"},
         {"F3", "", 0x3C, "functionKey"}, {"F4", "", 0x3D, "functionKey"}, {"F5", "", 0x3E, "functionKey"},
         {"F6", "", 0x3F, "functionKey"}, {"F7", "", 0x40, "functionKey"}, {"F8", "", 0x41, "functionKey"},
         {"F9", "", 0x42, "functionKey"}, {"F10", "", 0x43, "functionKey"}, {"F11", "", 0x44, "functionKey"},
         {"F12", "", 0x45, "functionKey"}, {"Print\nScreen", "", 0x46, "specialKey"},
         {"Scroll\nLock", "", 0x47, "specialKey"}, {"Pause\nBreak", "", 0x48, "specialKey"}},
        {{"`", "~", 0x35, ""}, {"1", "!", 0x1E, ""}, {"2", "@", 0x1F, ""}, {"3", "#", 0x20, ""},
         {"4", "$", 0x21, ""}, {"5", "%", 0x22, ""}, {"6", "^", 0x23, ""}, {"7", "&", 0x24, ""},
         {"8", "*", 0x25, ""}, {"9", "(", 0x26, ""}, {"0", ")", 0x27, ""}, {"-", "_", 0x2D, ""},
         {"=", "+", 0x2E, ""}, {"Backspace", "", 0x2A, "specialKey"}, {"Insert", "", 0x49, "specialKey"},
         {"Home", "", 0x4A, "specialKey"}, {"Page\nUp", "", 0x4B, "specialKey"}},
        {{"Tab", "", 0x2B, "specialKey"}, {"Q", "", 0x14, ""}, {"W", "", 0x1A, ""}, {"E", "", 0x08, ""},
         {"R", "", 0x15, ""}, {"T", "", 0x17, ""}, {"Y", "", 0x1C, ""}, {"U", "", 0x18, ""},
         {"I", "", 0x0C, ""}, {"O", "", 0x12, ""}, {"P", "", 0x13, ""}, {"[", "{", 0x2F, ""},
         {"]", "}", 0x30, ""}, {"\\", "|", 0x31, ""}, {"Delete", "", 0x4C, "specialKey"},
         {"End", "", 0x4D, "specialKey"}, {"Page\nDown", "", 0x4E, "specialKey"}},
        {{"Caps\nLock", "", 0x39, "specialKey"}, {"A", "", 0x04, ""}, {"S", "", 0x16, ""},
         {"D", "", 0x07, ""}, {"F", "", 0x09, ""}, {"G", "", 0x0A, ""}, {"H", "", 0x0B, ""},
         {"J", "", 0x0D, ""}, {"K", "", 0x0E, ""}, {"L", "", 0x0F, ""}, {";", ":", 0x33, ""},
         {"'", "\"", 0x34, ""}, {"Enter", "", 0x28, "specialKey"}},
        {{"Shift", "", 0xE1, "specialKey"}, {"Z", "", 0x1D, ""}, {"X", "", 0x1B, ""}, {"C", "", 0x06, ""},
         {"V", "", 0x19, ""}, {"B", "", 0x05, ""}, {"N", "", 0x11, ""}, {"M", "", 0x10, ""},
         {",", "<", 0x36, ""}, {".", ">", 0x37, ""}, {"/", "?", 0x38, ""}, {"Shift", "", 0xE5, "specialKey"},
         {"^", "", 0x52, "navKey"}},
        {{"Ctrl", "", 0xE0, "specialKey"}, {"Win", "", 0xE3, "specialKey"}, {"Alt", "", 0xE2, "specialKey"},
         {"Space", "", 0x2C, "specialKey"}, {"Alt", "", 0xE6, "specialKey"}, {"Win", "", 0xE7, "specialKey"},
         {"Menu", "", 0x65, "specialKey"}, {"Ctrl", "", 0xE4, "specialKey"}, {"<", "", 0x50, "navKey"},
         {"v", "", 0x51, "navKey"}, {">", "", 0x4F, "navKey"}},
        {{"NumLock", "", 0x53, "numpadKey"}, {"/", "", 0x54, "numpadOperator"},
         {"*", "", 0x55, "numpadOperator"}, {"+", "", 0x57, "numpadOperator"},
         {"-", "", 0x56, "numpadOperator"}, {"0", "", 0x62, "numpadKey"}, {"1", "", 0x59, "numpadKey"},
         {"2", "", 0x5A, "numpadKey"}, {"3", "", 0x5B, "numpadKey"}, {"4", "", 0x5C, "numpadKey"},
         {"5", "", 0x5D, "numpadKey"}, {"6", "", 0x5E, "numpadKey"}, {"7", "", 0x5F, "numpadKey"},
         {"8", "", 0x60, "numpadKey"}, {"9", "", 0x61, "numpadKey"}, {".", "", 0x63, "numpadKey"},
         {"Enter", "", 0x58, "numpadKey"}},
    };
    return rows;
}

// Fixed gaps of each row, in order.
const QVector<QVector<int>> expectedGaps = {{10, 15, 15, 15}, {20}, {20}, {}, {20}, {20}, {}};

} // namespace

class TestBaseKeysPage : public QObject
{
    Q_OBJECT

private:
    KeyboardData *m_model = nullptr;
    BaseKeysPage *m_base = nullptr;
    ExtraKeysPage *m_extra = nullptr;
    QtMessageHandler m_previousHandler = nullptr;

    QPushButton *baseKey(int usage) const
    {
        for (QPushButton *b : m_base->findChildren<QPushButton *>())
            if (b->property("keycode").toInt() == usage)
                return b;
        return nullptr;
    }
    QPushButton *extraKey(int usage) const
    {
        for (QPushButton *b : m_extra->findChildren<QPushButton *>())
            if (b->isEnabled() && b->property("keycode").toInt() == usage)
                return b;
        return nullptr;
    }
    void clickBase(int usage)
    {
        QPushButton *b = baseKey(usage);
        QVERIFY2(b, qPrintable(QString::number(usage, 16)));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void clickExtra(int usage)
    {
        QPushButton *b = extraKey(usage);
        QVERIFY2(b, qPrintable(QString::number(usage, 16)));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    const KeyData &key(int idx) const { return *m_model->keyDataAt(m_model->currentLayer(), idx); }

private slots:
    void init()
    {
        m_model = new KeyboardData(this);
        m_base = new BaseKeysPage(m_model);
        m_base->resize(1300, 450);
        m_base->show();
        m_extra = new ExtraKeysPage(m_model);
        m_extra->resize(1200, 450);
        m_extra->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_base));
        QVERIFY(QTest::qWaitForWindowExposed(m_extra));
        g_log.clear();
        testsupport::enableDiagnosticLog(true); // the pages' lines are read below
        m_previousHandler = qInstallMessageHandler(captureLog);
    }
    void cleanup()
    {
        qInstallMessageHandler(m_previousHandler);
        testsupport::enableDiagnosticLog(false);
        delete m_base;
        delete m_extra;
        delete m_model;
    }

    void everyKeyCapCarriesItsUsage()
    {
        // Rows of the keyboard widget in order; each row's buttons and fixed gaps.
        auto *keyboard = m_base->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(keyboard);
        auto *rowsLayout = qobject_cast<QVBoxLayout *>(keyboard->layout());
        QVERIFY(rowsLayout);
        const auto &rows = expectedRows();
        QCOMPARE(rowsLayout->count(), rows.size());
        int total = 0;
        for (int r = 0; r < rows.size(); ++r) {
            auto *row = qobject_cast<QHBoxLayout *>(rowsLayout->itemAt(r)->layout());
            QVERIFY(row);
            QVector<QPushButton *> buttons;
            QVector<int> gaps;
            for (int i = 0; i < row->count(); ++i) {
                QLayoutItem *item = row->itemAt(i);
                if (auto *b = qobject_cast<QPushButton *>(item->widget()))
                    buttons.append(b);
                else if (item->spacerItem())
                    gaps.append(item->spacerItem()->sizeHint().width());
            }
            QCOMPARE(gaps, expectedGaps.at(r));
            QCOMPARE(buttons.size(), rows.at(r).size());
            for (int k = 0; k < buttons.size(); ++k) {
                const Cap &cap = rows.at(r).at(k);
                QPushButton *b = buttons.at(k);
                const QString where = QStringLiteral("row %1 key %2 (%3)").arg(r + 1).arg(k).arg(cap.text);
                QVERIFY2(b->text() == QString::fromUtf8(cap.text), qPrintable(where + " text " + b->text()));
                QVERIFY2(b->property("keycode").toInt() == cap.usage, qPrintable(where));
                QVERIFY2(b->property("class").toString() == QLatin1String(cap.cls), qPrintable(where));
                auto *dual = qobject_cast<DualCharButton *>(b);
                if (*cap.corner) {
                    QVERIFY2(dual, qPrintable(where));
                    QCOMPARE(dual->cornerText(), QString::fromUtf8(cap.corner));
                } else {
                    QVERIFY2(!dual, qPrintable(where));
                }
                QCOMPARE(b->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
                QCOMPARE(b->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
                ++total;
            }
        }
        QCOMPARE(total, 104);
        QCOMPARE(m_base->findChildren<DualCharButton *>().size(), 21);
    }

    void extraKeysGrid()
    {
        auto *grid = m_extra->findChild<QGridLayout *>();
        QVERIFY(grid);
        QCOMPARE(grid->rowCount(), 5);
        QCOMPARE(grid->columnCount(), 8);
        const QStringList texts = {"Left\nCommand", "Right\nCommand", "Left\nOption", "Right\nOption",
                                   "Left\nControl", "Right\nControl"};
        const QVector<int> modifiers = {0xE3, 0xE7, 0xE2, 0xE6, 0xE0, 0xE4};
        int keys = 0;
        int placeholders = 0;
        QSet<int> widths;
        for (int r = 0; r < 5; ++r) {
            for (int c = 0; c < 8; ++c) {
                auto *b = qobject_cast<QPushButton *>(grid->itemAtPosition(r, c)->widget());
                QVERIFY(b);
                widths.insert(b->width());
                const int cell = r * 8 + c;
                if (cell < 18) {
                    ++keys;
                    QVERIFY(b->isEnabled());
                    QCOMPARE(b->property("class").toString(), QStringLiteral("extKey"));
                    if (cell < 6) {
                        QCOMPARE(b->text(), texts.at(cell));
                        QCOMPARE(b->property("keycode").toInt(), modifiers.at(cell));
                    } else {
                        QCOMPARE(b->text(), QStringLiteral("F%1").arg(13 + cell - 6));
                        QCOMPARE(b->property("keycode").toInt(), 0x68 + cell - 6);
                    }
                } else {
                    ++placeholders;
                    QVERIFY(!b->isEnabled());
                    QVERIFY(b->text().isEmpty());
                    QCOMPARE(b->property("class").toString(), QStringLiteral("extKeyEmpty"));
                }
            }
        }
        QCOMPARE(keys, 18);
        QCOMPARE(placeholders, 22);
        QCOMPARE(extraKey(0x73)->text(), QStringLiteral("F24"));
        // Equal cells: widths differ at most by the layout's pixel rounding.
        QVERIFY(*std::max_element(widths.begin(), widths.end()) - *std::min_element(widths.begin(), widths.end()) <= 1);

        // Placeholders never reach the model.
        m_model->selectKey(2);
        QTest::mouseClick(qobject_cast<QPushButton *>(grid->itemAtPosition(4, 7)->widget()), Qt::LeftButton);
        QCOMPARE(key(2).type, quint8(KeyType::Empty));
        QVERIFY(!key(2).dirty);
    }

    void extraKeysFitSmallWindows()
    {
        QCOMPARE(m_extra->styleSheet(), ExtraKeysPage::styleSheetFor(10, 12, 19));
        // The smallest window: the two-line modifier names still fit their equal cells.
        for (const QSize &size : {QSize(860, 330), QSize(640, 280)}) {
            m_extra->updateExtraKeysStyleSheet(0.8);
            m_extra->resize(size);
            QTest::qWait(1);
            for (QPushButton *b : m_extra->findChildren<QPushButton *>()) {
                if (b->text().isEmpty())
                    continue;
                const QSize text = QFontMetrics(b->font()).size(0, b->text());
                const QString what = QStringLiteral("%1x%2 %3").arg(size.width()).arg(size.height()).arg(b->text());
                QVERIFY2(text.width() + 2 <= b->width(), qPrintable(what));
                QVERIFY2(text.height() + 2 <= b->height(), qPrintable(what));
                QVERIFY2(b->font().pixelSize() >= 9, qPrintable(what));
            }
        }
        m_extra->resize(1500, 600);
        QTest::qWait(1);
        QCOMPARE(m_extra->styleSheet(), ExtraKeysPage::styleSheetFor(8, 10, 15));
    }

    void singleKeyAndSignals()
    {
        m_model->selectKey(4);
        QSignalSpy button(m_model, &KeyboardData::keyButtonTextChanged);
        QSignalSpy full(m_model, &KeyboardData::keyFullTextChanged);
        clickBase(0x04); // A
        QCOMPARE(key(4).type, quint8(KeyType::Basic));
        QCOMPARE(key(4).keyCode, quint8(0x04));
        QCOMPARE(key(4).fullText, QStringLiteral("A"));
        QCOMPARE(key(4).buttonText, QStringLiteral("A"));
        QVERIFY(key(4).dirty);
        QCOMPARE(button.size(), 1);
        QCOMPARE(button.at(0).at(0).toInt(), 4);
        QCOMPARE(full.size(), 1);
        QVERIFY(g_log.contains(QStringLiteral("keycode: 4 class: \"\"")));
        QVERIFY(g_log.contains(QStringLiteral("append ok, count: 1")));

        // The corner label of a two-character key does not swallow the click.
        m_model->selectKey(5);
        QPushButton *one = baseKey(0x1E);
        QTest::mouseClick(one, Qt::LeftButton, {}, QPoint(6, 6));
        QCOMPARE(key(5).keyCode, quint8(0x1E));

        // Spot checks a user would make: F5, keypad 9 and 0.
        QCOMPARE(baseKey(0x3E)->text(), QStringLiteral("F5"));
        QCOMPARE(baseKey(0x61)->text(), QStringLiteral("9"));
        QCOMPARE(baseKey(0x62)->text(), QStringLiteral("0"));
    }

    void combinations()
    {
        // Ctrl then C.
        m_model->selectKey(0);
        clickBase(0xE0);
        clickBase(0x06);
        QCOMPARE(key(0).type, quint8(KeyType::Combination));
        QCOMPARE(key(0).modifierBits, quint8(0x01));
        QCOMPARE(key(0).comboKeys, QByteArray(1, char(0x06)));
        QCOMPARE(key(0).fullText, QStringLiteral("LCtrl + C"));

        // Ctrl, Alt, X, then a refused fourth click.
        m_model->selectKey(1);
        clickBase(0xE0);
        clickBase(0xE2);
        QCOMPARE(key(1).type, quint8(KeyType::Combination));
        QCOMPARE(key(1).modifierBits, quint8(0x05));
        QVERIFY(key(1).comboKeys.isEmpty());
        clickBase(0x1B);
        QCOMPARE(key(1).comboKeys, QByteArray(1, char(0x1B)));
        const KeyData before = key(1);
        g_log.clear();
        QSignalSpy captions(m_model, &KeyboardData::keyButtonTextChanged);
        clickBase(0x04);
        QVERIFY(key(1).sameFunction(before));
        QCOMPARE(key(1).fullText, before.fullText);
        QCOMPARE(captions.size(), 0);
        QVERIFY(g_log.contains(QStringLiteral("Key is full, max steps reached")));
        QVERIFY(!g_log.contains(QStringLiteral("append failed")));

        // Selecting the full key again lets the next click replace it.
        m_model->selectKey(1);
        clickBase(0x04);
        QCOMPARE(key(1).type, quint8(KeyType::Basic));
        QCOMPARE(key(1).keyCode, quint8(0x04));

        // Left Command from the extra keys page, then C from the base keys page.
        m_model->selectKey(2);
        clickExtra(0xE3);
        clickBase(0x06);
        QCOMPARE(key(2).type, quint8(KeyType::Combination));
        QCOMPARE(key(2).modifierBits, quint8(0x08));
        QCOMPARE(key(2).comboKeys, QByteArray(1, char(0x06)));
        QVERIFY(g_log.contains(QStringLiteral("keycode: 227 class: \"extKey\"")));
    }

    void macroUpToTheLimit()
    {
        m_model->selectKey(7);
        clickBase(0x04); // A
        clickBase(0x05); // B
        const QVector<MacroStepData> four = {{0, 0x04, 0}, {1, 0x04, 20}, {0, 0x05, 20}, {1, 0x05, 20}};
        QCOMPARE(key(7).type, quint8(KeyType::Macro));
        QCOMPARE(key(7).macroSteps, four);
        QCOMPARE(key(7).buttonText, QStringLiteral("a -> b"));
        QVERIFY(g_log.contains(QStringLiteral("append ok, count: 2")));

        // Each click adds a press and a release until 64 steps.
        for (int n = 6; n <= 64; n += 2) {
            clickBase(0x06);
            QCOMPARE(key(7).macroSteps.size(), n);
        }
        QCOMPARE(key(7).macroSteps.last(), (MacroStepData{1, 0x06, 20}));
        g_log.clear();
        clickBase(0x07);
        QCOMPARE(key(7).macroSteps.size(), 64);
        QVERIFY(g_log.contains(QStringLiteral("Key is full, max steps reached")));
    }

    void mediaAndMouseKeysAreReplaced()
    {
        m_model->selectKey(3);
        m_model->setSelectedMultimedia(0xE9);
        clickBase(0x04);
        clickBase(0x05); // not a replace any more: builds a macro from A
        QCOMPARE(key(3).type, quint8(KeyType::Macro));

        // A media key is replaced even though the replace flag is no longer armed.
        m_model->setSelectedMultimedia(0xE9);
        QVERIFY(!m_model->replaceOnNextBaseKey());
        clickBase(0x06);
        QCOMPARE(key(3).type, quint8(KeyType::Basic));
        QCOMPARE(key(3).keyCode, quint8(0x06));
        m_model->setSelectedMouseAction(1);
        clickBase(0x07);
        QCOMPARE(key(3).type, quint8(KeyType::Basic));
        QCOMPARE(key(3).keyCode, quint8(0x07));
    }

    void noSelectionChangesNothing()
    {
        QSignalSpy captions(m_model, &KeyboardData::keyButtonTextChanged);
        clickBase(0x04);
        clickExtra(0xE3);
        QCOMPARE(captions.size(), 0);
        QVERIFY(!m_model->hasUnsavedChanges());
        QCOMPARE(g_log.count(QStringLiteral("No key selected")), 2);
    }

    void fontScaling()
    {
        // Scale 1: style sheet 18/15/21/20 at creation, 18/15/21/20 after scaling too
        // (1.5 x 12 = 18, 1.5 x 10 = 15, 1.5 x 14 = 21, 1.5 x 13 = 19.5 -> 20).
        QCOMPARE(m_base->styleSheet(), BaseKeysPage::styleSheetFor(18, 15, 21, 20));
        m_base->updateBaseKeysStyleSheet(1.0);
        QCOMPARE(m_base->styleSheet(), BaseKeysPage::styleSheetFor(18, 15, 21, 20));
        // Small windows hit the lower bounds.
        m_base->updateBaseKeysStyleSheet(0.3);
        QCOMPARE(m_base->styleSheet(), BaseKeysPage::styleSheetFor(8, 7, 10, 9));
        // The class selectors reach their buttons.
        const QVector<QPair<int, int>> pixelSizes = {{0x04, 8}, {0x1E, 8}, {0x3A, 8}, {0x2A, 7},
                                                     {0x52, 10}, {0x57, 9}, {0x62, 8}};
        for (const auto &p : pixelSizes) {
            baseKey(p.first)->ensurePolished();
            QCOMPARE(baseKey(p.first)->font().pixelSize(), p.second);
        }
        m_base->updateBaseKeysStyleSheet(2.0);
        const QVector<QPair<int, int>> large = {{0x04, 36}, {0x3A, 36}, {0x2A, 30}, {0x50, 42}, {0x54, 39}};
        for (const auto &p : large)
            QCOMPARE(baseKey(p.first)->font().pixelSize(), p.second);
        // Re-laying out the corner legends after a font change keeps them in the corner.
        m_base->updateBaseKeysFonts(2.0);
        auto *dual = qobject_cast<DualCharButton *>(baseKey(0x1E));
        QCOMPARE(dual->cornerRect().topLeft(), QPoint(qRound(0.03 * dual->width()), qRound(0.03 * dual->width())));
        QVERIFY(dual->cornerFont().bold());
    }
};

QTEST_MAIN(TestBaseKeysPage)
#include "tst_basekeyspage.moc"
