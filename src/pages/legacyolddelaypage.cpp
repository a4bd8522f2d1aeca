#include "pages/legacyolddelaypage.h"

#include "i18n/uitext.h"
#include "model/keyboarddata.h"
#include "pages/clampeddelayspinbox.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

LegacyOldDelayPage::LegacyOldDelayPage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("legacyOldDelayPage"));
    setAttribute(Qt::WA_StyledBackground, true);
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(28, 18, 28, 18);
    page->setSpacing(0);
    page->addStretch(1);

    auto *rowWidget = new QWidget(this);
    rowWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(rowWidget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);

    auto *label = new QLabel(UiText::text(QStringLiteral("Delay:")), rowWidget);
    label->setProperty("class", QStringLiteral("legacyOldDelayLabel"));
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    row->addWidget(label);

    m_legacyOldDelaySlider = new QSlider(Qt::Horizontal, rowWidget);
    m_legacyOldDelaySlider->setProperty("class", QStringLiteral("legacyOldDelaySlider"));
    m_legacyOldDelaySlider->setRange(0, MAX_DELAY_MS);
    m_legacyOldDelaySlider->setSingleStep(1);
    m_legacyOldDelaySlider->setPageStep(50);
    m_legacyOldDelaySlider->setFixedHeight(50);
    m_legacyOldDelaySlider->setMinimumWidth(300);
    m_legacyOldDelaySlider->setMaximumWidth(820);
    m_legacyOldDelaySlider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row->addWidget(m_legacyOldDelaySlider, 2);

    auto *frame = new QWidget(rowWidget);
    frame->setProperty("class", QStringLiteral("legacyOldDelaySpinFrame"));
    frame->setAttribute(Qt::WA_StyledBackground, true);
    frame->setFixedSize(126, 50);
    auto *frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->setSpacing(0);
    m_legacyOldDelaySpin = new ClampedDelaySpinBox(frame);
    m_legacyOldDelaySpin->setProperty("class", QStringLiteral("legacyOldDelaySpin"));
    m_legacyOldDelaySpin->setRange(0, MAX_DELAY_MS);
    m_legacyOldDelaySpin->setSingleStep(1);
    m_legacyOldDelaySpin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_legacyOldDelaySpin->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_legacyOldDelaySpin->setFocusPolicy(Qt::WheelFocus);
    m_legacyOldDelaySpin->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    frameLayout->addWidget(m_legacyOldDelaySpin);

    auto *arrows = new QWidget(frame);
    arrows->setProperty("class", QStringLiteral("legacyOldDelayArrowPanel"));
    arrows->setAttribute(Qt::WA_StyledBackground, true);
    arrows->setFixedWidth(30);
    auto *arrowLayout = new QVBoxLayout(arrows);
    arrowLayout->setContentsMargins(0, 0, 0, 0);
    arrowLayout->setSpacing(0);
    auto makeArrow = [arrows](const QString &glyph) {
        auto *b = new QPushButton(glyph, arrows);
        b->setProperty("class", QStringLiteral("legacyOldDelayArrow"));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        return b;
    };
    m_upArrow = makeArrow(QString(QChar(0x25B2)));
    m_downArrow = makeArrow(QString(QChar(0x25BC)));
    auto *line = new QFrame(arrows);
    line->setFixedHeight(2);
    line->setStyleSheet(QStringLiteral("background-color:#000000; border:none;"));
    arrowLayout->addWidget(m_upArrow);
    arrowLayout->addWidget(line);
    arrowLayout->addWidget(m_downArrow);
    frameLayout->addWidget(arrows);
    row->addWidget(frame);

    auto *unit = new QLabel(QStringLiteral("MS"), rowWidget);
    unit->setProperty("class", QStringLiteral("legacyOldDelayUnit"));
    row->addWidget(unit);
    row->addStretch();

    page->addWidget(rowWidget);
    page->addStretch(3);

    setStyleSheet(QStringLiteral(
        "QWidget { background-color:#2d2d2d; }"
        "QLabel[class=\"legacyOldDelayLabel\"], QLabel[class=\"legacyOldDelayUnit\"] { color:#ffffff; "
        "font-size:24px; font-weight:500; }"
        "QWidget[class=\"legacyOldDelaySpinFrame\"] { background-color:#151515; border:1px solid #777777; }"
        "QSpinBox[class=\"legacyOldDelaySpin\"] { background-color:#151515; color:#ffffff; border:none; "
        "font-size:22px; padding-left:7px; padding-right:2px; }"
        "QWidget[class=\"legacyOldDelayArrowPanel\"] { background-color:#eeeeee; border-left:1px solid #777777; }"
        "QPushButton[class=\"legacyOldDelayArrow\"] { background-color:#eeeeee; color:#555555; border:none; "
        "font-size:11px; padding:0px; }"
        "QPushButton[class=\"legacyOldDelayArrow\"]:pressed { background-color:#d6d6d6; }"
        "QSlider[class=\"legacyOldDelaySlider\"]::groove:horizontal { height:4px; background:#d8d8d8; }"
        "QSlider[class=\"legacyOldDelaySlider\"]::handle:horizontal { width:14px; margin:-16px 0px; "
        "background:#1e90ff; border:none; }"));

    connect(m_legacyOldDelaySlider, &QSlider::valueChanged, this, [this](int value) {
        if (m_legacyOldDelaySpin->value() != value)
            m_legacyOldDelaySpin->setValue(value);
    });
    connect(m_legacyOldDelaySpin, qOverload<int>(&QSpinBox::valueChanged), this, [this](int value) {
        if (m_legacyOldDelaySlider->value() != value)
            m_legacyOldDelaySlider->setValue(value);
        setLegacyOldDelayValue(value);
    });
    connect(m_upArrow, &QPushButton::clicked, this, [this] { m_legacyOldDelaySpin->stepFromArrow(1); });
    connect(m_downArrow, &QPushButton::clicked, this, [this] { m_legacyOldDelaySpin->stepFromArrow(-1); });

    if (m_model)
        connect(m_model, &KeyboardData::selectedKeyChanged, this, [this] { refreshLegacyOldDelayPage(); });
    refreshLegacyOldDelayPage();
}

void LegacyOldDelayPage::setDeviceCheck(std::function<bool()> check)
{
    m_deviceCheck = std::move(check);
    refreshLegacyOldDelayPage();
}

bool LegacyOldDelayPage::deviceApplies() const
{
    return m_deviceCheck && m_deviceCheck();
}

void LegacyOldDelayPage::setLegacyOldDelayValue(int delay)
{
    if (!m_model || !deviceApplies())
        return;
    KeyData *key = m_model->selectedKeyData();
    const bool takesDelay = key && ((key->type == KeyType::Basic && key->keyCode != 0) || key->type == KeyType::Macro);
    if (!takesDelay) {
        // Nothing stores this delay: the controls go back to what the key holds rather
        // than show a value that will never be saved.
        refreshLegacyOldDelayPage();
        return;
    }
    const quint16 value = quint16(std::clamp(delay, 0, MAX_DELAY_MS));

    if (key->type == KeyType::Basic && key->keyCode != 0) {
        const quint8 code = key->keyCode;
        key->setMacro({MacroStepData{0, code, value}, MacroStepData{1, code, RELEASE_DELAY_MS}});
        m_model->refreshSelectedKeyTexts();
        refreshLegacyOldDelayPage();
        return;
    }
    if (key->type != KeyType::Macro)
        return;
    QVector<MacroStepData> steps = key->macroSteps;
    bool changed = false;
    for (MacroStepData &step : steps) {
        if (step.action == 0 && step.keyCode != 0 && step.delayMs != value) {
            step.delayMs = value;
            changed = true;
        }
    }
    if (!changed)
        return;
    key->setMacro(steps);
    m_model->refreshSelectedKeyTexts();
    refreshLegacyOldDelayPage();
}

void LegacyOldDelayPage::refreshLegacyOldDelayPage()
{
    if (!m_legacyOldDelaySlider || !m_legacyOldDelaySpin)
        return;
    const bool enabled = deviceApplies();
    int value = 0;
    const KeyData *key = m_model ? m_model->selectedKeyData() : nullptr;
    if (key && key->type == KeyType::Macro) {
        for (const MacroStepData &step : key->macroSteps) {
            if (step.action == 0 && step.keyCode != 0) {
                value = step.delayMs;
                break;
            }
        }
    }
    const QSignalBlocker blockSlider(m_legacyOldDelaySlider);
    const QSignalBlocker blockSpin(m_legacyOldDelaySpin);
    m_legacyOldDelaySlider->setEnabled(enabled);
    m_legacyOldDelaySpin->setEnabled(enabled);
    m_upArrow->setEnabled(enabled);
    m_downArrow->setEnabled(enabled);
    m_legacyOldDelaySlider->setValue(value);
    m_legacyOldDelaySpin->setValue(value);
}
