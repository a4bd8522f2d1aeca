#include "pages/rgbledpage.h"

#include "i18n/uitext.h"
#include "controls/rgbcolorpickerwidget.h"
#include "model/keyboarddata.h"
#include "model/logcategories.h"

#include <QButtonGroup>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVariant>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kPanelStyle = QStringLiteral("background:#2c2c2c;border-radius:10px;");
const QString kCellStyle = QStringLiteral("background:transparent;");
const char *const kKnobOnlyLedLayout = "Layout_0K_1E_P1_S1";

int scaledPx(double base, double scale, int minimum)
{
    return qMax(minimum, int(std::lround(base * scale)));
}

QString titleStyle(const QString &size)
{
    return QStringLiteral("color:#ffffff;font-size:%1;font-weight:bold;").arg(size);
}

QString hintStyle(const QString &size)
{
    return QStringLiteral("color:#bbbbbb;font-size:%1;").arg(size);
}

} // namespace

RgbLedPage::RgbLedPage(KeyboardData *model, QWidget *parent)
    : QScrollArea(parent)
    , m_model(model)
{
    setUpScrollWrapper(this);

    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("rgbLedContent"));
    m_pageLayout = new QHBoxLayout(m_content);
    m_pageLayout->setContentsMargins(20, 20, 20, 20);
    m_pageLayout->setSpacing(18);

    m_palettePanel = new QWidget(m_content);
    m_palettePanel->setObjectName(QStringLiteral("rgbPalettePanel"));
    m_palettePanel->setStyleSheet(kPanelStyle);
    m_palettePanel->setMinimumWidth(220);
    m_paletteLayout = new QVBoxLayout(m_palettePanel);
    m_paletteLayout->setContentsMargins(18, 18, 18, 18);
    m_paletteLayout->setSpacing(14);
    m_paletteTitle = new QLabel(m_palettePanel);
    m_paletteTitle->setObjectName(QStringLiteral("rgbPaletteTitle"));
    m_paletteTitle->setStyleSheet(titleStyle(QStringLiteral("18px")));
    m_paletteHint = new QLabel(m_palettePanel);
    m_paletteHint->setObjectName(QStringLiteral("rgbPaletteHint"));
    m_paletteHint->setWordWrap(true);
    m_paletteHint->setStyleSheet(hintStyle(QStringLiteral("13px")));
    m_picker = new RgbColorPickerWidget(m_palettePanel);
    m_paletteLayout->addWidget(m_paletteTitle);
    m_paletteLayout->addWidget(m_paletteHint);
    m_paletteLayout->addWidget(m_picker, 1);
    m_paletteLayout->addStretch();
    connect(m_picker, &RgbColorPickerWidget::colorChanged, this, &RgbLedPage::colorPicked);

    m_modePanel = new QWidget(m_content);
    m_modePanel->setObjectName(QStringLiteral("rgbModePanel"));
    m_modePanel->setStyleSheet(kPanelStyle);
    m_modeLayout = new QVBoxLayout(m_modePanel);
    m_modeLayout->setContentsMargins(18, 18, 18, 18);
    m_modeLayout->setSpacing(14);
    m_modeTitle = new QLabel(m_modePanel);
    m_modeTitle->setObjectName(QStringLiteral("rgbModeTitle"));
    m_modeTitle->setStyleSheet(titleStyle(QStringLiteral("18px")));
    m_modeHint = new QLabel(m_modePanel);
    m_modeHint->setObjectName(QStringLiteral("rgbModeHint"));
    m_modeHint->setWordWrap(true);
    m_modeHint->setStyleSheet(hintStyle(QStringLiteral("13px")));
    m_modeLayout->addWidget(m_modeTitle);
    m_modeLayout->addWidget(m_modeHint);

    m_modeGrid = new QGridLayout();
    m_modeGrid->setHorizontalSpacing(12);
    m_modeGrid->setVerticalSpacing(12);
    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->setExclusive(true);
    for (int i = 0; i < MODE_BUTTON_COUNT; ++i) {
        auto *cell = new QWidget(m_modePanel);
        cell->setStyleSheet(kCellStyle);
        cell->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        cell->setMinimumHeight(52);
        auto *cellLayout = new QVBoxLayout(cell);
        cellLayout->setContentsMargins(0, 0, 0, 0);
        auto *button = new QPushButton(cell);
        button->setCheckable(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setMinimumHeight(52);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background:#444444; color:#f0f0f0; border:none;"
                           " border-radius:8px; font-weight:bold;}"
                           "QPushButton:checked { background:#1e90ff; color:white;}"));
        cellLayout->addWidget(button);
        m_modeGroup->addButton(button, i);
        m_modeGrid->addWidget(cell, i / 2, i % 2);
        m_modeButtons.append(button);
        m_modeCells.append(cell);
    }
    m_modeLayout->addLayout(m_modeGrid);
    m_modeLayout->addStretch();

    m_pageLayout->addWidget(m_palettePanel, 3);
    m_pageLayout->addWidget(m_modePanel, 4);
    setWidget(m_content);

    connect(m_modeGroup, &QButtonGroup::idClicked, this,
            &RgbLedPage::onModeClicked);
    retranslate();
    refreshRgbModeButtons();
}

void RgbLedPage::setUpScrollWrapper(QScrollArea *area)
{
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setStyleSheet(
        QStringLiteral("QScrollArea { background-color:#2d2d2d; border:none; }"
                       "QScrollBar:vertical { width:8px; background:#2d2d2d; }"
                       "QScrollBar::handle:vertical { background:#666666; border-radius:4px;"
                       " min-height:24px; }"));
}

QString RgbLedPage::modeButtonStyle(int fontPx)
{
    return QStringLiteral("QPushButton { background:#444444; color:#f0f0f0; border:none;"
                          " border-radius:8px; font-size:%1px; font-weight:bold; }"
                          "QPushButton:checked { background:#1e90ff; color:white; }")
        .arg(fontPx);
}

QVector<RgbModeOption> RgbLedPage::rgbModeOptionsForLayout(const QString &layoutName)
{
    if (layoutName == QLatin1String(kKnobOnlyLedLayout)) {
        return {{0, QStringLiteral("Lights Off")},
                {1, QStringLiteral("Steady Light")},
                {2, QStringLiteral("Key Reactive")},
                {3, QStringLiteral("Forward Rainbow Flow")},
                {4, QStringLiteral("Reverse Rainbow Flow")},
                {5, QStringLiteral("Breathing")}};
    }
    return {{0, QStringLiteral("Lights Off")},   {1, QStringLiteral("Steady Light")},
            {2, QStringLiteral("Flowing Light")}, {3, QStringLiteral("Key Reactive")},
            {4, QStringLiteral("Rainbow Flow")},  {5, QStringLiteral("Wave")},
            {6, QStringLiteral("Rainbow Marquee")}, {7, QStringLiteral("Breathing")},
            {8, QStringLiteral("Ripple")},        {9, QStringLiteral("Cross Ripple")}};
}

void RgbLedPage::retranslate()
{
    m_paletteTitle->setText(UiText::text(QStringLiteral("Base Color")));
    m_paletteHint->setText(UiText::text(
        QStringLiteral("Pick one base color. Some effects will use it, some will ignore it.")));
    m_modeTitle->setText(UiText::text(QStringLiteral("Effects")));
    m_modeHint->setText(UiText::text(
        QStringLiteral("Choose how the current layer should behave. Some effects use the base "
                       "color, others use built-in palettes.")));
    refreshRgbModeButtons();
}

int RgbLedPage::currentMode() const
{
    const int layer = m_model->currentLayer();
    if (layer < 0 || layer >= KeyboardData::LAYER_COUNT)
        return 1;
    return m_model->ledConfig(layer).mode;
}

void RgbLedPage::keepModeOffered(KeyboardData *model, const QString &layoutName)
{
    const int layer = model->currentLayer();
    if (layer < 0 || layer >= KeyboardData::LAYER_COUNT)
        return;
    const QVector<RgbModeOption> options = rgbModeOptionsForLayout(layoutName);
    const int mode = model->ledConfig(layer).mode;
    bool offered = false;
    for (const RgbModeOption &o : options)
        offered = offered || o.modeId == mode;
    if (!offered && !options.isEmpty()) {
        // A mode this keypad cannot show would be written back unchanged and leave the keys
        // in an undefined effect; the first effect is a safe stand-in and is saved as a change.
        qCDebug(lcPages) << "[RGB] layer" << layer << "mode" << mode
                         << "not offered on" << layoutName << "- using" << options.first().modeId;
        model->setLedMode(layer, quint8(options.first().modeId));
    }
}

void RgbLedPage::refreshRgbModeButtons()
{
    if (!m_modeGroup || m_modeButtons.isEmpty())
        return;
    const QVector<RgbModeOption> options = rgbModeOptionsForLayout(m_layoutName);
    keepModeOffered(m_model, m_layoutName);
    const int mode = currentMode();

    // An exclusive group refuses to uncheck its checked button; lift it while re-checking.
    m_modeGroup->setExclusive(false);
    for (int i = 0; i < m_modeButtons.size(); ++i) {
        QPushButton *button = m_modeButtons.at(i);
        if (i < options.size()) {
            const RgbModeOption &o = options.at(i);
            button->setText(UiText::text(o.name));
            button->setProperty("modeId", o.modeId);
            button->setEnabled(true);
            button->setVisible(true);
            button->setAttribute(Qt::WA_TransparentForMouseEvents, false);
            button->setChecked(o.modeId == mode);
            m_modeGroup->setId(button, o.modeId);
        } else {
            button->setChecked(false);
            button->setText(QString());
            button->setEnabled(false);
            button->setVisible(false);
            button->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        }
        // The cell keeps its place so the grid keeps its shape with fewer effects.
        m_modeCells.at(i)->setVisible(true);
    }
    m_modeGroup->setExclusive(true);
}

void RgbLedPage::checkRgbModeButton(int mode)
{
    if (!m_modeGroup)
        return;
    m_modeGroup->setExclusive(false);
    for (QPushButton *button : qAsConst(m_modeButtons)) {
        const bool offered = button->isEnabled() && button->property("modeId").isValid();
        button->setChecked(offered && m_modeGroup->id(button) == mode);
    }
    m_modeGroup->setExclusive(true);
}

void RgbLedPage::onModeClicked(int id)
{
    m_model->setLedMode(m_model->currentLayer(), quint8(id));
    emit modeSelected(id);
}

void RgbLedPage::updateRgbLedPageStyle(double scale)
{
    const double s = qMax(0.8, scale);
    const int pageMargin = scaledPx(14, s, 10);
    m_pageLayout->setContentsMargins(pageMargin, pageMargin, pageMargin, pageMargin);
    m_pageLayout->setSpacing(scaledPx(12, s, 8));
    m_palettePanel->setMinimumWidth(scaledPx(220, s, 180));
    const int panelMargin = scaledPx(12, s, 10);
    const int panelSpacing = scaledPx(10, s, 8);
    for (QVBoxLayout *l : {m_paletteLayout, m_modeLayout}) {
        l->setContentsMargins(panelMargin, panelMargin, panelMargin, panelMargin);
        l->setSpacing(panelSpacing);
    }
    // The labels' own style sheets would override a QFont, so the sizes go there, in the
    // unit the page was built with so that scale 1 looks as built.
    const QString titleSize = QStringLiteral("%1px").arg(scaledPx(18, s, 12));
    const QString hintSize = QStringLiteral("%1px").arg(scaledPx(13, s, 9));
    m_paletteTitle->setStyleSheet(titleStyle(titleSize));
    m_modeTitle->setStyleSheet(titleStyle(titleSize));
    m_paletteHint->setStyleSheet(hintStyle(hintSize));
    m_modeHint->setStyleSheet(hintStyle(hintSize));
    m_picker->setMinimumSize(scaledPx(150, s, 120), scaledPx(125, s, 100));

    const int buttonHeight = scaledPx(52, s, 34);
    const QString style = modeButtonStyle(scaledPx(16, s, 12));
    for (int i = 0; i < m_modeButtons.size(); ++i) {
        m_modeButtons.at(i)->setMinimumHeight(buttonHeight);
        m_modeButtons.at(i)->setStyleSheet(style);
        m_modeCells.at(i)->setMinimumHeight(buttonHeight);
    }

    refreshRgbModeButtons();

    // Let the page shrink again after a larger scale.
    m_content->setMinimumHeight(0);
    setMinimumHeight(0);
    m_content->updateGeometry();
    updateGeometry();
    if (auto *stack = qobject_cast<QStackedWidget *>(parentWidget()))
        stack->updateGeometry();
}
