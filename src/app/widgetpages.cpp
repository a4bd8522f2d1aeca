// The function page frame: the category list and the stack of pages below the panel.
#include "app/widget.h"

#include "controls/keybutton.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QTextEdit>

namespace {
const char *const kRowTexts[] = {"BaseKeys", "Ext Keys", "MultiMedia", "RGB LED",
                                 "Mouse",    "Macro Key", "Procreate"};
const char *const kPageTitles[] = {"BaseKeys",     "Ext Keys",         "MultiMedia",
                                   "RGB LED",      "Mouse",            "Macro Key",
                                   "Procreate",    "DelaySetting",     "DelaySetting",
                                   "RGB LED",      "RGB LED"};
} // namespace

QWidget *Widget::createPlaceholderPage(const QString &title)
{
    auto *page = new QWidget(m_functionStack);
    page->setObjectName(QStringLiteral("placeholderPage"));
    auto *layout = new QVBoxLayout(page);
    auto *label = new QLabel(title, page);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    return page;
}

QWidget *Widget::createFunctionPageFrame()
{
    auto *frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("functionPageFrame"));
    frame->setMinimumHeight(BOTTOM_WIDGET_MIN_HEIGHT);
    frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *layout = new QHBoxLayout(frame);
    layout->setSpacing(0);
    layout->setContentsMargins(20, 10, 20, 10);

    m_functionList = new QListWidget(frame);
    m_functionList->setObjectName(QStringLiteral("functionList"));
    m_functionList->setStyleSheet(
        QStringLiteral("QListWidget { background-color: #282828; color: #E0E0E0; border: none;"
                       " border-right: 1px solid #444; font-size: %1px;}"
                       " QListWidget::item { height: %2px; text-align: center; padding: 0px;"
                       " font-weight: bold;}"
                       " QListWidget::item:selected { background-color: #1E90FF; color: white;}")
            .arg(BOTTOM_LIST_FONT_SIZE)
            .arg(BOTTOM_LIST_ITEM_HEIGHT));
    for (const char *text : kRowTexts)
        m_functionList->addItem(QString::fromLatin1(text));
    m_functionList->setFixedWidth(m_functionList->sizeHintForColumn(0) + 5);
    m_functionList->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addWidget(m_functionList);

    m_functionStack = new QStackedWidget(frame);
    m_functionStack->setObjectName(QStringLiteral("functionStack"));
    m_functionStack->setMinimumHeight(BOTTOM_STACKED_MIN_HEIGHT);
    m_functionStack->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    for (const char *title : kPageTitles)
        m_functionStack->addWidget(createPlaceholderPage(QString::fromLatin1(title)));
    m_baseKeysPage = m_functionStack->widget(0);
    m_rgbLedPage = m_functionStack->widget(3);
    layout->addWidget(m_functionStack, 1);

    connect(m_functionList, &QListWidget::currentRowChanged, this, &Widget::onFunctionPageChanged);
    m_functionList->setCurrentRow(0);
    return frame;
}

void Widget::onFunctionPageChanged(int row)
{
    const bool legacyRgb = row == 3 && m_useLegacyRgbPage;
    const bool legacyOldRgb = row == 3 && m_useLegacyOldRgbPage;
    const bool legacyDelay = row == 5 && m_useLegacyDelayPage;
    const bool legacyOldDelay = row == 5 && m_useLegacyOldDelayPage;

    if (m_functionStack) {
        int target = row;
        if (legacyOldRgb && m_legacyOldRgbLedPage)
            target = m_functionStack->indexOf(m_legacyOldRgbLedPage);
        else if (legacyRgb && m_legacyRgbLedPage)
            target = m_functionStack->indexOf(m_legacyRgbLedPage);
        else if (legacyOldDelay && m_legacyOldDelayPage)
            target = m_functionStack->indexOf(m_legacyOldDelayPage);
        else if (legacyDelay && m_legacyDelayPage)
            target = m_functionStack->indexOf(m_legacyDelayPage);
        if (target >= 0 && target < m_functionStack->count())
            m_functionStack->setCurrentIndex(target);
    }

    m_rgbLedPageActive = row == 3 && !legacyOldRgb;
    refreshPhysicalKeyDisplayMode();

    if (legacyDelay)
        refreshLegacyDelayPage();
    if (legacyOldDelay)
        refreshLegacyOldDelayPage();
    if (legacyRgb)
        refreshLegacyRgbLedPage();
    if (legacyOldRgb)
        refreshLegacyOldRgbLedPage();

    const int sel = m_keyboardData.selectedKey();
    if (m_rgbLedPageActive) {
        if (m_keyFunctionDisplay)
            m_keyFunctionDisplay->clear();
        if (!hasStandaloneLedLayout())
            syncColorPickerToSelection();
    } else if (sel >= 0 && m_keyFunctionDisplay) {
        showFullTextInDisplay(displayFullTextForCurrentPage(sel));
    }
    refreshStandaloneLedDisplay(-1);
}

void Widget::updateFunctionPagesForDevice()
{
    const bool legacy = m_useLegacyDelayPage || m_useLegacyOldDelayPage;
    if (m_functionList && m_functionList->count() >= 6 && m_functionList->item(5))
        m_functionList->item(5)->setText(
            uiText(legacy ? QStringLiteral("DelaySetting") : QStringLiteral("Macro Key")));
    if (m_functionList && m_functionList->currentRow() == 3)
        onFunctionPageChanged(3);
    if (m_functionList && m_functionList->currentRow() == 5)
        onFunctionPageChanged(5);
    refreshLegacyDelayPage();
    refreshLegacyOldDelayPage();
    refreshLegacyRgbLedPage();
    refreshLegacyOldRgbLedPage();
}

bool Widget::isBaseKeysPageActive() const
{
    return m_functionList && m_functionList->currentRow() == 0;
}

bool Widget::isMousePageActive() const
{
    return m_functionList && m_functionList->currentRow() == 4;
}

bool Widget::isProcreatePageActive() const
{
    return m_functionList && m_functionList->currentRow() == 6;
}

// The legacy pages and the stand-alone LED view arrive with their pages; until then there
// is nothing to refresh.
void Widget::refreshLegacyDelayPage() {}
void Widget::refreshLegacyOldDelayPage() {}
void Widget::refreshLegacyRgbLedPage() {}
void Widget::refreshLegacyOldRgbLedPage() {}
bool Widget::hasStandaloneLedLayout() const { return false; }
void Widget::refreshStandaloneLedDisplay(double) {}
void Widget::checkRgbModeButton(int) {}
void Widget::syncColorPickerToSelection() {}
void Widget::updateRgbLedPageStyle(double) {}
QString Widget::procreateCaption(const KeyData &, bool) const { return QString(); }
QString Widget::procreateButtonText(const QString &label) const { return label; }

void Widget::applyRgbLedKeyDisplay()
{
    const int layer = m_keyboardData.currentLayer();
    const bool inRange = layer >= 0 && layer < KeyboardData::LAYER_COUNT;
    for (int k = 0; k < PHYSICAL_KEY_COUNT; ++k) {
        auto *key = qobject_cast<KeyButton *>(buttonAt(k));
        if (!key)
            continue;
        key->setText(QString());
        key->setCustomColor(inRange ? m_keyboardData.ledConfig(layer).colors[size_t(k)].toColor()
                                    : QColor(255, 255, 0));
        if (!key->isAssigned())
            key->setAssigned(true);
    }
}
