// The key function display and the command buttons: their widgets, and how their widths
// and fonts follow the room the window's row gives them.
#include "app/commandcolumn.h"

#include "model/physicallayout.h"

#include <QBoxLayout>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace {

int scaled(int base, double scale, int minimum)
{
    return qMax(minimum, nearestPx(base * scale));
}

} // namespace

CommandColumn::CommandColumn(QWidget *window)
    : QObject(window)
{
    m_inputFrame = new QFrame(window);
    m_inputFrame->setObjectName(QStringLiteral("inputFrame"));
    auto *inputLayout = new QVBoxLayout(m_inputFrame);
    inputLayout->setContentsMargins(20, 20, 20, 20);
    inputLayout->setSpacing(0);
    m_display = new QTextEdit(m_inputFrame);
    m_display->setObjectName(QStringLiteral("keyFunctionDisplay"));
    m_display->setReadOnly(true);
    m_display->setMinimumHeight(80);
    m_display->setMaximumHeight(150);
    m_display->setLineWrapMode(QTextEdit::WidgetWidth);
    m_display->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_display->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_display->setPlaceholderText(QStringLiteral("Key Function Display Area"));
    inputLayout->addStretch(1);
    inputLayout->addWidget(m_display);
    inputLayout->addStretch(1);

    m_column = buildColumn(window);
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setMinimumHeight(BASE_BUTTON_HEIGHT);
    }
    connect(m_clearButton, &QPushButton::clicked, this, &CommandColumn::clearClicked);
    connect(m_clearAllButton, &QPushButton::clicked, this, &CommandColumn::clearAllClicked);
    connect(m_viewButton, &QPushButton::clicked, this, &CommandColumn::viewClicked);
    connect(m_saveButton, &QPushButton::clicked, this, &CommandColumn::saveClicked);
}

QWidget *CommandColumn::buildColumn(QWidget *window)
{
    auto *column = new QWidget(window);
    column->setObjectName(QStringLiteral("commandColumn"));
    auto *layout = new QVBoxLayout(column);
    layout->setSpacing(10);
    layout->setContentsMargins(10, 0, 10, 0);
    layout->addStretch(1);
    auto make = [&](const QString &text, const QString &name) {
        auto *b = new QPushButton(text, column);
        b->setObjectName(name);
        b->setProperty("class", QStringLiteral("FuncBtn"));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        QFont f = b->font();
        f.setBold(true);
        f.setPointSize(BASE_FONT_PX);
        b->setFont(f);
        layout->addWidget(b);
        return b;
    };
    m_clearButton = make(QStringLiteral("Clear"), QStringLiteral("clearButton"));
    m_clearAllButton = make(QStringLiteral("Clear All"), QStringLiteral("clearAllButton"));
    m_viewButton = make(QStringLiteral("View Settings"), QStringLiteral("viewSettingsButton"));
    m_saveButton = make(QStringLiteral("Save Settings"), QStringLiteral("saveSettingsButton"));
    layout->addStretch(1);
    return column;
}

QLabel *CommandColumn::addUnsavedCountLabel()
{
    if (m_unsavedCountLabel)
        return m_unsavedCountLabel;
    // Under Save Settings: the count says what Save would write.
    auto *layout = qobject_cast<QBoxLayout *>(m_column->layout());
    m_unsavedCountLabel = new QLabel(m_column);
    m_unsavedCountLabel->setObjectName(QStringLiteral("unsavedCountLabel"));
    m_unsavedCountLabel->setStyleSheet(QStringLiteral(
        "QLabel#unsavedCountLabel { color: #FF8C00; font-size: 16px; font-weight: bold; }"));
    m_unsavedCountLabel->setAlignment(Qt::AlignCenter);
    m_unsavedCountLabel->setMinimumHeight(24);
    m_unsavedCountLabel->setWordWrap(true);
    if (layout)
        layout->insertWidget(layout->indexOf(m_saveButton) + 1, m_unsavedCountLabel);
    return m_unsavedCountLabel;
}

int CommandColumn::preferredDisplayWidth(int windowWidth)
{
    return qBound(250, nearestPx(windowWidth * 0.2), 500);
}

int CommandColumn::widthFor(int fontPx) const
{
    // The widest text in that font, off the button edges, plus the column's own margins.
    int widest = 0;
    for (const QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton}) {
        QFont f = b->font();
        f.setBold(true);
        f.setPixelSize(fontPx);
        widest = qMax(widest, QFontMetrics(f).horizontalAdvance(b->text()));
    }
    return widest + 2 * TEXT_SIDE_ROOM + 20;
}

void CommandColumn::setWidths(int displayWidth, int columnWidth, int windowWidth)
{
    m_displayWidth = displayWidth;
    updateDisplayWidth(windowWidth);
    if (m_column->minimumWidth() != columnWidth)
        m_column->setFixedWidth(columnWidth);
}

void CommandColumn::updateDisplayWidth(int windowWidth)
{
    const int width = m_displayWidth > 0 ? m_displayWidth : preferredDisplayWidth(windowWidth);
    m_inputFrame->setFixedWidth(width);
    // A narrow display keeps its room for the text rather than for its margins.
    const int margin = width < 200 ? 8 : 20;
    if (QLayout *layout = m_inputFrame->layout())
        layout->setContentsMargins(margin, 20, margin, 20);
}

void CommandColumn::fitButtonHeights(int rowHeight, double scale)
{
    // Four command buttons share the row's height with what else the column holds (the
    // gaps, the unsaved-changes count below Save Settings), measured rather than assumed.
    const QPushButton *buttons[] = {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton};
    int columnRest = 3 * 10;
    if (m_column->layout()) {
        int heights = 0;
        for (const QPushButton *b : buttons)
            heights += b->minimumHeight();
        columnRest = qMax(columnRest, m_column->layout()->minimumSize().height() - heights);
    }
    m_buttonHeight = qBound(36, (rowHeight - columnRest) / 4, qMax(50, nearestPx(BASE_BUTTON_HEIGHT * scale)));
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton})
        b->setMinimumHeight(qMin(m_buttonHeight, scaled(BASE_BUTTON_HEIGHT, scale, 50)));
}

QString CommandColumn::buttonStyleSheet(double scale) const
{
    // The font steps down to the floor while a text would be cut; the column is never
    // narrower than these texts need at the floor (widthFor). The side room keeps the
    // texts off the button edges.
    constexpr int kSideRoom = 2 * TEXT_SIDE_ROOM;
    int px = qMax(20, nearestPx(BASE_FONT_PX * scale));
    const QPushButton *buttons[] = {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton};
    // Text widths grow in step with the font size: one measurement per button at a large
    // size gives the largest size that fits, checked (and stepped down) at that size.
    constexpr int kProbePx = 100;
    int fitting = px;
    for (const QPushButton *b : buttons) {
        if (!b->isVisible() || b->width() <= kSideRoom)
            continue;
        QFont f = b->font();
        f.setBold(true);
        f.setPixelSize(kProbePx);
        const int probe = QFontMetrics(f).horizontalAdvance(b->text());
        if (probe <= 0)
            continue;
        int size = qMin(px, (b->width() - kSideRoom) * kProbePx / probe + 1);
        for (; size > FONT_FLOOR_PX; --size) {
            f.setPixelSize(size);
            if (QFontMetrics(f).horizontalAdvance(b->text()) <= b->width() - kSideRoom)
                break;
        }
        fitting = qMin(fitting, qMax(int(FONT_FLOOR_PX), size));
    }
    px = fitting;
    return QStringLiteral("QPushButton { font-size: %1px; font-weight: bold; min-height: %2px; }")
        .arg(px)
        .arg(qMin(m_buttonHeight, qMax(50, nearestPx(BASE_BUTTON_HEIGHT * scale))));
}

void CommandColumn::applyFontScale(double scale)
{
    // Style sheets carry these fonts, and they outrank QWidget::setFont.
    const QString sheet = buttonStyleSheet(scale);
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton})
        if (b->styleSheet() != sheet)
            b->setStyleSheet(sheet);
    m_display->setStyleSheet(QStringLiteral("QTextEdit#keyFunctionDisplay { font-size: %1px; }")
                                 .arg(qMax(14, nearestPx(18 * scale))));
}

void CommandColumn::applyScale(double scale)
{
    const QString sheet = buttonStyleSheet(scale);
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton}) {
        b->setMinimumHeight(qMin(m_buttonHeight, scaled(BASE_BUTTON_HEIGHT, scale, 50)));
        QFont f = b->font();
        f.setBold(true);
        f.setPointSize(scaled(BASE_FONT_PX, scale, 20));
        b->setFont(f);
        if (b->styleSheet() != sheet)
            b->setStyleSheet(sheet);
    }
}

void CommandColumn::refit(double scale)
{
    const QString sheet = buttonStyleSheet(scale);
    for (QPushButton *b : {m_clearButton, m_clearAllButton, m_viewButton, m_saveButton})
        if (b->styleSheet() != sheet)
            b->setStyleSheet(sheet);
}
