// Construction of the main window. The steps run in a fixed order: each relies on the ones
// before it (the settings decide the language before any text is set, the panel exists
// before a preset is applied, the texts are translated once everything is built).
#include "app/widget.h"

#include "app/appconfig.h"
#include "app/qttranslations.h"
#include "app/startupsettings.h"
#include "device/hidmanager.h"
#include "session/closeguard.h"
#include "i18n/uitext.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

Widget::Widget(QWidget *parent)
    : QWidget(parent)
{
    construct(StartupSettings::resolve());
}

Widget::Widget(const AppConfig &config, QWidget *parent)
    : QWidget(parent)
{
    construct(StartupSettings::fromConfig(config));
}

Widget::Widget(const StartupSettings &settings, QWidget *parent)
    : QWidget(parent)
{
    construct(settings);
}

Widget::~Widget()
{
    // The model is a member, so it would die before the child widgets (pages hold pointers
    // to it). Stop its signals and take the children down first, while it still exists.
    m_keyboardData.disconnect();
    const auto children = findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *child : children)
        delete child;
}

void Widget::construct(const StartupSettings &config)
{
    // 1. Members, the window scaler and the model.
    initWindowScaler();
    m_session = new KeypadSession(HIDManager::instance(), this);
    m_session->setModel(&m_keyboardData);
    m_session->setSlotMapSource([this] { return slotMap(); });
    connect(m_session, &KeypadSession::kindChanged, this, &Widget::onKindChanged);
    m_closeGuard = new CloseGuard(m_session, this);
    connect(m_closeGuard, &CloseGuard::closeApproved, this, &Widget::close);
    connect(m_closeGuard, &CloseGuard::closeRefused, this, &Widget::refuseCloseAfterSave);

    // 2. Settings.
    m_chinese = config.chinese();
    UiText::setLanguage(m_chinese ? UiText::Language::Chinese : UiText::Language::English);
    QtTranslations::apply(m_chinese);

    // 3. Initial size.
    const QScreen *screen = QGuiApplication::primaryScreen();
    resize(screen ? initialWindowSize(screen->availableGeometry().size())
                  : QSize(DESIGN_WIDTH, DESIGN_HEIGHT));
    setMinimumSize(MIN_WINDOW_WIDTH, MIN_WINDOW_HEIGHT);

    // 4. Widgets, scalable parameters, layer buttons.
    initUI();
    m_commandColumn->updateDisplayWidth(width());
    initLayerSwitchLogic();
    // The settings' layer count, once there are buttons to offer (else three).
    if (config.hasLayerCount()) {
        m_layerBar->setStartupCount(config.layerCount());
        setForcedLayerDisplayCount(config.layerCount());
    }

    // 5. The panel before any device is known.
    applyPhysicalLayout(layoutForStartupPreset());

    // 6. Layer buttons.
    qCDebug(lcLayers).nospace() << "[Layer] ctor startup forced count=" << forcedLayerDisplayCount()
                                << " effective=" << effectiveLayerDisplayCount();
    updateLayerButtonsVisibility();

    // 7. Clicks and texts.
    initButtonClickLogic();
    updateLanguageTexts();

    // 8. Connections.
    connect(&m_keyboardData, &KeyboardData::keyButtonTextChanged, this,
            &Widget::onKeyButtonTextChanged);
    connect(&m_keyboardData, &KeyboardData::keyFullTextChanged, this,
            &Widget::onKeyFullTextChanged);
    connect(&m_keyboardData, &KeyboardData::selectedKeyChanged, this,
            &Widget::onSelectedKeyChanged);
    connect(&m_keyboardData, &KeyboardData::error, this, &Widget::showError);
    connect(&m_keyboardData, &KeyboardData::contentReplaced, this, &Widget::refreshViewsFromModel);
    connect(m_commandColumn, &CommandColumn::clearClicked, this, &Widget::onClearSelectedClicked);
    connect(m_commandColumn, &CommandColumn::clearAllClicked, this, &Widget::onClearAllClicked);
    connect(m_commandColumn, &CommandColumn::saveClicked, this, &Widget::onSaveSettingsClicked);
    connect(m_commandColumn, &CommandColumn::viewClicked, this, &Widget::onViewSettingsClicked);
    initEditing();

    // 9. No device yet.
    statusLabel()->setText(uiText(QStringLiteral("Connect the device with a usb cable")));
    statusLabel()->setStyleSheet(QStringLiteral("color: #FF0000;"));
    saveSettingsButton()->setEnabled(false);
    viewSettingsButton()->setEnabled(false);

    // 10. Device monitoring.
    updateLayerButtonsVisibility();
    initKeypadChooser();
    initHIDCommunication();
    connectDeviceAccessStatus();
}

QSize Widget::initialWindowSize(const QSize &available)
{
    const int maxW = qMax(MIN_WINDOW_WIDTH, available.width() - 24);
    const int maxH = qMax(MIN_WINDOW_HEIGHT, available.height() - 24);
    return QSize(qMin(DESIGN_WIDTH, maxW), qMin(DESIGN_HEIGHT, maxH));
}

QString Widget::uiText(const QString &text) const
{
    return UiText::text(text, m_chinese ? UiText::Language::Chinese : UiText::Language::English);
}

void Widget::showError(const QString &msg)
{
    qCDebug(lcWindow) << "Error:" << msg;
}

