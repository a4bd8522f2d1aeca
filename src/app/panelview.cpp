// The panel's widgets, the preset's buttons on their slots, and the highlight.
#include "app/panelview.h"

#include "app/panelnavigator.h"

#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "model/logcategories.h"

#include <QBoxLayout>
#include <QDebug>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
const QString kLayout16K3E = QStringLiteral("Layout_16K_3E_P0_S0");
const QString kLayout1K0E = QStringLiteral("Layout_1K_0E_P0_S0");
} // namespace

PanelView::PanelView(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    m_buttonSlots.fill(nullptr, TOTAL_BUTTON_COUNT);
    m_content.key = [](int) -> const KeyData * { return nullptr; };
    m_content.caption = [](int, bool) { return QString(); };
    m_content.ledColor = [](int) { return QColor(255, 255, 0); };
    m_content.text = [](const QString &english) { return english; };

    m_group = new QGroupBox(window);
    m_group->setObjectName(QStringLiteral("keyKnobGroup"));
    m_groupLayout = new QHBoxLayout(m_group);
    m_groupLayout->setSpacing(0);
    m_groupLayout->setContentsMargins(20, 0, 20, 20);
    m_groupLayout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_frame = new QFrame(m_group);
    m_frame->setObjectName(QStringLiteral("physicalPanelFrame"));
    m_frame->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_frameLayout = new QBoxLayout(QBoxLayout::LeftToRight, m_frame);
    m_frameLayout->setContentsMargins(26, 18, 26, 18);
    m_frameLayout->setSpacing(28);
    m_frameLayout->setSizeConstraint(QLayout::SetFixedSize);

    m_keyMatrix = buildKeyMatrix();
    m_knobContainer = new QWidget(m_frame);
    m_knobContainer->setObjectName(QStringLiteral("knobContainer"));
    m_knobContainer->setAttribute(Qt::WA_TranslucentBackground, true);
    m_knobContainer->setStyleSheet(QStringLiteral("background: transparent;"));
    m_frameLayout->addWidget(m_keyMatrix, 0, Qt::AlignTop);
    m_frameLayout->addWidget(m_knobContainer, 0, Qt::AlignTop);

    m_groupLayout->addStretch(1);
    m_groupLayout->addWidget(m_frame, 0, Qt::AlignTop);
    m_groupLayout->addStretch(1);
}

void PanelView::setContent(Content content)
{
    m_content = std::move(content);
}

QWidget *PanelView::buildKeyMatrix()
{
    auto *matrix = new QWidget(m_frame);
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
        connect(key, &KeyButton::fillChanged, this, &PanelView::updateKeyNumberColors);
        // Every key of the matrix, used by this preset or not: a later preset may show it.
        connect(key, &QPushButton::clicked, this, [this, key] { takeClick(key); });
        connect(key, &KeyButton::forwardedClick, this, [this](int buttonIndex) {
            if (QPushButton *button = buttonAt(buttonIndex))
                takeClick(button);
        });

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

KnobButton *PanelView::takeKnobButton(QVector<KnobButton *> &pool, int index, const QString &imagePath)
{
    while (pool.size() <= index) {
        auto *b = new KnobButton(imagePath, QString(), m_knobContainer);
        b->setSetState(false);
        connect(b, &QPushButton::clicked, this, [this, b] { takeClick(b); });
        if (m_navigator) // a knob the start-up panel did not have answers the arrows too
            watchArrowKeysOn(b);
        pool.append(b);
    }
    return pool.at(index);
}

void PanelView::applyLayout(const PhysicalLayoutConfig &config)
{
    m_layout = config;
    const PhysicalLayoutConfig &c = m_layout;

    arrangePanelFrame();

    // Every button starts plain; the highlight follows the model's selection again.
    for (KeyButton *k : qAsConst(m_keyButtons)) {
        k->setEnabled(true);
        k->setChecked(false);
    }
    for (KnobButton *k : qAsConst(m_knobPool)) {
        k->setEnabled(true);
        k->setChecked(false);
        k->hide();
    }
    for (KnobButton *k : qAsConst(m_turnOnlyButtons)) {
        k->setEnabled(true);
        k->setChecked(false);
        k->hide();
    }
    m_highlighted = nullptr;
    for (auto &knob : m_knobPointers)
        knob[0] = knob[1] = knob[2] = nullptr;

    // Fill the slots: keys first, then every knob action at its data index.
    m_buttonSlots.fill(nullptr, TOTAL_BUTTON_COUNT);
    for (int k = 0; k < m_keyButtons.size(); ++k) {
        const bool used = k < c.keyCount;
        m_keyHolders[k]->setVisible(used);
        if (used)
            m_buttonSlots[k] = m_keyButtons[k];
    }

    const QString images[3] = {KnobButton::leftImagePath(), KnobButton::rightImagePath(),
                               KnobButton::pressImagePath()};
    for (int j = 0; j < c.knobs.size(); ++j) {
        const KnobDescriptor &d = c.knobs.at(j);
        KnobButton *actions[3] = {};
        for (int a = 0; a < 3; ++a) {
            KnobButton *b = takeKnobButton(m_knobPool, 3 * j + a, images[a]);
            b->setSetState(false);
            b->show();
            actions[a] = b;
            const int slot = d.firstIndex + a;
            if (slot >= 0 && slot < TOTAL_BUTTON_COUNT)
                m_buttonSlots[slot] = b;
        }
        assignKnobPointers(d.firstIndex, actions[0], actions[1], actions[2]);
    }

    // Turn-only knobs: left, right, left, right on the data indices after the keys.
    for (int t = 0; t < 2 * c.turnOnlyKnobCount; ++t) {
        const QString image = (t % 2 == 0) ? KnobButton::pressLeftImagePath()
                                           : KnobButton::pressRightImagePath();
        KnobButton *b = takeKnobButton(m_turnOnlyButtons, t, image);
        b->setSetState(false);
        b->show();
        const int slot = c.keyCount + t;
        if (slot < TOTAL_BUTTON_COUNT)
            m_buttonSlots[slot] = b;
    }
    if (c.turnOnlyKnobCount > 0 && m_turnOnlyButtons.size() >= 2)
        assignKnobPointers(c.keyCount, m_turnOnlyButtons[0], m_turnOnlyButtons[1], nullptr);

    for (int i = 0; i < TOTAL_BUTTON_COUNT; ++i)
        if (m_buttonSlots[i])
            m_buttonSlots[i]->setProperty("buttonIndex", i);
    m_applied.clear(); // a new preset: lay the panel out even at an unchanged scale
}

void PanelView::updateSlotMap(bool legacy, const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo)
{
    if (legacy)
        m_slotMap = SlotMap::forLegacy(legacyInfo, m_layout);
    else if (info.valid)
        m_slotMap = SlotMap::forCurrent(info, m_layout);
    else
        m_slotMap = SlotMap::forLayout(m_layout);
}

void PanelView::markAbsentButtons()
{
    // A button for a slot the keypad cannot keep stays in the picture (the housing has the
    // hole) but offers nothing: it cannot be selected, reached by the arrows or given a
    // function that a save would silently drop.
    for (int i = 0; i < TOTAL_BUTTON_COUNT; ++i) {
        QPushButton *b = m_buttonSlots.at(i);
        if (!b)
            continue;
        const bool absent = m_slotMap.buttonAbsent(i);
        if (b->property("absent").toBool() == absent && b->isEnabled() == !absent)
            continue;
        b->setProperty("absent", absent);
        b->setEnabled(!absent);
        if (absent)
            b->setChecked(false);
    }
}

QPushButton *PanelView::buttonAt(int buttonIndex) const
{
    if (buttonIndex < 0 || buttonIndex >= m_buttonSlots.size())
        return nullptr;
    return m_buttonSlots.at(buttonIndex);
}

QVector<QPushButton *> PanelView::allButtons() const
{
    QVector<QPushButton *> all;
    for (KeyButton *k : qAsConst(m_keyButtons))
        all.append(k);
    for (KnobButton *k : qAsConst(m_knobPool))
        all.append(k);
    for (KnobButton *k : qAsConst(m_turnOnlyButtons))
        all.append(k);
    return all;
}

void PanelView::assignKnobPointers(int firstIndex, KnobButton *left, KnobButton *right,
                                   KnobButton *press)
{
    int knob = -1;
    if (firstIndex == 5 || firstIndex == 6 || firstIndex == 16)
        knob = 0;
    else if (firstIndex == 19)
        knob = 1;
    else if (firstIndex == 22)
        knob = 2;
    if (knob < 0)
        return;
    m_knobPointers[knob][0] = left;
    m_knobPointers[knob][1] = right;
    m_knobPointers[knob][2] = press;
}

KnobButton *PanelView::knobPointer(int knob, int action) const
{
    if (knob < 0 || knob > 2 || action < 0 || action > 2)
        return nullptr;
    return m_knobPointers[knob][action];
}

void PanelView::logLayout() const
{
    if (m_layout.name == kLayout16K3E)
        logButtonMap();
    if (m_layout.name == kLayout1K0E)
        qCDebug(lcLayout) << "[UI][1+0]"
                          << "keyMatrixVisible" << !m_keyMatrix->isHidden() << "keyMatrixSize"
                          << m_keyMatrix->size() << "panelFrameSize" << m_frame->size();
}

void PanelView::logButtonMap() const
{
    qCDebug(lcLayout) << "[UI][layout]" << m_layout.name << "button map:";
    for (int i = 0; i < TOTAL_BUTTON_COUNT; ++i) {
        QPushButton *b = m_buttonSlots.at(i);
        qCDebug(lcLayout).nospace() << "  slot" << i << " ptr=" << static_cast<const void *>(b)
                                    << " type=" << (b ? b->metaObject()->className() : "none")
                                    << " prop=" << (b ? b->property("buttonIndex").toInt() : -1)
                                    << " text=" << (b ? b->text() : QString());
    }
}

void PanelView::checkOnly(QPushButton *button)
{
    for (QPushButton *slot : qAsConst(m_buttonSlots))
        if (slot && slot != button && slot->isChecked())
            slot->setChecked(false);
    if (button && !button->isChecked())
        button->setChecked(true);
    m_highlighted = button;
}

void PanelView::select(QPushButton *button)
{
    if (m_highlighted && m_highlighted != button)
        m_highlighted->setChecked(false);
    checkOnly(button);
}

void PanelView::clearHighlight()
{
    if (m_highlighted)
        m_highlighted->setChecked(false);
    m_highlighted = nullptr;
}

void PanelView::watchArrowKeys()
{
    m_navigator = new PanelNavigator(
        [this] {
            QVector<QWidget *> shown;
            for (QPushButton *b : qAsConst(m_buttonSlots))
                if (b && b->isVisible() && b->isEnabled())
                    shown.append(b);
            return shown;
        },
        [this](QWidget *w) {
            auto *b = static_cast<QPushButton *>(w);
            emit buttonChosen(b->property("buttonIndex").toInt());
            b->setFocus(Qt::TabFocusReason);
        },
        this);
    const QVector<QPushButton *> buttons = allButtons();
    for (QPushButton *b : buttons)
        watchArrowKeysOn(b);
}

void PanelView::watchArrowKeysOn(QPushButton *button)
{
    button->setFocusPolicy(Qt::StrongFocus);
    m_navigator->watch(button);
}

void PanelView::takeClick(QPushButton *button)
{
    const int b = button->property("buttonIndex").toInt();
    qCDebug(lcWindow) << "[UI][click]"
                      << "sender" << static_cast<const void *>(button) << "type"
                      << button->metaObject()->className() << "prop" << b << "text" << button->text()
                      << "layout" << m_layout.name;
    emit buttonChosen(b);
}
