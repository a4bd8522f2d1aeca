#include "pages/legacyoldrgbledpage.h"

#include "i18n/uitext.h"
#include "model/keyboarddata.h"
#include "pages/legacyledpagekit.h"
#include "pages/legacyrgbpalette.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

LegacyOldRgbLedPage::LegacyOldRgbLedPage(KeyboardData *model, QWidget *parent)
    : QScrollArea(parent)
    , m_model(model)
{
    QVBoxLayout *layout = LegacyLedPageKit::createContent(
        this, QStringLiteral("legacyOldRgbLedContent"), QMargins(12, 0, 12, 14));
    QWidget *content = layout->parentWidget();
    LegacyLedPageKit::addModeRow(
        this, layout, MODE_COUNT, 82, QSizePolicy::Expanding,
        [this](int mode) { setLegacyOldRgbMode(mode); }, &m_modeButtons);

    auto *colorRow = new QHBoxLayout();
    colorRow->setSpacing(10);
    const QVector<LegacyRgbPalette::NamedColor> &colors = LegacyRgbPalette::oldColors();
    for (int i = 0; i < colors.size(); ++i) {
        auto *button = new QPushButton(UiText::text(colors.at(i).name), content);
        button->setCursor(Qt::PointingHandCursor);
        button->setMinimumHeight(82);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setProperty("legacyOldRgbColor", colors.at(i).color.name());
        connect(button, &QPushButton::clicked, this, [this, i] { setLegacyOldRgbColor(i); });
        colorRow->addWidget(button, 1);
        m_colorButtons.append(button);
    }
    colorRow->addStretch();
    layout->addLayout(colorRow);
    setWidget(content);

    refreshLegacyOldRgbLedPage();
}

void LegacyOldRgbLedPage::setDeviceCheck(std::function<bool()> check)
{
    m_deviceCheck = std::move(check);
    refreshLegacyOldRgbLedPage();
}

bool LegacyOldRgbLedPage::deviceApplies() const
{
    return m_deviceCheck && m_deviceCheck();
}

void LegacyOldRgbLedPage::setLegacyOldRgbMode(int mode)
{
    if (!deviceApplies() || mode < 0 || mode >= MODE_COUNT)
        return;
    m_model->setLedMode(m_model->currentLayer(), quint8(mode));
    refreshLegacyOldRgbLedPage();
}

void LegacyOldRgbLedPage::setLegacyOldRgbColor(int index)
{
    const QVector<LegacyRgbPalette::NamedColor> &colors = LegacyRgbPalette::oldColors();
    if (!deviceApplies() || index < 0 || index >= colors.size())
        return;
    const QColor &c = colors.at(index).color;
    // The layer has a single colour; it lives in LED 0 whatever key is selected.
    m_model->setLedColor(m_model->currentLayer(), 0,
                         LedColorData{quint8(c.red()), quint8(c.green()), quint8(c.blue())});
    refreshLegacyOldRgbLedPage();
}

void LegacyOldRgbLedPage::refreshLegacyOldRgbLedPage()
{
    const bool enabled = deviceApplies();
    const int layer = m_model->currentLayer();
    const bool inRange = layer >= 0 && layer < KeyboardData::LAYER_COUNT;
    const int mode = qMin(inRange ? int(m_model->ledConfig(layer).mode) : 1, MODE_COUNT - 1);
    const LedColorData first = inRange ? m_model->ledConfig(layer).colors[0]
                                       : LedColorData{255, 255, 0};
    const int colorIndex = LegacyRgbPalette::nearestOldColorIndex(first);
    m_currentMode = enabled ? mode : -1;
    m_currentColor = enabled ? colorIndex : -1;

    for (int i = 0; i < m_modeButtons.size(); ++i) {
        const bool current = enabled && i == mode;
        QPushButton *button = m_modeButtons.at(i);
        button->setEnabled(enabled);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background:%1; color:%2; border:1px solid #151515;"
                           " border-radius:0px; font-size:20px; font-weight:500; }"
                           "QPushButton:pressed { background:#dddddd; color:#000000; }")
                .arg(current ? QStringLiteral("#f2f2f2") : QStringLiteral("#383838"),
                     current ? QStringLiteral("#000000") : QStringLiteral("#ffffff")));
    }
    for (int i = 0; i < m_colorButtons.size(); ++i) {
        QPushButton *button = m_colorButtons.at(i);
        button->setEnabled(enabled);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background:%1; color:#ffffff; border:%2;"
                           " border-radius:0px; font-size:20px; }"
                           "QPushButton:pressed { border:3px solid #ffffff; }")
                .arg(button->property("legacyOldRgbColor").toString(),
                     enabled && i == colorIndex ? QStringLiteral("3px solid #ffffff")
                                                : QStringLiteral("1px solid #202020")));
    }
}
