// The function page frame below the panel (FunctionPages) and what the window wires to it:
// which row shows which page, and what the panel does while a page is in view.
#include "app/widget.h"

#include "app/edithistory.h"
#include "app/functionpages.h"

#include "device/hidmanager.h"
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

#include <QGroupBox>
#include <QListWidget>
#include <QStackedWidget>
#include <QTextEdit>

QWidget *Widget::createFunctionPageFrame()
{
    m_pages = new FunctionPages(&m_keyboardData, this);
    // A disconnection clears the legacy kind at once, before the routing is redone.
    m_pages->setKeypadSource(
        [this] { return PageRouting::keypadOf(isLegacyDevice(), legacyInfo().format); });
    connect(m_pages, &FunctionPages::pageBuilt, this, &Widget::onPageBuilt);
    connect(m_pages->list(), &QListWidget::currentRowChanged, this, &Widget::onFunctionPageChanged);
    m_pages->styleFirstPageFor(scaleForSize(size()));
    m_pages->list()->setCurrentRow(0);
    return m_pages;
}

void Widget::onPageBuilt(int page, QWidget *widget)
{
    switch (page) {
    case PageRouting::RgbLed:
        wireRgbLedPage(static_cast<RgbLedPage *>(widget));
        break;
    case PageRouting::LegacyRgbLed:
        wireLegacyRgbLedPage(static_cast<LegacyRgbLedPage *>(widget));
        break;
    case PageRouting::Macro: {
        // Macro recording: the window's keys go to the page, everything that could change
        // the selection or the layer (or start a device exchange) is locked meanwhile, and
        // the recorded key is saved as soon as the recording ends.
        auto *macroPage = static_cast<MacroPage *>(widget);
        macroPage->setRecordingWindow(this);
        macroPage->setWindowLockHandler(
            [this, macroPage](bool recording) { lockWindowForRecording(macroPage, recording); });
        macroPage->setRecordingStoppedHandler([this] { startAutoSaveAfterRecording(); });
        // A keypad that leaves takes the recorded key with it (the model is reset); queued,
        // so the window has taken note of the loss before the recording ends.
        connect(HIDManager::instance(), &HIDManager::deviceDisconnected, macroPage,
                &MacroPage::stopMacroRecording, Qt::QueuedConnection);
        connect(functionList(), &QListWidget::currentRowChanged, macroPage,
                &MacroPage::onFunctionRowChanged);
        break;
    }
    default:
        break;
    }
}

void Widget::lockWindowForRecording(QWidget *macroPage, bool recording)
{
    const bool enable = !recording;
    if (m_history) { // the whole recording is one step
        if (recording)
            m_history->beginStep(QStringLiteral("Macro Recording"));
        else
            m_history->endStep();
    }
    for (QWidget *w : {static_cast<QWidget *>(m_layerBar), static_cast<QWidget *>(m_panel->group()),
                       static_cast<QWidget *>(functionList()), static_cast<QWidget *>(clearAllButton())})
        if (w)
            w->setEnabled(enable);
    setDeviceTaskButtonsEnabled(enable);
    QStackedWidget *stack = functionStack();
    for (int i = 0; i < stack->count(); ++i)
        if (stack->widget(i) != macroPage)
            stack->widget(i)->setEnabled(enable);
    updateLayerButtonsVisibility();
}

void Widget::onFunctionPageChanged(int row)
{
    m_pages->showRow(row);
    refreshPhysicalKeyDisplayMode();
    // The legacy pages read the model when they come into view.
    const PageRouting::Page shown = m_pages->routing().pageForRow(row);
    if (shown >= PageRouting::LegacyDelay)
        m_pages->refreshPage(shown);

    const int sel = m_keyboardData.selectedKey();
    if (isRgbLedPageActive()) {
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
    m_pages->updateMacroRowText();
    const int row = m_pages->currentRow();
    if (row == PageRouting::LightingRow || row == PageRouting::MacroRow)
        onFunctionPageChanged(row);
    refreshLegacyDelayPage();
    refreshLegacyOldDelayPage();
    refreshLegacyRgbLedPage();
    refreshLegacyOldRgbLedPage();
}

bool Widget::isBaseKeysPageActive() const
{
    return m_pages->currentRow() == 0;
}

bool Widget::isMousePageActive() const
{
    return m_pages->currentRow() == 4;
}

bool Widget::isProcreatePageActive() const
{
    return m_pages->currentRow() == 6;
}

bool Widget::isRgbLedPageActive() const
{
    return m_pages && m_pages->isRgbLedPageActive();
}

QListWidget *Widget::functionList() const
{
    return m_pages->list();
}

QStackedWidget *Widget::functionStack() const
{
    return m_pages->stack();
}

void Widget::refreshLegacyDelayPage()
{
    m_pages->refreshPage(PageRouting::LegacyDelay);
}

void Widget::refreshLegacyOldDelayPage()
{
    m_pages->refreshPage(PageRouting::LegacyOldDelay);
}

void Widget::refreshLegacyRgbLedPage()
{
    m_pages->refreshPage(PageRouting::LegacyRgbLed);
}

void Widget::refreshLegacyOldRgbLedPage()
{
    m_pages->refreshPage(PageRouting::LegacyOldRgbLed);
}

QString Widget::wrapProcreateLabel(const QString &label)
{
    return ProcreatePage::wrapProcreateLabel(label);
}

void Widget::updatePageRoutingFlags()
{
    m_pages->updateRouting();
}

void Widget::updateLegacyMouseFeatureAvailability()
{
    m_pages->updateLegacyMouseFeatureAvailability();
}

BaseKeysPage *Widget::baseKeysPage() const
{
    return m_pages->baseKeysPage();
}

ExtraKeysPage *Widget::extraKeysPage() const
{
    return m_pages->extraKeysPage();
}

MultimediaPage *Widget::multiMediaPage() const
{
    return m_pages->multiMediaPage();
}

MousePage *Widget::mousePage() const
{
    return m_pages->mousePage();
}

ProcreatePage *Widget::procreatePage() const
{
    return m_pages->procreatePage();
}

MacroPage *Widget::macroPage() const
{
    return m_pages->macroPage();
}

LegacyDelayPage *Widget::legacyDelayPage() const
{
    return m_pages->legacyDelayPage();
}

LegacyOldDelayPage *Widget::legacyOldDelayPage() const
{
    return m_pages->legacyOldDelayPage();
}

RgbLedPage *Widget::rgbLedPage() const
{
    return m_pages->rgbLedPage();
}

LegacyRgbLedPage *Widget::legacyRgbLedPage() const
{
    return m_pages->legacyRgbLedPage();
}

LegacyOldRgbLedPage *Widget::legacyOldRgbLedPage() const
{
    return m_pages->legacyOldRgbLedPage();
}
