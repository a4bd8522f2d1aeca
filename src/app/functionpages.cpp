#include "app/functionpages.h"

#include "app/widgettexts.h"
#include "model/keyboarddata.h"
#include "model/logcategories.h"
#include "model/physicallayout.h"
#include "pages/basekeyspage.h"
#include "pages/extrakeyspage.h"
#include "pages/legacydelaypage.h"
#include "pages/legacyolddelaypage.h"
#include "pages/legacyoldrgbledpage.h"
#include "pages/legacyrgbledpage.h"
#include "pages/macropage.h"
#include "pages/mousepage.h"
#include "pages/multimediapage.h"
#include "pages/procreatepage.h"
#include "pages/rgbledpage.h"
#include "pages/scalablepage.h"
#include "i18n/uitext.h"

#include <QBoxLayout>
#include <QDebug>
#include <QListWidget>
#include <QStackedWidget>
#include <QTimer>

namespace {

const char *const kRowTexts[] = {"BaseKeys", "Ext Keys", "MultiMedia", "RGB LED",
                                 "Mouse",    "Macro Key", "Procreate"};
static_assert(sizeof(kRowTexts) / sizeof(kRowTexts[0]) == PageRouting::RowCount, "one text a row");

int scaledBounded(double value, int lo, int hi)
{
    return qBound(lo, nearestPx(value), hi);
}

QString listStyleSheet(int fontPx, int itemHeight)
{
    return QStringLiteral("QListWidget { background-color: #282828; color: #E0E0E0; border: none;"
                          " border-right: 1px solid #444; font-size: %1px;}"
                          " QListWidget::item { height: %2px; text-align: center; padding: 0px;"
                          " font-weight: bold;}"
                          " QListWidget::item:selected { background-color: #1E90FF; color: white;}")
        .arg(fontPx)
        .arg(itemHeight);
}

} // namespace

FunctionPages::FunctionPages(KeyboardData *model, QWidget *parent)
    : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("functionPageFrame"));
    setMinimumHeight(FRAME_MIN_HEIGHT);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(20, 10, 20, 10);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("functionList"));
    m_list->setStyleSheet(listStyleSheet(LIST_FONT_SIZE, LIST_ITEM_HEIGHT));
    // Item style sheets cannot align item text; the items centre it themselves.
    for (const char *text : kRowTexts) {
        auto *item = new QListWidgetItem(QString::fromLatin1(text), m_list);
        item->setTextAlignment(Qt::AlignCenter);
    }
    m_list->setFixedWidth(m_list->sizeHintForColumn(0) + 5);
    m_list->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addWidget(m_list);

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("functionStack"));
    m_stack->setMinimumHeight(STACK_MIN_HEIGHT);
    m_stack->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // An empty stand-in holds each page's place, so a page's index never changes.
    for (int i = 0; i < PageRouting::PageCount; ++i)
        m_stack->addWidget(new QWidget(m_stack));
    layout->addWidget(m_stack, 1);
}

QWidget *FunctionPages::page(Page page)
{
    if (page < 0 || page >= PageRouting::PageCount)
        return nullptr;
    return m_pages[page] ? m_pages[page] : buildPage(page);
}

QWidget *FunctionPages::buildPage(Page which)
{
    QWidget *widget = nullptr;
    switch (which) {
    case PageRouting::BaseKeys:
        widget = new BaseKeysPage(m_model, m_stack);
        break;
    case PageRouting::ExtraKeys:
        widget = new ExtraKeysPage(m_model, m_stack);
        break;
    case PageRouting::MultiMedia:
        widget = new MultimediaPage(m_model, m_stack);
        break;
    case PageRouting::RgbLed:
        widget = new RgbLedPage(m_model, m_stack);
        break;
    case PageRouting::Mouse: {
        auto *mouse = new MousePage(m_model, m_stack);
        mouse->setLegacyOldDeviceCheck([this] { return m_keypadNow && m_keypadNow() == PageRouting::Keypad::Old; });
        mouse->updateLegacyMouseFeatureAvailability();
        widget = mouse;
        break;
    }
    case PageRouting::Macro:
        widget = new MacroPage(m_model, m_stack);
        break;
    case PageRouting::Procreate:
        widget = new ProcreatePage(m_model, m_stack);
        break;
    case PageRouting::LegacyDelay: {
        auto *delays = new LegacyDelayPage(m_model, m_stack);
        delays->setDeviceCheck([this] { return m_keypadNow && m_keypadNow() == PageRouting::Keypad::R10Udav; });
        widget = delays;
        break;
    }
    case PageRouting::LegacyOldDelay: {
        auto *delay = new LegacyOldDelayPage(m_model, m_stack);
        delay->setDeviceCheck([this] { return m_keypadNow && m_keypadNow() == PageRouting::Keypad::Old; });
        widget = delay;
        break;
    }
    case PageRouting::LegacyRgbLed: {
        auto *lighting = new LegacyRgbLedPage(m_model, m_stack);
        // A disconnection makes the keypad "current" again, so this also covers "connected".
        lighting->setDeviceCheck([this] { return m_keypadNow && m_keypadNow() == PageRouting::Keypad::R10Udav; });
        widget = lighting;
        break;
    }
    case PageRouting::LegacyOldRgbLed: {
        auto *lighting = new LegacyOldRgbLedPage(m_model, m_stack);
        lighting->setDeviceCheck([this] { return m_keypadNow && m_keypadNow() == PageRouting::Keypad::Old; });
        widget = lighting;
        break;
    }
    case PageRouting::PageCount:
        return nullptr;
    }
    qCDebug(lcWindow) << "[Pages] built page" << int(which);

    // Into the stand-in's place; the page in view stays in view.
    QWidget *standIn = m_stack->widget(which);
    widget->setEnabled(standIn->isEnabled()); // a macro recording locks the other pages
    m_stack->insertWidget(which, widget);
    m_stack->removeWidget(standIn);
    delete standIn;
    m_pages[which] = widget;

    // The window's language pass ran before this page existed.
    WidgetTexts::translate(widget);
    if (which != PageRouting::RgbLed && m_pageMinHeight >= 0)
        widget->setMinimumHeight(m_pageMinHeight);
    emit pageBuilt(which, widget);
    if (m_scale > 0) {
        // Polished with the page's own sheet first, as a page built with the window is: a
        // button polished only after the scaled sheet came keeps the font it was given.
        widget->ensurePolished();
        restylePage(widget, m_scale);
    }
    refreshPage(which);
    return widget;
}

BaseKeysPage *FunctionPages::baseKeysPage()
{
    return static_cast<BaseKeysPage *>(page(PageRouting::BaseKeys));
}

ExtraKeysPage *FunctionPages::extraKeysPage()
{
    return static_cast<ExtraKeysPage *>(page(PageRouting::ExtraKeys));
}

MultimediaPage *FunctionPages::multiMediaPage()
{
    return static_cast<MultimediaPage *>(page(PageRouting::MultiMedia));
}

RgbLedPage *FunctionPages::rgbLedPage()
{
    return static_cast<RgbLedPage *>(page(PageRouting::RgbLed));
}

MousePage *FunctionPages::mousePage()
{
    return static_cast<MousePage *>(page(PageRouting::Mouse));
}

MacroPage *FunctionPages::macroPage()
{
    return static_cast<MacroPage *>(page(PageRouting::Macro));
}

ProcreatePage *FunctionPages::procreatePage()
{
    return static_cast<ProcreatePage *>(page(PageRouting::Procreate));
}

LegacyDelayPage *FunctionPages::legacyDelayPage()
{
    return static_cast<LegacyDelayPage *>(page(PageRouting::LegacyDelay));
}

LegacyOldDelayPage *FunctionPages::legacyOldDelayPage()
{
    return static_cast<LegacyOldDelayPage *>(page(PageRouting::LegacyOldDelay));
}

LegacyRgbLedPage *FunctionPages::legacyRgbLedPage()
{
    return static_cast<LegacyRgbLedPage *>(page(PageRouting::LegacyRgbLed));
}

LegacyOldRgbLedPage *FunctionPages::legacyOldRgbLedPage()
{
    return static_cast<LegacyOldRgbLedPage *>(page(PageRouting::LegacyOldRgbLed));
}

RgbLedPage *FunctionPages::builtRgbLedPage() const
{
    return static_cast<RgbLedPage *>(m_pages[PageRouting::RgbLed]);
}

void FunctionPages::setKeypadSource(std::function<PageRouting::Keypad()> source)
{
    m_keypadNow = std::move(source);
}

void FunctionPages::updateRouting()
{
    m_routing = PageRouting(m_keypadNow ? m_keypadNow() : PageRouting::Keypad::Current);
}

void FunctionPages::showRow(int row)
{
    const Page target = m_routing.pageForRow(row);
    if (QWidget *shown = page(target)) {
        m_stack->setCurrentWidget(shown);
        // Pages out of view follow a rescale a little later; one shown now catches up now.
        if (m_scale > 0)
            restylePage(shown, m_scale);
    }
    m_rgbLedPageActive = m_routing.showsLedColours(row);
}

int FunctionPages::currentRow() const
{
    return m_list->currentRow();
}

void FunctionPages::updateMacroRowText()
{
    if (QListWidgetItem *item = m_list->item(PageRouting::MacroRow))
        item->setText(UiText::text(m_routing.macroRowText()));
}

void FunctionPages::refreshPage(Page page)
{
    switch (page) {
    case PageRouting::LegacyDelay:
        if (auto *p = static_cast<LegacyDelayPage *>(m_pages[page]))
            p->refreshLegacyDelayPage();
        break;
    case PageRouting::LegacyOldDelay:
        if (auto *p = static_cast<LegacyOldDelayPage *>(m_pages[page]))
            p->refreshLegacyOldDelayPage();
        break;
    case PageRouting::LegacyRgbLed:
        if (auto *p = static_cast<LegacyRgbLedPage *>(m_pages[page]))
            p->refreshLegacyRgbLedPage();
        break;
    case PageRouting::LegacyOldRgbLed:
        if (auto *p = static_cast<LegacyOldRgbLedPage *>(m_pages[page]))
            p->refreshLegacyOldRgbLedPage();
        break;
    default:
        break; // the other pages follow the model by its signals
    }
}

void FunctionPages::updateLegacyMouseFeatureAvailability()
{
    if (auto *mouse = static_cast<MousePage *>(m_pages[PageRouting::Mouse]))
        mouse->updateLegacyMouseFeatureAvailability();
}

void FunctionPages::retranslateRows()
{
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        item->setText(UiText::text(item->text()));
    }
    m_list->setFixedWidth(m_list->sizeHintForColumn(0) + 18);
}

bool FunctionPages::restylePage(QWidget *page, double scale)
{
    auto *scalable = dynamic_cast<ScalablePage *>(page);
    if (!scalable)
        return false; // the lighting pages size themselves
    const auto it = m_pageStyleScale.constFind(page);
    if (it != m_pageStyleScale.constEnd() && qFuzzyCompare(it.value(), scale))
        return false;
    m_pageStyleScale.insert(page, scale);
    scalable->applyScale(scale);
    return true;
}

void FunctionPages::applyScale(double scale, bool pageInViewOnly)
{
    m_scale = scale;
    const QWidget *inView = m_stack->currentWidget();
    for (QWidget *page : m_pages)
        if (page && (!pageInViewOnly || page == inView))
            restylePage(page, scale);
}

void FunctionPages::styleFirstPageFor(double scale)
{
    if (QWidget *first = page(m_routing.pageForRow(0)))
        restylePage(first, scale);
}

void FunctionPages::restyleHiddenPagesLater()
{
    // Restyling a page costs milliseconds (every button is polished again); the pages out
    // of view follow one per event-loop turn, so the relayout itself stays within a frame.
    if (m_hiddenPageRestyleQueued)
        return;
    m_hiddenPageRestyleQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_hiddenPageRestyleQueued = false;
        for (QWidget *page : m_pages)
            if (page && restylePage(page, m_scale)) {
                restyleHiddenPagesLater();
                return;
            }
    });
}

void FunctionPages::setPageMinimumHeight(int px)
{
    m_pageMinHeight = px;
    m_stack->setMinimumHeight(px);
    // The lighting page sizes itself (its picker and effect grid need their own room).
    for (int i = 0; i < m_stack->count(); ++i) {
        QWidget *page = m_stack->widget(i);
        if (page != m_pages[PageRouting::RgbLed])
            page->setMinimumHeight(px);
    }
}

void FunctionPages::setListScale(double scale)
{
    // Rows as high as the scale asks, but never so high that the seven rows need a scroll
    // bar in the room the window leaves the list (fitList measures it).
    int itemHeight = scaledBounded(LIST_ITEM_HEIGHT * scale, 30, 80);
    if (m_listItemCap > 0)
        itemHeight = qMin(itemHeight, m_listItemCap);
    const int fontPx = qMin(scaledBounded(1.3 * LIST_FONT_SIZE * scale, 10, 24), qMax(10, itemHeight * 2 / 3));
    m_listFontPx = fontPx;
    const QString sheet = listStyleSheet(fontPx, itemHeight);
    if (m_list->styleSheet() != sheet)
        m_list->setStyleSheet(sheet);
}

void FunctionPages::setListWidthForScale(double scale)
{
    m_list->setFixedWidth(scaledBounded(LIST_WIDTH * scale * 1.5 * 0.8, 100, 250));
    setListScale(scale);
}

void FunctionPages::fitList(double scale)
{
    if (m_list->count() == 0)
        return;
    const int room = m_list->contentsRect().height();
    const int cap = qMax(16, (room - 1) / m_list->count());
    if (cap != m_listItemCap) {
        m_listItemCap = cap;
        setListScale(scale);
    }
    // Wide enough for the longest row in its bold font.
    QFont f = m_list->font();
    f.setBold(true);
    f.setPixelSize(qMax(1, m_listFontPx));
    int widest = 0;
    for (int i = 0; i < m_list->count(); ++i)
        widest = qMax(widest, QFontMetrics(f).horizontalAdvance(m_list->item(i)->text()));
    const int width = qMin(250, qMax(m_list->minimumWidth(), widest + 16));
    if (width != m_list->minimumWidth())
        m_list->setFixedWidth(width);
}
