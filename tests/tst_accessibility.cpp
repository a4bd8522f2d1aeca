// The window for everyone: focus that shows, numbers and captions that read on any key
// colour, captions that keep what tells them apart, Qt's own dialogs in the window's
// language, and a keypad that may not be opened made plain.
#include "app/qttranslations.h"
#include "app/udevruledialog.h"
#include "app/widget.h"
#include "controls/contrast.h"
#include "controls/fittinglabel.h"
#include "controls/keybutton.h"
#include "controls/keycaption.h"
#include "controls/knobbutton.h"
#include "model/keyboarddata.h"
#include "sim/demokeypads.h"
#include "support/demowindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using testsupport::DemoWindow;

namespace {

QImage grabOf(QWidget *w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The most legible pixel of `area` against `background`: for text, a pixel inside a
// stroke, where the text colour is drawn whole.
double bestContrast(const QImage &img, const QRect &area, const QColor &background)
{
    double best = 1.0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            best = qMax(best, Contrast::ratio(QColor(img.pixel(x, y)), background));
    return best;
}

bool hasWideScript(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x2E80)
            return true;
    return false;
}

// A line break between two letters or digits that stand together in the caption is a break
// inside a word (Chinese characters, which break anywhere, excepted).
bool breaksInsideAWord(const QString &caption, const QString &shown)
{
    const QStringList lines = shown.split(QLatin1Char('\n'));
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QString before = lines.at(i).section(QLatin1Char(' '), -1);
        const QString after = lines.at(i + 1).section(QLatin1Char(' '), 0, 0);
        if (before.isEmpty() || after.isEmpty())
            continue;
        const QChar a = before.back();
        const QChar b = after.front();
        if (a.isLetterOrNumber() && b.isLetterOrNumber() && a.unicode() < 0x2E80 && b.unicode() < 0x2E80
            && caption.contains(before + after))
            return true;
    }
    return false;
}

} // namespace

class TstAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void focusIsVisibleFromTheKeyboardOnly();
    void numbersAndCaptionsReadOnEveryColour();
    void captionsAtTheSmallestWindow_data();
    void captionsAtTheSmallestWindow();
    void qtDialogsSpeakChinese();
    void missingUdevRuleIsPlain();
    void screenshots_data();
    void screenshots();
};

// Tab and Shift+Tab walk every control; each shows a ring while it has the keyboard focus
// (white outside, dark inside: 3:1 against what is there without it), none after a click,
// and the arrows move the selection over the panel from the first focus on.
void TstAccessibility::focusIsVisibleFromTheKeyboardOnly()
{
    DemoWindow d(QStringLiteral("16k3e"), false);
    QVERIFY(d.open(QSize(1024, 768)));
    QVERIFY(d.activate());
    Widget &w = d.widget();

    QStringList faults;
    double lowestRing = 21.0;
    QSet<QWidget *> visited;
    QWidget *firstKey = nullptr;
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        QWidget *previous = nullptr;
        QImage previousFocused;
        for (int step = 0; step < 400; ++step) {
            QWidget *from = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
            QTest::keyClick(from, key);
            QWidget *now = QApplication::focusWidget();
            if (!now)
                break;
            if (previous) {
                // The control just left, without the focus, against itself with it.
                const QImage unfocused = grabOf(previous);
                const QString name = QStringLiteral("%1 \"%2\"").arg(QLatin1String(previous->metaObject()->className()),
                                                                   previous->objectName());
                if (unfocused == previousFocused) {
                    faults << name + QStringLiteral(" looks the same with and without the focus");
                } else {
                    const int y = previous->height() / 2;
                    double ring = 1.0;
                    for (int x = 0; x < 3; ++x)
                        ring = qMax(ring, Contrast::ratio(QColor(previousFocused.pixel(x, y)),
                                                          QColor(unfocused.pixel(x, y))));
                    lowestRing = qMin(lowestRing, ring);
                    if (ring < Contrast::GRAPHICS)
                        faults << name + QStringLiteral(" ring %1:1").arg(ring, 0, 'f', 2);
                }
            }
            if (visited.contains(now) && key == Qt::Key_Tab)
                break; // round the window once
            if (key == Qt::Key_Backtab && step > 60)
                break; // far enough back
            visited.insert(now);
            if (!firstKey && qobject_cast<KeyButton *>(now))
                firstKey = now;
            previous = now;
            previousFocused = grabOf(now);
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    qInfo("%d controls walked, focus ring at least %.2f:1 against what it covers", int(visited.size()), lowestRing);
    // Every kind of control was reached.
    QVERIFY(firstKey);
    QVERIFY(std::any_of(visited.begin(), visited.end(), [](QWidget *v) { return qobject_cast<KnobButton *>(v); }));
    QVERIFY(visited.contains(w.layerButton(0)));
    QVERIFY(visited.contains(w.functionList()));
    QVERIFY(visited.contains(w.clearButton()));

    // The first keyboard focus on the panel: the arrows move the selection from there.
    KeyboardData *model = w.keyboardData();
    model->selectKey(-1);
    QWidget *before = firstKey->previousInFocusChain();
    while (before && !(before->focusPolicy() & Qt::TabFocus && before->isVisible() && before->isEnabled()))
        before = before->previousInFocusChain();
    QVERIFY(before);
    before->setFocus(Qt::TabFocusReason);
    QTest::keyClick(before, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), firstKey);
    const int firstIndex = firstKey->property("buttonIndex").toInt();
    QTest::keyClick(firstKey, Qt::Key_Right);
    QCOMPARE(model->selectedKey(), w.dataIndexFromButtonIndex(firstIndex + 1));
    QCOMPARE(QApplication::focusWidget(), w.buttonAt(firstIndex + 1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(model->selectedKey(), w.dataIndexFromButtonIndex(firstIndex + 5));
    QVERIFY(w.buttonAt(firstIndex + 5)->property("keyboardFocusRing").toBool());
    d.shot(QStringLiteral("focus-on-a-key-en-1024x768"));

    // The third knob's buttons were made when the keypad's preset came, after start-up (which
    // shows one knob): the arrows move on from them too.
    QPushButton *lateKnob = w.buttonAt(24);
    QVERIFY(qobject_cast<KnobButton *>(lateKnob) && lateKnob->isVisible());
    lateKnob->setFocus(Qt::TabFocusReason);
    QTest::keyClick(lateKnob, Qt::Key_Left);
    QVERIFY(QApplication::focusWidget() != lateKnob);
    QCOMPARE(model->selectedKey(), w.dataIndexFromButtonIndex(QApplication::focusWidget()->property("buttonIndex").toInt()));

    // A click moves the focus without a ring.
    QPushButton *clicked = w.buttonAt(firstIndex + 2);
    QTest::mouseClick(clicked, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), clicked);
    for (QPushButton *b : {clicked, w.buttonAt(firstIndex + 5)})
        QVERIFY(!b->property("keyboardFocusRing").toBool());
}

// Key numbers and captions against the key's own colour, measured on the drawn pixels: on the
// lighting page for every LED colour of the demo's layers, and for the corners of the colour
// cube (the primaries, their mixes, black and white) in every state of a key.
void TstAccessibility::numbersAndCaptionsReadOnEveryColour()
{
    DemoWindow d(QStringLiteral("16k3e"), false);
    QVERIFY(d.open(QSize(1024, 768)));
    Widget &w = d.widget();
    w.functionList()->setCurrentRow(3); // RGB LED: the keys take their LED colours
    QVERIFY(w.isRgbLedPageActive());

    QStringList faults;
    double lowestNumber = 21.0;
    double lowestCaption = 21.0;
    auto measureNumbers = [&](const QString &where) {
        for (int k = 0; k < Widget::PHYSICAL_KEY_COUNT; ++k) {
            auto *key = qobject_cast<KeyButton *>(w.buttonAt(k));
            if (!key)
                continue;
            QWidget *holder = key->parentWidget();
            auto *number = holder->findChild<QLabel *>(QStringLiteral("KeyNumLabel"));
            QVERIFY(number && number->isVisible());
            const QImage img = grabOf(holder);
            // The fill where no text is: near the key's left edge (inside a selection ring),
            // half way down.
            const QColor fill(img.pixel(key->x() + 9, key->y() + key->height() / 2));
            const double r = bestContrast(img, number->geometry(), fill);
            lowestNumber = qMin(lowestNumber, r);
            if (r < Contrast::TEXT)
                faults << QStringLiteral("%1 key %2: number %3:1 on %4").arg(where).arg(k + 1)
                              .arg(r, 0, 'f', 2).arg(fill.name());
        }
    };
    int colours = 0;
    for (int layer = 0; layer < 3; ++layer) {
        QTest::mouseClick(w.layerButton(layer), Qt::LeftButton);
        QCOMPARE(w.keyboardData()->currentLayer(), layer);
        measureNumbers(QStringLiteral("layer %1").arg(layer + 1));
        d.shot(QStringLiteral("lighting-layer%1-en-1024x768").arg(layer + 1));
        colours += Widget::PHYSICAL_KEY_COUNT;
    }
    const QVector<QColor> cube = {Qt::black, Qt::red,     Qt::green,  Qt::blue, Qt::yellow,
                                  Qt::cyan,  Qt::magenta, Qt::white};
    for (const QColor &c : cube) {
        for (int k = 0; k < Widget::PHYSICAL_KEY_COUNT; ++k)
            w.keyboardData()->setLedColor(w.keyboardData()->currentLayer(), k,
                                          LedColorData{quint8(c.red()), quint8(c.green()), quint8(c.blue())});
        w.refreshPhysicalKeyDisplayMode();
        measureNumbers(c.name());
    }

    // Captions (the lighting page shows none): a key of the panel's size in every state.
    KeyButton key(QStringLiteral("Ctrl+W"));
    key.setBaseSize(80);
    key.setAssigned(true);
    QVector<QColor> fills = cube;
    fills << QColor(100, 100, 100) << QColor(0, 128, 255) << QColor(255, 128, 0);
    for (const QColor &c : fills) {
        for (int state = 0; state < 3; ++state) {
            key.setCustomColor(c);
            key.setChecked(state == 1);
            for (const QString &text : {QStringLiteral("Ctrl+W"), QStringLiteral("a->b")}) {
                key.setText(text);
                const QImage img = grabOf(&key);
                const QColor fill(img.pixel(9, key.height() / 2));
                const QRect caption = KeyCaption::captionBox(key.rect()).adjusted(0, 0, 0, -key.height() / 4);
                // Letters and macro arrows alike: the arrow's colour is measured on its own.
                const double r = bestContrast(img, caption, fill);
                lowestCaption = qMin(lowestCaption, r);
                if (r < Contrast::TEXT || Contrast::ratio(key.captionColor(), key.fillColor()) < Contrast::TEXT)
                    faults << QStringLiteral("caption \"%1\" on %2 (state %3): %4:1").arg(text, c.name())
                                  .arg(state).arg(r, 0, 'f', 2);
            }
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    qInfo("%d LED colours of the demo and %d of the cube: numbers at least %.2f:1, captions at least %.2f:1",
          colours, int(cube.size()), lowestNumber, lowestCaption);
}

void TstAccessibility::captionsAtTheSmallestWindow_data()
{
    QTest::addColumn<QString>("keypad");
    QTest::addColumn<bool>("chinese");
    for (const sim::DemoKeypad &k : sim::demoKeypads())
        for (bool zh : {false, true})
            QTest::addRow("%s-%s", qPrintable(k.name), zh ? "zh" : "en") << k.name << zh;
}

// At 800 x 600, in both languages, every caption of the panel on every layer: at least 9 px
// (10 px with Chinese characters), no line break inside a word, knob captions clear of the
// arrow pictures, and the two turns of a knob never read the same.
void TstAccessibility::captionsAtTheSmallestWindow()
{
    QFETCH(QString, keypad);
    QFETCH(bool, chinese);
    DemoWindow d(keypad, chinese);
    QVERIFY(d.open(QSize(800, 600)));
    Widget &w = d.widget();

    QStringList faults;
    // The base keys page (direction words as arrows) and the Procreate page (its shortcut
    // names) change what the keys show.
    for (int page : {0, 6}) {
        for (int layer = 0; layer < 3; ++layer) {
            QPushButton *layerButton = w.layerButton(layer);
            if (!layerButton || !layerButton->isVisible())
                continue;
            w.functionList()->setCurrentRow(page);
            QTest::mouseClick(layerButton, Qt::LeftButton);
            for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b) {
                QPushButton *button = w.buttonAt(b);
                if (!button || !button->isVisible() || button->text().isEmpty())
                    continue;
                QString shown;
                QFont font;
                if (auto *key = qobject_cast<KeyButton *>(button)) {
                    shown = key->displayedText();
                    font = key->captionFont();
                } else if (auto *knob = qobject_cast<KnobButton *>(button)) {
                    shown = knob->displayedText();
                    font = knob->captionFont();
                    if (knob->hasImage() && knob->captionRect().intersects(knob->iconRect()))
                        faults << QStringLiteral("layer %1 slot %2: caption over the arrow").arg(layer + 1).arg(b);
                }
                const QString where = QStringLiteral("page %6 layer %1 slot %2 \"%3\" shows \"%4\" at %5 px")
                                          .arg(layer + 1).arg(b).arg(button->text(), QString(shown).replace('\n', '|'))
                                          .arg(font.pixelSize()).arg(page);
                const int minimum = hasWideScript(shown) ? KeyCaption::MINIMUM_WIDE_PX : KeyCaption::MINIMUM_LATIN_PX;
                if (font.pixelSize() < minimum)
                    faults << where + QStringLiteral(" (too small)");
                if (breaksInsideAWord(button->text(), shown))
                    faults << where + QStringLiteral(" (breaks inside a word)");
            }
            // Opposite turns of every knob (and turn-only knob) differ where their functions do.
            QVector<QPair<KnobButton *, KnobButton *>> turns;
            for (int knob = 0; knob < 3; ++knob)
                turns.append(qMakePair(w.knobPointer(knob, 0), w.knobPointer(knob, 1)));
            const PhysicalLayoutConfig &preset = w.currentLayout();
            auto knobAt = [&w](int dataIndex) {
                return qobject_cast<KnobButton *>(w.buttonAt(w.buttonIndexFromDataIndex(dataIndex)));
            };
            for (int t = 0; t < preset.turnOnlyKnobCount; ++t)
                turns.append(qMakePair(knobAt(preset.keyCount + 2 * t), knobAt(preset.keyCount + 2 * t + 1)));
            for (const auto &pair : qAsConst(turns)) {
                KnobButton *left = pair.first;
                KnobButton *right = pair.second;
                if (!left || !right || !left->isVisible() || left->text() == right->text())
                    continue;
                if (left->displayedText() == right->displayedText())
                    faults << QStringLiteral("page %1 layer %2: both turns read \"%3\"").arg(page).arg(layer + 1)
                                  .arg(left->displayedText());
            }
        }
    }
    d.shot(QStringLiteral("captions-%1").arg(QLatin1String(QTest::currentDataTag())));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// In Chinese, Qt's own file dialog and message box buttons are Chinese too, and turn back
// to English with the language switch.
void TstAccessibility::qtDialogsSpeakChinese()
{
    if (!QtTranslations::chineseAvailable())
        QSKIP("Qt's Chinese translation is not installed (qttranslations5-l10n)");
    DemoWindow d(QString(), true);
    QVERIFY(d.open(QSize(1024, 768)));
    Widget &w = d.widget();

    auto buttonTexts = [&w] {
        QFileDialog dialog(&w);
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        QStringList texts;
        for (QAbstractButton *b : dialog.findChild<QDialogButtonBox *>()->buttons())
            texts << b->text();
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Save | QMessageBox::Cancel, &w);
        for (QAbstractButton *b : box.buttons())
            texts << b->text();
        return texts;
    };
    const QStringList zh = buttonTexts();
    QCOMPARE(zh.size(), 4);
    for (const QString &t : zh)
        QVERIFY2(hasWideScript(t), qPrintable(zh.join(QLatin1Char('|'))));

    w.setChinese(false);
    const QStringList en = buttonTexts();
    for (const QString &t : en)
        QVERIFY2(!hasWideScript(t), qPrintable(en.join(QLatin1Char('|'))));
    QVERIFY(en.join(QLatin1Char('|')).contains(QLatin1String("Save")));
}

// A keypad without the udev rule: the status says so beside a button that opens the
// commands with a Copy button, the panel is an empty outline, and Clear without a
// selection says what is missing.
void TstAccessibility::missingUdevRuleIsPlain()
{
    {
        // English too: the status whole beside its button in the narrowest window.
        DemoWindow en(QStringLiteral("16k3e"), false, DemoWindow::Access::Refused);
        QVERIFY(en.open(QSize(800, 600)));
        auto *status = qobject_cast<FittingLabel *>(en.widget().statusLabel());
        QCOMPARE(status->displayedText(), QStringLiteral("No access to the keypad"));
        QCOMPARE(status->displayedFont().pixelSize(), QFontInfo(status->font()).pixelSize());
        QCOMPARE(en.widget().width(), 800);
        en.shot(QStringLiteral("no-access-en-800x600"));
    }
    DemoWindow d(QStringLiteral("16k3e"), true, DemoWindow::Access::Refused);
    QVERIFY(d.open(QSize(800, 600)));
    Widget &w = d.widget();
    QVERIFY(w.accessFixButton()->isVisible());
    // Whole, on one line, in the size every status has on this window.
    auto *status = qobject_cast<FittingLabel *>(w.statusLabel());
    QCOMPARE(status->displayedText(), QStringLiteral("无法访问键盘"));
    QCOMPARE(status->displayedFont().pixelSize(), QFontInfo(status->font()).pixelSize());
    QVERIFY(w.isPanelEmpty());
    QVERIFY(w.physicalPanelFrame()->isVisible() && w.physicalPanelFrame()->height() > 100);
    for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b)
        QVERIFY(!w.buttonAt(b) || !w.buttonAt(b)->isVisible());
    d.shot(QStringLiteral("no-access-zh-800x600"));

    QString commands;
    QTimer::singleShot(0, this, [&commands] {
        auto *dialog = qobject_cast<UdevRuleDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        commands = dialog->findChild<QPlainTextEdit *>()->toPlainText();
        DemoWindow::shot(*dialog, QStringLiteral("no-access-dialog-zh"));
        dialog->copyButton()->click();
        dialog->accept();
    });
    QTest::mouseClick(w.accessFixButton(), Qt::LeftButton);
    QCOMPARE(commands, UdevRuleDialog::commands().join(QLatin1Char('\n')));
    QVERIFY(commands.contains(QLatin1String("sudo udevadm control --reload-rules")));
    QCOMPARE(QApplication::clipboard()->text(), commands);

    QCOMPARE(w.keyboardData()->selectedKey(), -1);
    QTest::mouseClick(w.clearButton(), Qt::LeftButton);
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("请先选择一个按键"));
}

void TstAccessibility::screenshots_data()
{
    QTest::addColumn<QString>("keypad");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QSize>("size");
    for (const char *keypad : {"16k3e", "6k1e", "16k3e-s1", "5k2e", "old", "0k1e-p1s1"})
        for (bool zh : {false, true})
            for (const QSize &s : {QSize(800, 600), QSize(1024, 768), QSize(1920, 1080)})
                QTest::addRow("%s-%s-%dx%d", keypad, zh ? "zh" : "en", s.width(), s.height())
                    << QString::fromLatin1(keypad) << zh << s;
}

// Pictures to look at (MPS_SHOTS_DIR=<dir>): the panels of several keypads at the sizes real
// screens give, in both languages.
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
