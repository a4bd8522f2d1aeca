// The function page frame: the category list and the stack of pages below the panel.
#include "app/widget.h"

#include "app/edithistory.h"

#include "controls/keybutton.h"
#include "device/hidmanager.h"
#include "pages/basekeyspage.h"
#include "pages/extrakeyspage.h"
#include "pages/legacydelaypage.h"
#include "pages/legacyolddelaypage.h"
#include "pages/macropage.h"
#include "pages/mousepage.h"
#include "pages/multimediapage.h"
#include "pages/procreatepage.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QTextEdit>

namespace {
const char *const kRowTexts[] = {"BaseKeys", "Ext Keys", "MultiMedia", "RGB LED",
                                 "Mouse",    "Macro Key", "Procreate"};
} // namespace

QWidget *Widget::createBaseKeysPage()
{
    m_baseKeysPage = new BaseKeysPage(&m_keyboardData, m_functionStack);
    return m_baseKeysPage;
}

QWidget *Widget::createCtrlShiftAltPage()
{
    m_extraKeysPage = new ExtraKeysPage(&m_keyboardData, m_functionStack);
    return m_extraKeysPage;
}

QWidget *Widget::createMultiMediaPage()
{
    m_multiMediaPage = new MultimediaPage(&m_keyboardData, m_functionStack);
    return m_multiMediaPage;
}

QWidget *Widget::createMousePage()
{
    m_mousePage = new MousePage(&m_keyboardData, m_functionStack);
    m_mousePage->setLegacyOldDeviceCheck(
        [this] { return m_legacyDevice && m_legacyInfo.format == LegacyDeviceInfo::Old; });
    return m_mousePage;
}

QWidget *Widget::createProcreatePage()
{
    m_procreatePage = new ProcreatePage(&m_keyboardData, m_functionStack);
    updateLegacyMouseFeatureAvailability();
    return m_procreatePage;
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
    // Item style sheets cannot align item text; the items centre it themselves.
    for (const char *text : kRowTexts) {
        auto *item = new QListWidgetItem(QString::fromLatin1(text), m_functionList);
        item->setTextAlignment(Qt::AlignCenter);
    }
    m_functionList->setFixedWidth(m_functionList->sizeHintForColumn(0) + 5);
    m_functionList->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addWidget(m_functionList);

    m_functionStack = new QStackedWidget(frame);
    m_functionStack->setObjectName(QStringLiteral("functionStack"));
    m_functionStack->setMinimumHeight(BOTTOM_STACKED_MIN_HEIGHT);
    m_functionStack->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Fixed order: the index of a page is the row that shows it for rows 0..6; pages 7..10
    // are reached only through the routing of rows 3 and 5.
    m_functionStack->addWidget(createBaseKeysPage());
    m_functionStack->addWidget(createCtrlShiftAltPage());
    m_functionStack->addWidget(createMultiMediaPage());
    m_rgbLedPage = createRGBLEDPage();
    m_functionStack->addWidget(m_rgbLedPage);
    m_functionStack->addWidget(createMousePage());
    auto *macroPage = new MacroPage(&m_keyboardData, m_functionStack);
    m_functionStack->addWidget(macroPage);
    m_functionStack->addWidget(createProcreatePage());
    auto *legacyDelayPage = new LegacyDelayPage(&m_keyboardData, m_functionStack);
    legacyDelayPage->setDeviceCheck(
        [this] { return m_legacyDevice && m_legacyInfo.format == LegacyDeviceInfo::R10Udav; });
    m_legacyDelayPage = legacyDelayPage;
    m_functionStack->addWidget(m_legacyDelayPage);
    auto *legacyOldDelayPage = new LegacyOldDelayPage(&m_keyboardData, m_functionStack);
    legacyOldDelayPage->setDeviceCheck(
        [this] { return m_legacyDevice && m_legacyInfo.format == LegacyDeviceInfo::Old; });
    m_legacyOldDelayPage = legacyOldDelayPage;
    m_functionStack->addWidget(m_legacyOldDelayPage);
    m_legacyRgbLedPage = createLegacyRgbLedPage();
    m_functionStack->addWidget(m_legacyRgbLedPage);
    m_legacyOldRgbLedPage = createLegacyOldRgbLedPage();
    m_functionStack->addWidget(m_legacyOldRgbLedPage);
    layout->addWidget(m_functionStack, 1);

    connect(m_functionList, &QListWidget::currentRowChanged, this, &Widget::onFunctionPageChanged);
    m_functionList->setCurrentRow(0);

    // Macro recording: the window's keys go to the page, everything that could change the
    // selection or the layer (or start a device exchange) is locked meanwhile, and the
    // recorded key is saved as soon as the recording ends.
    macroPage->setRecordingWindow(this);
    macroPage->setWindowLockHandler([this, macroPage](bool recording) {
        const bool enable = !recording;
        if (m_history) { // the whole recording is one step
            if (recording)
                m_history->beginStep(QStringLiteral("Macro Recording"));
            else
                m_history->endStep();
        }
        for (QWidget *w : {static_cast<QWidget *>(m_layerBar), static_cast<QWidget *>(m_keyKnobGroup),
                           static_cast<QWidget *>(m_functionList), static_cast<QWidget *>(clearAllButton())})
            if (w)
                w->setEnabled(enable);
        setDeviceTaskButtonsEnabled(enable);
        for (int i = 0; i < m_functionStack->count(); ++i)
            if (m_functionStack->widget(i) != macroPage)
                m_functionStack->widget(i)->setEnabled(enable);
        updateLayerButtonsVisibility();
    });
    macroPage->setRecordingStoppedHandler([this] { startAutoSaveAfterRecording(); });
    // A keypad that leaves takes the recorded key with it (the model is reset); queued, so
    // the window has taken note of the loss before the recording ends.
    connect(HIDManager::instance(), &HIDManager::deviceDisconnected, macroPage,
            &MacroPage::stopMacroRecording, Qt::QueuedConnection);
    connect(m_functionList, &QListWidget::currentRowChanged, macroPage, &MacroPage::onFunctionRowChanged);
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
        // Pages out of view follow a rescale a little later; one shown now catches up now.
        if (m_firstShowDone)
            updatePageStyles(m_scaleRatio, true);
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
        if (keyFunctionDisplay())
            keyFunctionDisplay()->clear();
        if (!hasStandaloneLedLayout())
            syncColorPickerToSelection();
    } else if (sel >= 0 && keyFunctionDisplay()) {
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

void Widget::refreshLegacyDelayPage()
{
    if (auto *page = qobject_cast<LegacyDelayPage *>(m_legacyDelayPage))
        page->refreshLegacyDelayPage();
}

void Widget::refreshLegacyOldDelayPage()
{
    if (auto *page = qobject_cast<LegacyOldDelayPage *>(m_legacyOldDelayPage))
        page->refreshLegacyOldDelayPage();
}

QString Widget::procreateButtonText(const QString &label) const
{
    return wrapProcreateLabel(label);
}

QString Widget::wrapProcreateLabel(const QString &label)
{
    return ProcreatePage::wrapProcreateLabel(label);
}

void Widget::updatePageRoutingFlags()
{
    const bool r10 = m_legacyDevice && m_legacyInfo.format == LegacyDeviceInfo::R10Udav;
    const bool old = m_legacyDevice && m_legacyInfo.format == LegacyDeviceInfo::Old;
    m_useLegacyDelayPage = r10;
    m_useLegacyRgbPage = r10;
    m_useLegacyOldDelayPage = old;
    m_useLegacyOldRgbPage = old;
}

void Widget::updateLegacyMouseFeatureAvailability()
{
    if (m_mousePage)
        m_mousePage->updateLegacyMouseFeatureAvailability();
}

BaseKeysPage *Widget::baseKeysPage() const
{
    return qobject_cast<BaseKeysPage *>(m_baseKeysPage);
}

void Widget::updateBaseKeysStyleSheet(double scale)
{
    if (BaseKeysPage *page = baseKeysPage())
        page->updateBaseKeysStyleSheet(scale);
}

void Widget::updateBaseKeysFonts(double scale)
{
    if (BaseKeysPage *page = baseKeysPage())
        page->updateBaseKeysFonts(scale);
}

void Widget::updateMediaPageStyleSheet(double scale)
{
    if (m_multiMediaPage)
        m_multiMediaPage->updateMediaPageStyleSheet(scale);
}

void Widget::updateOtherFunctionPageStyles(double scale)
{
    if (m_extraKeysPage)
        m_extraKeysPage->updateExtraKeysStyleSheet(scale);
    if (m_mousePage)
        m_mousePage->updateMouseStyleSheet(scale);
    if (m_procreatePage)
        m_procreatePage->updateProcreateStyleSheet(scale);
    if (auto *macro = m_functionStack ? m_functionStack->findChild<MacroPage *>() : nullptr)
        macro->updateMacroPageStyle(scale);
}
