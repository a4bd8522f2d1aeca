// The separate LEDs beside the panel: their buttons, placement, colours and which one the
// colour picker edits.
#include "app/standaloneledcolumn.h"

#include "app/standaloneledlayout.h"
#include "controls/contrast.h"
#include "model/physicallayout.h"

#include <QButtonGroup>
#include <QEvent>
#include <QLayout>
#include <QPushButton>
#include <QVariant>
#include <QWidget>

namespace {

// The LED column sits outside the panel's layouts, so it does not move with the panel frame
// by itself (window resizes and late layout passes shift the frame). This watches the frame
// and asks for one re-placement per event-loop turn.
class FrameFollower : public QObject
{
public:
    FrameFollower(QObject *parent, std::function<void()> follow)
        : QObject(parent)
        , m_follow(std::move(follow))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if ((t == QEvent::Move || t == QEvent::Resize || t == QEvent::Show) && !m_pending) {
            m_pending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_pending = false;
                    m_follow();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_follow;
    bool m_pending = false;
};

} // namespace

StandaloneLedColumn::StandaloneLedColumn(QWidget *panelGroup, QWidget *panelFrame, QObject *parent)
    : QObject(parent)
    , m_panelGroup(panelGroup)
    , m_panelFrame(panelFrame)
{
}

void StandaloneLedColumn::setColorSource(std::function<QColor(int)> colorOf)
{
    m_colorOf = std::move(colorOf);
}

bool StandaloneLedColumn::selectable(const StandaloneLedLayoutConfig &c, bool onLightingPage)
{
    return !c.selectOnlyOnRgbPage || onLightingPage;
}

void StandaloneLedColumn::ensureWidgets(const StandaloneLedLayoutConfig &c)
{
    if (!c.enabled || !m_panelGroup)
        return;
    if (!m_container) {
        m_container = new QWidget(m_panelGroup);
        m_container->setObjectName(QStringLiteral("standaloneLedContainer"));
        m_container->setStyleSheet(QStringLiteral("background: transparent;"));
        m_container->setAttribute(Qt::WA_TranslucentBackground);
        m_container->setAttribute(Qt::WA_NoSystemBackground);
        m_container->hide();
        if (m_panelFrame)
            m_panelFrame->installEventFilter(new FrameFollower(m_container, [this] { emit frameMoved(); }));
    }
    if (!m_group) {
        m_group = new QButtonGroup(this);
        m_group->setExclusive(true);
        connect(m_group, &QButtonGroup::idClicked, this, &StandaloneLedColumn::ledChosen);
    }
    while (m_buttons.size() < c.leds.size()) {
        auto *button = new QPushButton(m_container);
        button->setCheckable(true);
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_buttons.append(button);
    }
}

void StandaloneLedColumn::updateGeometry(const StandaloneLedLayoutConfig &c, double scale,
                                         bool onLightingPage)
{
    if (!c.enabled || !m_panelGroup || !m_panelFrame) {
        if (m_container)
            m_container->hide();
        return;
    }
    ensureWidgets(c);
    // The frame's place comes from the panel's layouts; let them settle first.
    if (QLayout *l = m_panelGroup->layout())
        l->activate();
    if (QLayout *l = m_panelFrame->layout())
        l->activate();

    const QPoint frameTopLeft = m_panelFrame->mapTo(m_panelGroup, QPoint(0, 0));
    const QSize frameSize = m_panelFrame->size();
    if (!frameSize.isValid() || frameSize.isEmpty()) {
        m_container->hide();
        return;
    }
    m_container->setGeometry(frameTopLeft.x() + frameSize.width() + nearestPx(c.offset.x() * scale),
                             frameTopLeft.y() + nearestPx(c.offset.y() * scale),
                             qMax(1, nearestPx(c.size.width() * scale)),
                             qMax(1, nearestPx(c.size.height() * scale)));
    m_container->setVisible(c.visibleOutsideRgbPage || onLightingPage);
    m_container->raise();

    for (int i = 0; i < m_buttons.size(); ++i) {
        QPushButton *button = m_buttons.at(i);
        if (i >= c.leds.size()) {
            m_group->removeButton(button);
            button->hide();
            continue;
        }
        const StandaloneLedItem &item = c.leds.at(i);
        if (button->parentWidget() != m_container)
            button->setParent(m_container);
        button->setGeometry(nearestPx(item.rect.left() * scale), nearestPx(item.rect.top() * scale),
                            qMax(1, nearestPx(item.rect.width() * scale)),
                            qMax(1, nearestPx(item.rect.height() * scale)));
        button->setText(item.name);
        button->setProperty("ledIndex", item.ledIndex);
        button->show();
        if (m_group->buttons().contains(button))
            m_group->setId(button, item.ledIndex);
        else
            m_group->addButton(button, item.ledIndex);
    }
}

bool StandaloneLedColumn::select(const StandaloneLedLayoutConfig &c, int ledIndex, bool onLightingPage)
{
    if (!c.enabled || c.leds.isEmpty() || !selectable(c, onLightingPage))
        return false;
    bool known = false;
    for (const StandaloneLedItem &item : c.leds)
        known = known || item.ledIndex == ledIndex;
    m_selected = known ? ledIndex : c.leds.first().ledIndex;
    return true;
}

bool StandaloneLedColumn::refresh(const StandaloneLedLayoutConfig &c, double scale, bool onLightingPage)
{
    if (!c.enabled || c.leds.isEmpty()) {
        if (m_container)
            m_container->hide();
        return false;
    }
    updateGeometry(c, scale, onLightingPage);
    if (!m_container || m_container->isHidden())
        return false;

    const bool canChoose = selectable(c, onLightingPage);
    if (canChoose) {
        bool known = false;
        for (const StandaloneLedItem &item : c.leds)
            known = known || item.ledIndex == m_selected;
        if (!known)
            m_selected = c.leds.first().ledIndex;
    }

    // An exclusive group keeps one button checked; lift it to show none outside the page.
    m_group->setExclusive(false);
    for (int i = 0; i < c.leds.size() && i < m_buttons.size(); ++i) {
        const StandaloneLedItem &item = c.leds.at(i);
        QPushButton *button = m_buttons.at(i);
        const QColor color = item.ledIndex > 15 || !m_colorOf ? QColor(255, 255, 0) : m_colorOf(item.ledIndex);
        // White where it reads (4.5:1), else near-black (black itself in the narrow band of
        // mid colours where neither quite does).
        const QColor white(255, 255, 255);
        const QColor text = Contrast::ratio(white, color) >= Contrast::TEXT
                                ? white
                                : Contrast::readableOn(QColor(24, 24, 24), color);
        const int border = qMax(1, c.borderWidth);
        button->setText(item.name);
        button->setChecked(canChoose && item.ledIndex == m_selected);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background-color:%1; color:%2; border:%3px solid %4;"
                           " border-radius:%5px; font-size:%6px; font-weight:bold; }"
                           "QPushButton:checked { border:%7px solid %8; }")
                .arg(color.name(), text.name())
                .arg(border)
                .arg(c.borderColor.name())
                .arg(qMax(4, nearestPx(c.cornerRadius * scale)))
                .arg(qMax(8, nearestPx(c.fontSize * scale)))
                .arg(qMax(border + 1, c.checkedBorderWidth))
                .arg(c.checkedBorderColor.name()));
        button->setCursor(canChoose ? Qt::PointingHandCursor : Qt::ArrowCursor);
        button->setAttribute(Qt::WA_TransparentForMouseEvents, !canChoose);
        button->show();
    }
    m_group->setExclusive(true);
    return canChoose;
}
