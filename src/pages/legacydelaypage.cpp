#include "pages/legacydelaypage.h"

#include "i18n/uitext.h"
#include "model/keyboarddata.h"
#include "model/keynames.h"
#include "pages/clampeddelayspinbox.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

int minimumFor(int cell)
{
    return cell == 0 ? 0 : LegacyDelayPage::MIN_LATER_DELAY_MS;
}

// A two-pixel black line between the up and the down arrow.
QFrame *arrowSeparator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFixedHeight(2);
    line->setStyleSheet(QStringLiteral("background-color:#000000; border:none;"));
    return line;
}

} // namespace

QString LegacyDelayPage::pageStyleSheet() const
{
    auto px = [this](int size, int floor) { return qMax(floor, qRound(size * m_fit)); };
    return QStringLiteral(
               "QWidget { background-color: #2d2d2d; }"
               "QWidget[class=\"legacyDelaySpinFrame\"] { background-color:#151515; border:1px solid #777777; }"
               "QSpinBox[class=\"legacyDelaySpin\"] { background-color:#151515; color:#ffffff; border:none; "
               "font-size:%1px; font-weight:bold; padding-left:%2px; padding-right:2px; }"
               "QWidget[class=\"legacyDelayArrowPanel\"] { background-color:#eeeeee; border-left:1px solid #777777; }"
               "QPushButton[class=\"legacyDelayArrow\"] { background-color:#eeeeee; color:#555555; border:none; "
               "font-size:%3px; padding:0px; }"
               "QPushButton[class=\"legacyDelayArrow\"]:pressed { background-color:#d6d6d6; }"
               "QPushButton[class=\"legacyDelayArrow\"]:first-child { border-bottom:1px solid #cccccc; }"
               "QPushButton[class=\"legacyDelayKey\"] { background-color:#202020; color:#ff0000; "
               "border:1px solid #101010; font-size:%4px; font-weight:500; }"
               "QPushButton[class=\"legacyDelayKey\"]:disabled { color:#ff0000; }")
        .arg(px(20, 11))
        .arg(px(8, 3))
        .arg(px(11, 8))
        .arg(px(17, 10));
}

void LegacyDelayPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitCellsToWidth();
}

void LegacyDelayPage::fitCellsToWidth()
{
    constexpr int kFullWidth = 6 * (112 + 6 + 70) + 5 * 10 + 24;
    const double fit = qBound(0.5, qRound(100.0 * width() / kFullWidth) / 100.0, 1.0);
    if (qFuzzyCompare(fit, m_fit))
        return;
    m_fit = fit;
    auto w = [fit](int base) { return qRound(base * fit); };
    for (int i = 0; i < m_frames.size(); ++i) {
        m_frames.at(i)->setMinimumSize(w(112), 62);
        m_legacyDelaySpins.at(i)->setMinimumSize(w(82), 62);
        m_arrowPanels.at(i)->setMinimumWidth(w(30));
        m_upArrows.at(i)->setMinimumSize(w(30), 30);
        m_downArrows.at(i)->setMinimumSize(w(30), 30);
        m_legacyDelayKeys.at(i)->setMinimumSize(w(70), 62);
    }
    setStyleSheet(pageStyleSheet());
    refreshLegacyDelayPage(); // the key names carry their own font size
}

LegacyDelayPage::LegacyDelayPage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("legacyDelayPage"));
    setAttribute(Qt::WA_StyledBackground, true);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);

    for (int i = 0; i < CELL_COUNT; ++i) {
        auto *cell = new QWidget(this);
        cell->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        cell->setMinimumHeight(62);
        auto *row = new QHBoxLayout(cell);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(6);

        auto *frame = new QWidget(cell);
        frame->setProperty("class", QStringLiteral("legacyDelaySpinFrame"));
        frame->setAttribute(Qt::WA_StyledBackground, true);
        frame->setMinimumSize(112, 62);
        auto *frameLayout = new QHBoxLayout(frame);
        frameLayout->setContentsMargins(0, 0, 0, 0);
        frameLayout->setSpacing(0);

        auto *spin = new ClampedDelaySpinBox(frame);
        spin->setProperty("class", QStringLiteral("legacyDelaySpin"));
        spin->setRange(minimumFor(i), MAX_DELAY_MS);
        spin->setValue(minimumFor(i));
        spin->setSuffix(QStringLiteral(" ms"));
        spin->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
        spin->setSingleStep(1);
        spin->setMinimumSize(82, 62);
        frameLayout->addWidget(spin, 5);

        auto *arrows = new QWidget(frame);
        arrows->setProperty("class", QStringLiteral("legacyDelayArrowPanel"));
        arrows->setAttribute(Qt::WA_StyledBackground, true);
        arrows->setMinimumWidth(30);
        auto *arrowLayout = new QVBoxLayout(arrows);
        arrowLayout->setContentsMargins(0, 0, 0, 0);
        arrowLayout->setSpacing(0);
        auto makeArrow = [arrows](const QString &glyph) {
            auto *b = new QPushButton(glyph, arrows);
            b->setProperty("class", QStringLiteral("legacyDelayArrow"));
            b->setFocusPolicy(Qt::NoFocus);
            b->setMinimumSize(30, 30);
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            return b;
        };
        QPushButton *up = makeArrow(QString(QChar(0x25B2)));
        QPushButton *down = makeArrow(QString(QChar(0x25BC)));
        arrowLayout->addWidget(up);
        arrowLayout->addWidget(arrowSeparator(arrows));
        arrowLayout->addWidget(down);
        frameLayout->addWidget(arrows, 1);
        row->addWidget(frame, 7);
        m_frames.append(frame);
        m_arrowPanels.append(arrows);

        auto *key = new QPushButton(UiText::text(QStringLiteral("NULL")), cell);
        key->setProperty("class", QStringLiteral("legacyDelayKey"));
        key->setEnabled(false);
        key->setFocusPolicy(Qt::NoFocus);
        key->setMinimumSize(70, 62);
        row->addWidget(key, 4);

        grid->addWidget(cell, i / 6, i % 6);
        m_cells.append(cell);
        m_legacyDelaySpins.append(spin);
        m_legacyDelayKeys.append(key);
        m_upArrows.append(up);
        m_downArrows.append(down);

        connect(spin, qOverload<int>(&QSpinBox::valueChanged), this,
                [this, i](int value) { setLegacyDelayValue(i, value); });
        connect(up, &QPushButton::clicked, spin, [spin] { spin->stepFromArrow(1); });
        connect(down, &QPushButton::clicked, spin, [spin] { spin->stepFromArrow(-1); });
    }
    for (int c = 0; c < 6; ++c)
        grid->setColumnStretch(c, 1);
    grid->setRowStretch(3, 1);

    setStyleSheet(pageStyleSheet());

    if (m_model) {
        connect(m_model, &KeyboardData::selectedKeyChanged, this, [this] { refreshLegacyDelayPage(); });
        // A caption change of the selected key may come from a change of its entries.
        connect(m_model, &KeyboardData::keyButtonTextChanged, this, [this](int keyIdx) {
            if (keyIdx == m_model->selectedKey())
                refreshLegacyDelayPage();
        });
    }
    refreshLegacyDelayPage();
}

void LegacyDelayPage::setDeviceCheck(std::function<bool()> check)
{
    m_deviceCheck = std::move(check);
    refreshLegacyDelayPage();
}

bool LegacyDelayPage::deviceApplies() const
{
    return m_deviceCheck && m_deviceCheck();
}

QPushButton *LegacyDelayPage::arrowButton(int cell, bool up) const
{
    const QList<QPushButton *> &list = up ? m_upArrows : m_downArrows;
    return cell >= 0 && cell < list.size() ? list.at(cell) : nullptr;
}

QVector<MacroStepData> LegacyDelayPage::legacyDelayEntries(const KeyData &key)
{
    QVector<MacroStepData> entries;
    if (key.type == KeyType::Macro) {
        for (const MacroStepData &step : key.macroSteps) {
            if (step.action != 0 || step.keyCode == 0)
                continue;
            entries.append(step);
            if (entries.size() == CELL_COUNT)
                break;
        }
    } else if (key.type == KeyType::Basic) {
        MacroStepData entry;
        entry.keyCode = key.keyCode;
        entries.append(entry);
    }
    return entries;
}

QString LegacyDelayPage::legacyDelayButtonText(quint8 code)
{
    if (code == 0)
        return QString();
    if (code >= 0xE0 && code <= 0xE7)
        return modifierName(code);
    return keyName(code);
}

void LegacyDelayPage::setLegacyDelayValue(int entry, int delay)
{
    if (!m_model || !deviceApplies() || entry < 0 || entry >= CELL_COUNT)
        return;
    KeyData *key = m_model->selectedKeyData();
    if (!key)
        return;
    const quint16 value = quint16(std::clamp(delay, minimumFor(entry), MAX_DELAY_MS));

    if (key->type == KeyType::Macro) {
        int seen = 0;
        for (MacroStepData &step : key->macroSteps) {
            if (step.action != 0 || step.keyCode == 0)
                continue;
            if (seen++ != entry)
                continue;
            if (step.delayMs == value)
                return;
            step.delayMs = value;
            key->dirty = true;
            m_model->refreshSelectedKeyTexts();
            return;
        }
        return;
    }
    if (key->type == KeyType::Basic && key->keyCode != 0 && entry == 0) {
        const quint8 code = key->keyCode;
        key->setMacro({MacroStepData{0, code, value}, MacroStepData{1, code, RELEASE_DELAY_MS}});
        m_model->refreshSelectedKeyTexts();
        refreshLegacyDelayPage();
    }
}

void LegacyDelayPage::refreshLegacyDelayPage()
{
    if (m_legacyDelaySpins.isEmpty() || m_legacyDelayKeys.isEmpty())
        return;
    const KeyData *key = m_model ? m_model->selectedKeyData() : nullptr;
    const bool active = deviceApplies() && key;
    const QVector<MacroStepData> entries = active ? legacyDelayEntries(*key) : QVector<MacroStepData>();

    for (int i = 0; i < CELL_COUNT && i < m_legacyDelaySpins.size(); ++i) {
        const bool enabled = active && i < entries.size();
        ClampedDelaySpinBox *spin = m_legacyDelaySpins.at(i);
        const QSignalBlocker block(spin);
        m_cells.at(i)->setEnabled(enabled);
        spin->setRange(minimumFor(i), MAX_DELAY_MS);
        spin->setValue(enabled ? int(entries.at(i).delayMs) : minimumFor(i));
        QPushButton *name = m_legacyDelayKeys.at(i);
        const QString text = enabled ? legacyDelayButtonText(entries.at(i).keyCode) : UiText::text(QStringLiteral("NULL"));
        if (name->text() != text)
            name->setText(text);
        // Restyling is what a refresh costs most; most refreshes change no colour.
        const QString style = QStringLiteral("background-color:#202020; color:%1; border:1px solid #101010; "
                                             "font-size:%2px; font-weight:500;")
                                  .arg(enabled ? QStringLiteral("#00ff00") : QStringLiteral("#ff0000"))
                                  .arg(qMax(10, qRound(18 * m_fit)));
        if (name->styleSheet() != style)
            name->setStyleSheet(style);
    }
}
