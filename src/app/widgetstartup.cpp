// The window's composition, style sheet and language pass.
#include "app/widget.h"

#include "app/functionpages.h"
#include "app/widgettexts.h"
#include "controls/fittinglabel.h"
#include "i18n/uitext.h"
#include "controls/keybutton.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
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

    m_keyKnobGroup = new QGroupBox(this);
    m_keyKnobGroup->setObjectName(QStringLiteral("keyKnobGroup"));
    m_keyKnobGroupLayout = new QHBoxLayout(m_keyKnobGroup);
    m_keyKnobGroupLayout->setSpacing(0);
    m_keyKnobGroupLayout->setContentsMargins(20, 0, 20, 20);
    m_keyKnobGroupLayout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_panelFrame = new QFrame(m_keyKnobGroup);
    m_panelFrame->setObjectName(QStringLiteral("physicalPanelFrame"));
    m_panelFrame->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_panelLayout = new QBoxLayout(QBoxLayout::LeftToRight, m_panelFrame);
    m_panelLayout->setContentsMargins(26, 18, 26, 18);
    m_panelLayout->setSpacing(28);
    m_panelLayout->setSizeConstraint(QLayout::SetFixedSize);

    m_keyMatrix = buildKeyMatrix();
    m_knobContainer = new QWidget(m_panelFrame);
    m_knobContainer->setObjectName(QStringLiteral("knobContainer"));
    m_knobContainer->setAttribute(Qt::WA_TranslucentBackground, true);
    m_knobContainer->setStyleSheet(QStringLiteral("background: transparent;"));
    m_panelLayout->addWidget(m_keyMatrix, 0, Qt::AlignTop);
    m_panelLayout->addWidget(m_knobContainer, 0, Qt::AlignTop);

    m_keyKnobGroupLayout->addStretch(1);
    m_keyKnobGroupLayout->addWidget(m_panelFrame, 0, Qt::AlignTop);
    m_keyKnobGroupLayout->addStretch(1);
    row->addWidget(m_keyKnobGroup, 3);

    row->addSpacing(MIDDLE_ROW_SPACING);

    // Display and command column get fixed widths from the panel fit; the panel's group
    // takes what is left.
    m_commandColumn = new CommandColumn(this);
    row->addWidget(m_commandColumn->displayFrame(), 0);
    row->addSpacing(MIDDLE_ROW_SPACING);
    row->addWidget(m_commandColumn->column(), 0);
    return row;
}

QWidget *Widget::buildKeyMatrix()
{
    auto *matrix = new QWidget(m_panelFrame);
    matrix->setObjectName(QStringLiteral("keyMatrix"));
    matrix->setAttribute(Qt::WA_TranslucentBackground, true);
    matrix->setStyleSheet(QStringLiteral("background: transparent;"));
    auto *grid = new QGridLayout(matrix);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(KEY_MATRIX_SPACING);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    for (int k = 0; k < PHYSICAL_KEY_COUNT; ++k) {
        // The holder leaves room for the key's hover growth, so a hovered key never
        // pushes its neighbours.
        auto *holder = new QWidget(matrix);
        holder->setObjectName(QStringLiteral("keyHolder%1").arg(k + 1));
        holder->setAttribute(Qt::WA_TranslucentBackground, true);
        holder->setFixedSize(KEY_BASE_SIZE + 4, KEY_BASE_SIZE + 4);

        auto *key = new KeyButton(QString(), holder);
        key->setBaseSize(KEY_BASE_SIZE);
        key->move(2, 2);
        // Hover, selection and LED colour change the fill: the number keeps reading on it.
        connect(key, &KeyButton::fillChanged, this, &Widget::updateKeyNumberColors);

        auto *label = new QLabel(QString::number(k + 1), holder);
        label->setObjectName(QStringLiteral("KeyNumLabel"));
        label->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(2 + KEY_NUM_LABEL_POS_X, 2 + KEY_NUM_LABEL_POS_Y, KEY_NUM_LABEL_SIZE,
                           KEY_NUM_LABEL_SIZE);
        label->setStyleSheet(QStringLiteral("QLabel#KeyNumLabel { color: #00FF00; font-weight: bold;"
                                            " font-size: %1px; background: transparent; }")
                                 .arg(KEY_NUM_LABEL_FONT_SIZE));
        // The size the number colour rule restyles with until the first scaling pass sets it.
        label->setProperty("numberFontPx", KEY_NUM_LABEL_FONT_SIZE);
        label->raise();

        grid->addWidget(holder, k / 4, k % 4);
        m_keyHolders.append(holder);
        m_keyButtons.append(key);
        m_keyNumberLabels.append(label);
        m_buttonSlots[k] = key;
    }
    return matrix;
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
