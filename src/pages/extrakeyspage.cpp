#include "pages/extrakeyspage.h"

#include "i18n/uitext.h"
#include "controls/keycaption.h"
#include "model/keyboarddata.h"
#include "pages/basekeyinput.h"
#include "pages/labelfitting.h"
#include "pages/pagekeytables.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

#include <algorithm>

ExtraKeysPage::ExtraKeysPage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(8, 8, 8, 8);
    pageLayout->setSpacing(6);

    auto *grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    for (int c = 0; c < COLUMNS; ++c)
        grid->setColumnStretch(c, 1);
    for (int r = 0; r < ROWS; ++r)
        grid->setRowStretch(r, 1);
    pageLayout->addLayout(grid);

    const QVector<ExtraKeyEntry> &entries = extraKeyEntries();
    for (int r = 0; r < ROWS; ++r) {
        for (int c = 0; c < COLUMNS; ++c) {
            const auto it = std::find_if(entries.begin(), entries.end(), [r, c](const ExtraKeyEntry &e) {
                return e.row == r && e.column == c;
            });
            auto *button = new QPushButton(this);
            if (it != entries.end()) {
                button->setText(UiText::text(it->text));
                button->setProperty("keycode", int(it->usage));
                button->setProperty("class", QStringLiteral("extKey"));
                connect(button, &QPushButton::clicked, this, &ExtraKeysPage::onBaseKeyClicked);
            } else {
                button->setEnabled(false);
                button->setProperty("class", QStringLiteral("extKeyEmpty"));
            }
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            // A minimum of 0 reads as "unset" to the layouts, which then keep the button at
            // its text width and make the whole window refuse to shrink; 1 lets it shrink.
            button->setMinimumSize(1, 1);
            grid->addWidget(button, r, c);
        }
    }

    applyFittingStyle();
}

QString ExtraKeysPage::styleSheetFor(int paddingV, int paddingH, int fontPx)
{
    return QStringLiteral(
               "QWidget { background-color: #2d2d2d; }"
               "QPushButton[class=\"extKey\"] { background-color: #3c3c3c; color: #ffffff;"
               " border: 1px solid #555555; border-radius: 4px; padding: %1px %2px; font-size: %3px;"
               " text-align: center;}"
               "QPushButton[class=\"extKey\"]:hover { background-color: #4a4a4a; border-color: #777777;}"
               "QPushButton[class=\"extKey\"]:pressed { background-color: #2a2a2a;}"
               "QPushButton[class=\"extKeyEmpty\"] { background-color: #2d2d2d; color: transparent;"
               " border: 1px solid #3a3a3a; border-radius: 4px; padding: %1px %2px;}"
               "QPushButton[class=\"extKeyEmpty\"]:disabled { color: transparent;}")
        .arg(paddingV)
        .arg(paddingH)
        .arg(fontPx);
}

void ExtraKeysPage::updateExtraKeysStyleSheet(double scale)
{
    m_paddingV = std::max(KeyCaption::roundHalfAway(10 * scale), 4);
    m_paddingH = std::max(KeyCaption::roundHalfAway(12 * scale), 4);
    m_fontPx = std::max(KeyCaption::roundHalfAway(19 * scale), 10);
    applyFittingStyle();
}

void ExtraKeysPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyFittingStyle();
}

bool ExtraKeysPage::labelsFit(int fontPx, int paddingV, int paddingH) const
{
    // The grid shares the page into equal cells whatever the texts ask for.
    const int cellW = (width() - 2 * 8 - (COLUMNS - 1) * 6) / COLUMNS;
    const int cellH = (height() - 2 * 8 - (ROWS - 1) * 6) / ROWS;
    QFont font = this->font();
    font.setPixelSize(fontPx);
    const QFontMetrics metrics(font);
    const auto buttons = findChildren<QPushButton *>();
    for (const QPushButton *button : buttons) {
        if (button->text().isEmpty())
            continue;
        const QSize text = metrics.size(0, button->text());
        if (text.width() + 2 * paddingH + 2 > cellW || text.height() + 2 * paddingV + 2 > cellH)
            return false;
    }
    return true;
}

void ExtraKeysPage::applyFittingStyle()
{
    const LabelStyleSizes sizes = LabelFitting::shrinkToFit(
        LabelStyleSizes{m_fontPx, m_paddingV, m_paddingH}, width() > 1 && height() > 1,
        [this](int fontPx, int paddingV, int paddingH) {
            return labelsFit(fontPx, paddingV, paddingH);
        });
    const QString style = styleSheetFor(sizes.paddingV, sizes.paddingH, sizes.fontPx);
    if (style != m_appliedStyle) {
        m_appliedStyle = style;
        setStyleSheet(style);
    }
}

void ExtraKeysPage::onBaseKeyClicked()
{
    BaseKeyInput::click(m_model, sender());
}
