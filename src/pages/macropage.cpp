#include "pages/macropage.h"

#include "i18n/uitext.h"
#include "controls/macroflowwidget.h"
#include "model/keyboarddata.h"
#include "model/keynames.h"
#include "model/logcategories.h"
#include "pages/macrokeycapture.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const char *const kStartText = "Click here to start key macro recording";
const char *const kEndText = "Click here to end key macro recording";

// Scaled size: base times scale, halves rounded away from zero, never below `minimum`.
int scaled(double base, double scale, int minimum)
{
    return std::max(minimum, int(std::lround(base * scale)));
}

// The largest bold pixel size up to `px` at which `text` fits `width`: "Release" or
// "LShift" at the block's base sizes would otherwise be cut at the block's edges.
int fittedFontPx(const QString &text, int px, int width, int minimum = 7)
{
    QFont font;
    font.setBold(true);
    for (; px > minimum; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(text) <= width)
            break;
    }
    return px;
}

} // namespace

MacroPage::MacroPage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    setObjectName(QStringLiteral("macroPage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(4);

    m_macroRecordButton = new QPushButton(UiText::text(QString::fromLatin1(kStartText)), this);
    m_macroRecordButton->setObjectName(QStringLiteral("macroRecordButton"));
    m_macroRecordButton->setEnabled(false);
    m_macroRecordButton->setFixedHeight(56);
    // Keys typed while recording belong to the macro, never to this button.
    m_macroRecordButton->setFocusPolicy(Qt::NoFocus);
    m_macroRecordButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: #2a2a2a; color: #555555; "
                       "border-radius: 6px; font-weight: bold; }"));
    layout->addWidget(m_macroRecordButton);

    m_macroScrollArea = new QScrollArea(this);
    m_macroScrollArea->setObjectName(QStringLiteral("macroScrollArea"));
    m_macroScrollArea->setWidgetResizable(true);
    m_macroScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_macroScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_macroScrollArea->setStyleSheet(QStringLiteral(
        "QScrollArea { background-color: #2a2a2a; border: 1px solid #3a3a3a; border-radius: 4px; }"
        "QScrollBar:vertical { width: 6px; background: #333; border-radius: 3px; }"
        "QScrollBar::handle:vertical { background: #555; border-radius: 3px; }"));
    m_macroFlow = new MacroFlowWidget(6, m_macroScrollArea);
    m_macroFlow->setObjectName(QStringLiteral("macroFlow"));
    m_macroFlow->setStyleSheet(QStringLiteral("background-color: #2a2a2a;"));
    m_macroScrollArea->setWidget(m_macroFlow);
    layout->addWidget(m_macroScrollArea, 1);

    connect(m_macroRecordButton, &QPushButton::clicked, this, &MacroPage::onRecordClicked);
    if (m_model) {
        connect(m_model, &KeyboardData::selectedKeyChanged, this, &MacroPage::onSelectedKeyChanged);
        connect(m_model, &KeyboardData::keyButtonTextChanged, this,
                &MacroPage::onKeyButtonTextChanged);
    }
    updateMacroPageStyle(1.0);
}

MacroPage::~MacroPage()
{
    // A window closed mid-recording must not keep the keyboard grabbed.
    if (m_macroRecording && m_window)
        m_window->releaseKeyboard();
}

void MacroPage::setRecordingWindow(QWidget *window)
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (m_window)
        m_window->installEventFilter(this);
}

void MacroPage::setWindowLockHandler(std::function<void(bool)> handler)
{
    m_lockHandler = std::move(handler);
}

void MacroPage::setRecordingStoppedHandler(std::function<void()> handler)
{
    m_stoppedHandler = std::move(handler);
}

void MacroPage::setClock(Clock clock)
{
    if (clock)
        m_clock = std::move(clock);
}

bool MacroPage::keySelected() const
{
    return m_model && m_model->selectedKey() >= 0;
}

void MacroPage::onRecordClicked()
{
    if (m_macroRecording)
        stopMacroRecording();
    else
        startMacroRecording();
}

void MacroPage::startMacroRecording()
{
    if (m_macroRecording || !keySelected())
        return;
    m_macroRecording = true;
    m_lastMacroEventMs = -1;
    m_ownEdit = true;
    m_model->clearSelectedKey();
    m_ownEdit = false;
    clearMacroStepsDisplay();
    if (m_lockHandler)
        m_lockHandler(true);
    m_macroRecordButton->setText(UiText::text(QString::fromLatin1(kEndText)));
    updateMacroPageStyle(m_scale);
    if (m_window)
        m_window->grabKeyboard();
    qCDebug(lcPages) << "Macro: recording started";
}

void MacroPage::stopMacroRecording()
{
    if (!m_macroRecording)
        return;
    m_macroRecording = false;
    if (m_window)
        m_window->releaseKeyboard();
    if (m_lockHandler)
        m_lockHandler(false);
    m_macroRecordButton->setText(UiText::text(QString::fromLatin1(kStartText)));
    m_macroRecordButton->setEnabled(keySelected());
    updateMacroPageStyle(m_scale);
    if (keySelected() && m_stoppedHandler)
        m_stoppedHandler();
    qCDebug(lcPages) << "Macro: recording stopped";
}

void MacroPage::onFunctionRowChanged(int row)
{
    if (row != PAGE_ROW && m_macroRecording)
        stopMacroRecording();
}

bool MacroPage::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_macroRecording || watched != m_window)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Every key is the macro's while recording: no shortcut may take it first.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->isAutoRepeat())
            return false; // a held key is one press and one release
        handleKeyEvent(key->key(), event->type() == QEvent::KeyPress);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void MacroPage::handleKeyEvent(int qtKey, bool pressed)
{
    const qint64 now = m_clock();
    const qint64 elapsed = m_lastMacroEventMs < 0 ? 0 : now - m_lastMacroEventMs;
    // The gap is measured from the last recorded step: a skipped key must not shorten the
    // pause before the next one.
    if (MacroKeyCapture::hidUsageForQtKey(qtKey) < 0)
        return;
    m_lastMacroEventMs = now;
    appendMacroStep(qtKey, pressed, elapsed);
}

void MacroPage::appendMacroStep(int qtKey, bool pressed, qint64 elapsedMs)
{
    if (!m_macroRecording || !keySelected())
        return;
    const int usage = MacroKeyCapture::hidUsageForQtKey(qtKey);
    const KeyData *key = m_model->selectedKeyData();
    if (usage < 0 || !key)
        return;

    qint64 delay = std::clamp<qint64>(elapsedMs, 0, MAX_DELAY_MS);
    const bool hasSteps = key->type == KeyType::Macro && !key->macroSteps.isEmpty();
    if (delay < MIN_LATER_DELAY_MS && hasSteps)
        delay = MIN_LATER_DELAY_MS;

    MacroStepData step;
    step.action = pressed ? 0 : 1;
    step.keyCode = quint8(usage);
    step.delayMs = quint16(delay);
    m_ownEdit = true;
    const bool appended = m_model->appendSelectedMacroStep(step);
    if (appended)
        m_model->refreshSelectedKeyTexts();
    m_ownEdit = false;
    if (!appended) {
        stopMacroRecording();
        return;
    }

    key = m_model->selectedKeyData();
    const int count = key ? key->macroSteps.size() : 0;
    addMacroStepBlock(count - 1, step);
    if (count >= KeyboardData::MAX_MACRO_STEPS)
        stopMacroRecording();
}

double MacroPage::blockScale() const
{
    return m_scale > 0 ? m_scale : 1.0;
}

namespace {

QString titleStyle(const QString &colour, int px)
{
    return QStringLiteral("color: %1; font-size: %2px; font-weight: bold;").arg(colour).arg(px);
}

QString keyLabelStyle(int px)
{
    return QStringLiteral("color: #ffffff; font-size: %1px; font-weight: bold;").arg(px);
}

// Restyling is the costly part of an update; skip it when nothing changes.
void setStyleIfChanged(QWidget *widget, const QString &style)
{
    if (widget && widget->styleSheet() != style)
        widget->setStyleSheet(style);
}

void setTextIfChanged(QLabel *label, const QString &text)
{
    if (label && label->text() != text)
        label->setText(text);
}

struct BlockSizes {
    int side;
    int titleFont;
    int labelFont;
    int spinFont;
    int room; // for text inside a block: its side less the layout margins and a little air
};

BlockSizes blockSizes(double s)
{
    BlockSizes b;
    b.side = scaled(70, s, 58);
    b.titleFont = scaled(11 * 1.5, s, 10);
    b.labelFont = scaled(14 * 1.5, s, 12);
    b.spinFont = scaled(10 * 1.5, s, 9);
    b.room = b.side - 4 * 2 - 2;
    return b;
}

QString actionTitle(const MacroStepData &step)
{
    return UiText::text(step.action == 0 ? QStringLiteral("Press") : QStringLiteral("Release"));
}

QString actionColour(const MacroStepData &step)
{
    return step.action == 0 ? QStringLiteral("#5599ff") : QStringLiteral("#ff7755");
}

} // namespace

void MacroPage::addMacroStepBlock(int index, const MacroStepData &step)
{
    if (!m_macroFlow)
        return;
    const BlockSizes size = blockSizes(blockScale());
    m_blocksScale = blockScale();
    if (m_model) {
        m_blocksLayer = m_model->currentLayer();
        m_blocksKey = m_model->selectedKey();
    }

    auto makeBlock = [&](const QString &title, const QString &colour, QLabel **titleOut) {
        auto *block = new QWidget(m_macroFlow);
        block->setObjectName(QStringLiteral("macroBlock"));
        block->setAttribute(Qt::WA_StyledBackground, true);
        block->setFixedSize(size.side, size.side);
        block->setStyleSheet(QStringLiteral(
            "QWidget#macroBlock { background-color: #3a3a3a; border-radius: 6px; }"
            "QLabel { background-color: transparent; border: none; }"
            "QSpinBox { background-color: transparent; border: none; }"));
        auto *layout = new QVBoxLayout(block);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->setSpacing(2);
        layout->setAlignment(Qt::AlignCenter);
        auto *titleLabel = new QLabel(title, block);
        titleLabel->setObjectName(QStringLiteral("macroBlockTitle"));
        titleLabel->setAlignment(Qt::AlignCenter);
        titleLabel->setStyleSheet(titleStyle(colour, fittedFontPx(title, size.titleFont, size.room)));
        layout->addWidget(titleLabel);
        if (titleOut)
            *titleOut = titleLabel;
        return block;
    };

    QWidget *delayBlock = makeBlock(UiText::text(QStringLiteral("delay")), QStringLiteral("#aaaaaa"), nullptr);
    auto *spin = new QSpinBox(delayBlock);
    spin->setObjectName(QStringLiteral("macroDelaySpin"));
    spin->setRange(0, MAX_DELAY_MS);
    spin->setValue(step.delayMs);
    spin->setSuffix(QStringLiteral("ms"));
    spin->setAlignment(Qt::AlignCenter);
    spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    spin->setStyleSheet(QStringLiteral("QSpinBox { color: #ffffff; font-size: %1px; font-weight: bold; }")
                            .arg(fittedFontPx(QStringLiteral("%1ms").arg(MAX_DELAY_MS), size.spinFont,
                                              size.room - 4)));
    connect(spin, qOverload<int>(&QSpinBox::valueChanged), this,
            [this, index](int value) { setStepDelay(index, value); });
    delayBlock->layout()->addWidget(spin);

    QLabel *action = nullptr;
    QWidget *keyBlock = makeBlock(actionTitle(step), actionColour(step), &action);
    const QString keyText = keyName(step.keyCode);
    auto *name = new QLabel(keyText, keyBlock);
    name->setObjectName(QStringLiteral("macroBlockKey"));
    name->setAlignment(Qt::AlignCenter);
    name->setStyleSheet(keyLabelStyle(fittedFontPx(keyText, size.labelFont, size.room)));
    keyBlock->layout()->addWidget(name);

    m_macroFlow->addItem(delayBlock);
    m_macroFlow->addItem(keyBlock);
    m_blocks.append(StepBlocks{delayBlock, spin, action, name});
}

void MacroPage::updateStepBlocks(int index, const MacroStepData &step)
{
    const StepBlocks &blocks = m_blocks.at(index);
    const BlockSizes size = blockSizes(blockScale());
    if (blocks.delay) {
        const QSignalBlocker quiet(blocks.delay);
        blocks.delay->setValue(step.delayMs);
    }
    const QString title = actionTitle(step);
    setTextIfChanged(blocks.action, title);
    setStyleIfChanged(blocks.action, titleStyle(actionColour(step), fittedFontPx(title, size.titleFont, size.room)));
    const QString keyText = keyName(step.keyCode);
    setTextIfChanged(blocks.name, keyText);
    setStyleIfChanged(blocks.name, keyLabelStyle(fittedFontPx(keyText, size.labelFont, size.room)));
}

void MacroPage::setStepDelay(int index, int delay)
{
    if (!m_model)
        return;
    KeyData *key = m_model->keyDataAt(m_blocksLayer, m_blocksKey);
    if (!key || key->type != KeyType::Macro || index < 0 || index >= key->macroSteps.size())
        return;
    const quint16 value = quint16(std::clamp(delay, 0, MAX_DELAY_MS));
    if (key->macroSteps[index].delayMs == value)
        return;
    key->macroSteps[index].delayMs = value;
    m_model->markKeyChanged(m_blocksLayer, m_blocksKey);
}

void MacroPage::clearMacroStepsDisplay()
{
    if (m_macroFlow)
        m_macroFlow->clear();
    m_blocks.clear();
}

void MacroPage::refreshMacroStepsDisplay()
{
    const KeyData *key = keySelected() ? m_model->selectedKeyData() : nullptr;
    if (!m_macroFlow || !key || key->type != KeyType::Macro) {
        clearMacroStepsDisplay();
        return;
    }
    // Blocks of another scale, or blocks the flow no longer holds, cannot be reused.
    bool intact = m_blocksScale == blockScale() && m_macroFlow->count() == 2 * m_blocks.size();
    for (const StepBlocks &b : qAsConst(m_blocks))
        intact = intact && b.delayBlock && b.delay && b.action && b.name;
    if (!intact)
        clearMacroStepsDisplay();

    m_blocksLayer = m_model->currentLayer();
    m_blocksKey = m_model->selectedKey();
    const QVector<MacroStepData> &steps = key->macroSteps;
    const int reused = std::min(int(steps.size()), int(m_blocks.size()));
    for (int i = 0; i < reused; ++i)
        updateStepBlocks(i, steps.at(i));
    if (m_blocks.size() > steps.size()) {
        m_macroFlow->removeItemsFrom(2 * steps.size());
        m_blocks.resize(steps.size());
    }
    for (int i = reused; i < steps.size(); ++i)
        addMacroStepBlock(i, steps.at(i));
}

void MacroPage::updateMacroPageStyle(double scale)
{
    if (!m_macroRecordButton)
        return;
    m_scale = scale > 0 ? scale : 1.0;
    m_macroRecordButton->setFixedHeight(scaled(56, m_scale, 44));
    const int font = scaled(1.5 * 28 * 0.8, m_scale, 14);
    QString style;
    if (m_macroRecording)
        style = QStringLiteral("QPushButton { background-color: #8b1a1a; color: white; border-radius: 6px; "
                               "font-size: %1px; font-weight: bold; }"
                               "QPushButton:hover { background-color: #b22222; }");
    else if (!m_macroRecordButton->isEnabled())
        style = QStringLiteral("QPushButton { background-color: #2a2a2a; color: #555555; border-radius: 6px; "
                               "font-size: %1px; font-weight: bold; }");
    else
        style = QStringLiteral("QPushButton { background-color: #2d7a2d; color: white; border-radius: 6px; "
                               "font-size: %1px; font-weight: bold; }"
                               "QPushButton:hover { background-color: #3a9a3a; }");
    setStyleIfChanged(m_macroRecordButton, style.arg(font));
    refreshMacroStepsDisplay();
}

void MacroPage::onSelectedKeyChanged(int keyIdx)
{
    if (m_macroRecording && !m_ownEdit)
        stopMacroRecording();
    if (!m_macroRecording)
        m_macroRecordButton->setEnabled(keyIdx >= 0);
    updateMacroPageStyle(m_scale);
}

void MacroPage::onKeyButtonTextChanged(int keyIdx, const QString &)
{
    if (!m_model || keyIdx != m_model->selectedKey())
        return;
    if (m_macroRecording && !m_ownEdit)
        stopMacroRecording();
    const KeyData *key = m_model->selectedKeyData();
    if (key && key->type == KeyType::Empty)
        clearMacroStepsDisplay();
}

void MacroPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Another page may have changed the key's macro since the blocks were drawn.
    if (!m_macroRecording)
        refreshMacroStepsDisplay();
}
