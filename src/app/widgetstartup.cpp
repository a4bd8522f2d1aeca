// The window's composition, style sheet and language pass.
#include "app/widget.h"

#include "app/functionpages.h"
#include "app/widgettexts.h"
#include "controls/fittinglabel.h"
#include "i18n/uitext.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextEdit>

void Widget::initUI()
{
    setObjectName(QStringLiteral("Widget"));
    setStyleSheet(windowStyleSheet());

    m_mainLayout = new QVBoxLayout(this);
    m_mainLayout->setSpacing(15);
    m_mainLayout->setContentsMargins(0, 0, 0, 0);
    m_mainLayout->addWidget(buildTopBar());
    m_mainLayout->addLayout(buildMiddleRow(), 3);
    initStandaloneLeds();
    m_mainLayout->addWidget(createFunctionPageFrame(), 4);
}

QWidget *Widget::buildTopBar()
{
    m_topBar = new TopBar(m_chinese, MIN_WINDOW_WIDTH, this);
    initProfileActions();
    initSheetExport();
    initLanguageSwitch();
    connect(m_topBar, &TopBar::accessFixClicked, this, &Widget::showAccessFix);
    return m_topBar;
}

QLayout *Widget::buildMiddleRow()
{
    auto *row = new QHBoxLayout;
    m_middleRowLayout = row;
    row->setSpacing(0);
    row->setContentsMargins(20, 0, 20, 0);

    m_layerBar = new LayerBar(this);
    row->addWidget(m_layerBar);

    m_panel = new PanelView(this);
    m_panel->setContent(panelContent());
    connect(m_panel, &PanelView::buttonChosen, this, &Widget::selectButton);
    row->addWidget(m_panel->group(), 3);

    row->addSpacing(MIDDLE_ROW_SPACING);

    // Display and command column get fixed widths from the panel fit; the panel's group
    // takes what is left.
    m_commandColumn = new CommandColumn(this);
    row->addWidget(m_commandColumn->displayFrame(), 0);
    row->addSpacing(MIDDLE_ROW_SPACING);
    row->addWidget(m_commandColumn->column(), 0);
    return row;
}

QString Widget::windowStyleSheet() const
{
    return QStringLiteral(
        "* { font-family: \"Microsoft YaHei\"; }"
        "QWidget { background-color: #202020; color: #ffffff; }"
        "QWidget#topBar { background-color: #383838; border-radius: 4px; }"
        "QLabel#topTipBar { background: transparent; color: #FF0000; font-size: 24px; }"
        "QGroupBox#keyKnobGroup { background-color: #404040; border: none;"
        " border-top-left-radius: 0px; border-top-right-radius: 8px;"
        " border-bottom-left-radius: 8px; border-bottom-right-radius: 8px; }"
        "QFrame#physicalPanelFrame { background-color: #3f3f3f; border: 5px solid #9a9a9a;"
        " border-radius: 26px; }"
        "QFrame#inputFrame { background-color: #F5F5DC; border-radius: 8px; }"
        "QTextEdit#keyFunctionDisplay { background-color: #F5F5DC; color: #CD5C5C;"
        " font-weight: bold; font-size: 18px; padding: 8px; border: none; }"
        "QPushButton[class=\"FuncBtn\"] { background-color: #1E90FF; color: white;"
        " font-weight: bold; font-size: 32px; border-radius: 4px; min-height: 70px; }"
        "QPushButton[class=\"FuncBtn\"]:hover { background-color: #1874CD; }"
        "QPushButton[class=\"FuncBtn\"]:disabled { background-color: #3b5f86; color: #b8c4d0; }"
        "QStackedWidget QWidget { background-color: #333; border-radius: 0px; }"
        "QWidget#functionPageFrame, QStackedWidget#functionStack, QWidget#layerColumn,"
        " QWidget#commandColumn { background: transparent; }");
}

void Widget::updateLanguageTexts()
{
    // Pages not built yet take the language when they are built.
    WidgetTexts::translate(this);
    m_pages->retranslateRows();

    if (QTextEdit *display = keyFunctionDisplay())
        display->setPlaceholderText(uiText(QStringLiteral("Key Function Display Area")));

    updateFunctionPagesForDevice();
    refreshPhysicalKeyDisplayMode();
    updateWindowTitle();
    if (m_history) {
        refreshEditControls();
        refreshUnsavedMarks();
    }

    const int sel = m_keyboardData.selectedKey();
    if (sel >= 0 && keyFunctionDisplay())
        showFullTextInDisplay(displayFullTextForCurrentPage(sel));
}
