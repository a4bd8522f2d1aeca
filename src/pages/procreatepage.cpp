#include "pages/procreatepage.h"

#include "i18n/uitext.h"
#include "controls/keycaption.h"
#include "model/keyboarddata.h"
#include "model/logcategories.h"
#include "pages/labelfitting.h"
#include "pages/procreatetable.h"

#include <QDebug>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHash>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariantList>

#include <algorithm>

namespace {

// Names whose automatic wrapping reads badly get hand-made breaks.
const QHash<QString, QString> &fixedWrappings()
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("Switch Between Previous and Current Color"),
         QStringLiteral("Switch Between\nPrevious and\nCurrent Color")},
        {QStringLiteral("Apply Color Balance Adjustment"), QStringLiteral("Apply Color\nBalance\nAdjustment")},
        {QStringLiteral("Toggle Full Screen Mode"), QStringLiteral("Toggle Full\nScreen Mode")},
        {QStringLiteral("Toggle Perspective Guide"), QStringLiteral("Toggle\nPerspective\nGuide")},
        {QStringLiteral("Activate Brush Tool"), QStringLiteral("Activate\nBrush Tool")},
        {QStringLiteral("Activate Eraser Tool"), QStringLiteral("Activate\nEraser Tool")},
        {QStringLiteral("Open Color Panel"), QStringLiteral("Open Color\nPanel")},
        {QStringLiteral("Open Layers Panel"), QStringLiteral("Open Layers\nPanel")},
        {QStringLiteral("Enter Selection Mode"), QStringLiteral("Enter\nSelection\nMode")},
        {QStringLiteral("Enter Transform Mode"), QStringLiteral("Enter\nTransform\nMode")},
        {QStringLiteral("Clear Selected Layer"), QStringLiteral("Clear\nSelected\nLayer")},
        {QStringLiteral("Open Actions Menu"), QStringLiteral("Open\nActions\nMenu")},
        {QStringLiteral("Apply HSB Adjustment"), QStringLiteral("Apply HSB\nAdjustment")},
        {QStringLiteral("Color Pick M (iOS 17)"), QStringLiteral("Color Pick\nM (iOS 17)")},
    };
    return map;
}

QFont pageFont(int pixelSize)
{
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

ProcreatePage::ProcreatePage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(8, 8, 8, 8);
    pageLayout->setSpacing(6);

    const QVector<ProcreateShortcut> shortcuts = procreateShortcuts();
    for (int r = 0; r < ROWS; ++r) {
        auto *rowLayout = new QHBoxLayout;
        rowLayout->setSpacing(6);
        m_rows.append(QVector<QPushButton *>());
        for (int k = 0; k < COLUMNS; ++k) {
            const int index = r * COLUMNS + k;
            auto *button = new QPushButton(this);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            // A minimum of 0 reads as "unset" to the layouts, which then keep the button at
            // its text width and make the whole window refuse to shrink; 1 lets it shrink.
            button->setMinimumSize(1, 1);
            if (index < shortcuts.size()) {
                const ProcreateShortcut &s = shortcuts.at(index);
                QVariantList codes;
                for (char c : s.usages)
                    codes.append(int(quint8(c)));
                button->setText(wrapProcreateLabel(UiText::text(s.label)));
                button->setProperty("procreateLabel", s.label);
                button->setProperty("procreateShortLabel", s.shortLabel);
                button->setProperty("procreateKeycodes", codes);
                button->setProperty("class", QStringLiteral("procreateKey"));
                button->setFont(pageFont(17));
                connect(button, &QPushButton::clicked, this, &ProcreatePage::onProcreateClicked);
            } else {
                button->setEnabled(false);
                button->setProperty("class", QStringLiteral("procreateKeyEmpty"));
                button->setFont(pageFont(16));
            }
            rowLayout->addWidget(button);
            m_rows.last().append(button);
        }
        pageLayout->addLayout(rowLayout, 1);
    }

    applyFittingStyle();
}

QString ProcreatePage::wrapProcreateLabel(const QString &label)
{
    const auto &fixed = fixedWrappings();
    const auto it = fixed.constFind(label);
    if (it != fixed.constEnd())
        return it.value();

    const QStringList words = label.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return label;

    const int limit = std::max(int(label.size()) / 3, 10);
    QStringList lines;
    QString current;
    for (const QString &word : words) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (!current.isEmpty() && candidate.size() > limit) {
            if (lines.size() >= 2) {
                // The third line takes whatever is left.
                current = candidate;
            } else {
                lines.append(current);
                current = word;
            }
        } else {
            current = candidate;
        }
    }
    if (!current.isEmpty())
        lines.append(current);
    while (lines.size() >= 4) {
        const QString last = lines.takeLast();
        lines.last() += QLatin1Char(' ') + last;
    }
    return lines.join(QLatin1Char('\n'));
}

void ProcreatePage::onProcreateClicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button)
        return;
    if (!m_model || m_model->selectedKey() < 0) {
        qCDebug(lcPages) << "Procreate: no key selected";
        return;
    }
    QByteArray usages;
    const QVariantList codes = button->property("procreateKeycodes").toList();
    for (const QVariant &code : codes)
        usages.append(char(quint8(code.toInt() & 0xFF)));
    m_model->assignSelectedKey(procreateKeyData(usages));
}

QString ProcreatePage::styleSheetFor(int paddingV, int paddingH, int fontPx, int emptyFontPx)
{
    return QStringLiteral(
               "QWidget { background-color: #2d2d2d; }"
               "QPushButton[class=\"procreateKey\"] { background-color: #3c3c3c; color: #ffffff;"
               " border: 1px solid #555555; border-radius: 4px; padding: %1px %2px;"
               " font-size: %3px !important; text-align: center;}"
               "QPushButton[class=\"procreateKey\"]:hover { background-color: #4a4a4a; border-color: #777777;}"
               "QPushButton[class=\"procreateKey\"]:pressed { background-color: #2a2a2a;}"
               "QPushButton[class=\"procreateKeyEmpty\"] { background-color: #2d2d2d; color: transparent;"
               " border: 1px solid #3a3a3a; border-radius: 4px; padding: %1px %2px;"
               " font-size: %4px !important;}"
               "QPushButton[class=\"procreateKeyEmpty\"]:disabled { color: transparent;}")
        .arg(paddingV)
        .arg(paddingH)
        .arg(fontPx)
        .arg(emptyFontPx);
}

void ProcreatePage::updateProcreateStyleSheet(double scale)
{
    m_paddingV = std::max(KeyCaption::roundHalfAway(10 * scale), 4);
    m_paddingH = std::max(KeyCaption::roundHalfAway(12 * scale), 4);
    m_fontPx = std::max(KeyCaption::roundHalfAway(17 * scale), 10);
    m_emptyFontPx = std::max(KeyCaption::roundHalfAway(16 * scale), 10);
    applyFittingStyle();
}

void ProcreatePage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyFittingStyle();
}

bool ProcreatePage::labelsFit(int fontPx, int paddingV, int paddingH) const
{
    // The layouts give every row and every button at least the size its text asks for
    // whenever the sum of those sizes fits, so the labels fit when each row's widths and
    // the rows' heights add up to no more than the page offers. Measured from the fonts,
    // not from the buttons, so that the outcome depends on the page size alone.
    const int availW = width() - 2 * 8 - (COLUMNS - 1) * 6;
    const int availH = height() - 2 * 8 - (ROWS - 1) * 6;
    const QFontMetrics metrics(pageFont(fontPx));
    const QFontMetrics emptyMetrics(pageFont(m_emptyFontPx));
    const int frameW = 2 * paddingH + 2; // padding and a 1 px border on each side
    const int frameH = 2 * paddingV + 2;
    int totalH = 0;
    for (const QVector<QPushButton *> &row : m_rows) {
        int rowW = 0;
        int rowH = 0;
        for (const QPushButton *button : row) {
            if (button->text().isEmpty()) {
                rowW += frameW;
                rowH = std::max(rowH, emptyMetrics.height() + frameH);
                continue;
            }
            const QSize text = metrics.size(0, button->text());
            rowW += text.width() + frameW;
            rowH = std::max(rowH, text.height() + frameH);
        }
        if (rowW > availW)
            return false;
        totalH += rowH;
    }
    return totalH <= availH;
}

void ProcreatePage::applyFittingStyle()
{
    const LabelStyleSizes sizes = LabelFitting::shrinkToFit(
        LabelStyleSizes{m_fontPx, m_paddingV, m_paddingH}, width() > 1 && height() > 1,
        [this](int fontPx, int paddingV, int paddingH) {
            return labelsFit(fontPx, paddingV, paddingH);
        });
    const QString style = styleSheetFor(sizes.paddingV, sizes.paddingH, sizes.fontPx, m_emptyFontPx);
    if (style != m_appliedStyle) {
        m_appliedStyle = style;
        setStyleSheet(style);
    }
}
