#include "pages/legacyrgbledpage.h"

#include "i18n/uitext.h"
#include "model/keyboarddata.h"
#include "pages/legacyledpagekit.h"
#include "pages/legacyrgbpalette.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

namespace {
constexpr int SWATCHES_PER_ROW = 7;
} // namespace

LegacyRgbLedPage::LegacyRgbLedPage(KeyboardData *model, QWidget *parent)
    : QScrollArea(parent)
    , m_model(model)
{
    QVBoxLayout *layout = LegacyLedPageKit::createContent(
        this, QStringLiteral("legacyRgbLedContent"), QMargins(12, 10, 12, 10));
    QWidget *content = layout->parentWidget();
    LegacyLedPageKit::addModeRow(
        this, layout, MODE_COUNT, 44, QSizePolicy::Fixed,
        [this](int mode) { setLegacyRgbMode(mode); }, &m_modeButtons);

    auto *grid = new QGridLayout();
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    const QVector<QColor> &swatches = LegacyRgbPalette::r10UdavSwatches();
    for (int i = 0; i < swatches.size(); ++i) {
        const QColor color = swatches.at(i);
        auto *swatch = new QPushButton(content);
        swatch->setCursor(Qt::PointingHandCursor);
        swatch->setMinimumHeight(32);
        swatch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        swatch->setStyleSheet(
            QStringLiteral("QPushButton { background:%1; border:1px solid #202020;"
                           " border-radius:0px; }"
                           "QPushButton:pressed { border:2px solid #ffffff; }")
                .arg(color.name()));
        connect(swatch, &QPushButton::clicked, this, [this, color] { setLegacyRgbColor(color); });
        grid->addWidget(swatch, i / SWATCHES_PER_ROW, i % SWATCHES_PER_ROW);
        m_colorButtons.append(swatch);
    }
    for (int c = 0; c < SWATCHES_PER_ROW; ++c)
        grid->setColumnStretch(c, 1);
    layout->addLayout(grid);
    layout->addStretch();
    setWidget(content);

    refreshLegacyRgbLedPage();
}

void LegacyRgbLedPage::setDeviceCheck(std::function<bool()> check)
{
    m_deviceCheck = std::move(check);
    refreshLegacyRgbLedPage();
}

void LegacyRgbLedPage::setKeySelectedCheck(std::function<bool()> check)
{
    m_keySelectedCheck = std::move(check);
    refreshLegacyRgbLedPage();
}

bool LegacyRgbLedPage::deviceApplies() const
{
    return m_deviceCheck && m_deviceCheck();
}

bool LegacyRgbLedPage::keySelected() const
{
    return m_keySelectedCheck && m_keySelectedCheck();
}

void LegacyRgbLedPage::setLegacyRgbMode(int mode)
{
    if (!deviceApplies() || mode < 0 || mode >= MODE_COUNT)
        return;
    m_model->setLedMode(m_model->currentLayer(), quint8(mode));
    refreshLegacyRgbLedPage();
}

void LegacyRgbLedPage::setLegacyRgbColor(const QColor &color)
{
    if (!deviceApplies() || !keySelected())
        return;
    const int selected = m_model->selectedKey();
    if (selected >= 0 && selected < KeyboardData::LEDS_PER_LAYER)
        m_model->setLedColor(m_model->currentLayer(), selected,
                             LedColorData{quint8(color.red()), quint8(color.green()),
                                          quint8(color.blue())});
    emit ledColorsChanged();
    refreshLegacyRgbLedPage();
}

QString LegacyRgbLedPage::modeButtonStyle(bool current)
{
    return QStringLiteral("QPushButton { background:%1; color:%2; border:1px solid #151515;"
                          " border-radius:0px; font-size:18px; font-weight:500; }"
                          "QPushButton:pressed { background:#dddddd; color:#000000; }")
        .arg(current ? QStringLiteral("#f2f2f2") : QStringLiteral("#383838"),
             current ? QStringLiteral("#000000") : QStringLiteral("#ffffff"));
}

void LegacyRgbLedPage::refreshLegacyRgbLedPage()
{
    const bool enabled = deviceApplies();
    const int layer = m_model->currentLayer();
    const int mode = (layer >= 0 && layer < KeyboardData::LAYER_COUNT)
                         ? m_model->ledConfig(layer).mode
                         : 1;
    for (int i = 0; i < m_modeButtons.size(); ++i) {
        QPushButton *button = m_modeButtons.at(i);
        button->setEnabled(enabled);
        button->setStyleSheet(modeButtonStyle(enabled && i == mode));
    }
    const bool swatchesEnabled = enabled && keySelected();
    for (QPushButton *swatch : qAsConst(m_colorButtons))
        swatch->setEnabled(swatchesEnabled);
}
