// The separate LEDs of the knob-only keypad: a column of LED buttons beside the panel that
// show the current layer's colours and, on the RGB LED page, choose which LED the colour
// picker edits.
#include "app/standaloneledlayout.h"
#include "app/widget.h"

#include "app/functionpages.h"

#include "controls/contrast.h"

#include "controls/rgbcolorpickerwidget.h"
#include "pages/rgbledpage.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>
#include <QVariant>

#include <cmath>
#include <functional>

namespace {

int nearest(double v)
{
    return int(std::lround(v));
}

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

StandaloneLedLayoutConfig Widget::standaloneLedLayoutConfig() const
{
    return StandaloneLedLayoutConfig::forLayout(m_currentLayout.name);
}

bool Widget::hasStandaloneLedLayout() const
{
    const StandaloneLedLayoutConfig c = standaloneLedLayoutConfig();
    return c.enabled && !c.leds.isEmpty();
}

bool Widget::standaloneLedsSelectable() const
{
    return !standaloneLedLayoutConfig().selectOnlyOnRgbPage || isRgbLedPageActive();
}

void Widget::ensureStandaloneLedWidgets()
{
    const StandaloneLedLayoutConfig c = standaloneLedLayoutConfig();
    if (!c.enabled || !m_keyKnobGroup)
        return;
    if (!m_standaloneLedContainer) {
        m_standaloneLedContainer = new QWidget(m_keyKnobGroup);
        m_standaloneLedContainer->setObjectName(QStringLiteral("standaloneLedContainer"));
        m_standaloneLedContainer->setStyleSheet(QStringLiteral("background: transparent;"));
        m_standaloneLedContainer->setAttribute(Qt::WA_TranslucentBackground);
        m_standaloneLedContainer->setAttribute(Qt::WA_NoSystemBackground);
        m_standaloneLedContainer->hide();
        if (m_panelFrame)
            m_panelFrame->installEventFilter(new FrameFollower(m_standaloneLedContainer, [this] {
                if (hasStandaloneLedLayout())
                    refreshStandaloneLedDisplay(-1);
            }));
    }
    if (!m_standaloneLedGroup) {
        m_standaloneLedGroup = new QButtonGroup(this);
        m_standaloneLedGroup->setExclusive(true);
        connect(m_standaloneLedGroup, &QButtonGroup::idClicked, this,
                &Widget::selectStandaloneLedIndex);
    }
    while (m_standaloneLedButtons.size() < c.leds.size()) {
        auto *button = new QPushButton(m_standaloneLedContainer);
        button->setCheckable(true);
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_standaloneLedButtons.append(button);
    }
}

void Widget::updateStandaloneLedGeometry(double scale)
{
    const StandaloneLedLayoutConfig c = standaloneLedLayoutConfig();
    if (!c.enabled || !m_keyKnobGroup || !m_panelFrame) {
        if (m_standaloneLedContainer)
            m_standaloneLedContainer->hide();
        return;
    }
    ensureStandaloneLedWidgets();
    // The frame's place comes from the panel's layouts; let them settle first.
    if (QLayout *l = m_keyKnobGroup->layout())
        l->activate();
    if (QLayout *l = m_panelFrame->layout())
        l->activate();

    const QPoint frameTopLeft = m_panelFrame->mapTo(m_keyKnobGroup, QPoint(0, 0));
    const QSize frameSize = m_panelFrame->size();
    if (!frameSize.isValid() || frameSize.isEmpty()) {
        m_standaloneLedContainer->hide();
        return;
    }
    m_standaloneLedContainer->setGeometry(
        frameTopLeft.x() + frameSize.width() + nearest(c.offset.x() * scale),
        frameTopLeft.y() + nearest(c.offset.y() * scale), qMax(1, nearest(c.size.width() * scale)),
        qMax(1, nearest(c.size.height() * scale)));
    m_standaloneLedContainer->setVisible(c.visibleOutsideRgbPage || isRgbLedPageActive());
    m_standaloneLedContainer->raise();

    for (int i = 0; i < m_standaloneLedButtons.size(); ++i) {
        QPushButton *button = m_standaloneLedButtons.at(i);
        if (i >= c.leds.size()) {
            m_standaloneLedGroup->removeButton(button);
            button->hide();
            continue;
        }
        const StandaloneLedItem &item = c.leds.at(i);
        if (button->parentWidget() != m_standaloneLedContainer)
            button->setParent(m_standaloneLedContainer);
        button->setGeometry(nearest(item.rect.left() * scale), nearest(item.rect.top() * scale),
                            qMax(1, nearest(item.rect.width() * scale)),
                            qMax(1, nearest(item.rect.height() * scale)));
        button->setText(item.name);
        button->setProperty("ledIndex", item.ledIndex);
        button->show();
        if (m_standaloneLedGroup->buttons().contains(button))
            m_standaloneLedGroup->setId(button, item.ledIndex);
        else
            m_standaloneLedGroup->addButton(button, item.ledIndex);
    }
}

void Widget::refreshStandaloneLedDisplay(double scale)
{
    const StandaloneLedLayoutConfig c = standaloneLedLayoutConfig();
    if (!c.enabled || c.leds.isEmpty()) {
        if (m_standaloneLedContainer)
            m_standaloneLedContainer->hide();
        return;
    }
    if (scale <= 0)
        scale = m_panelScale > 0 ? m_panelScale : 1.0;
    updateStandaloneLedGeometry(scale);
    if (!m_standaloneLedContainer || m_standaloneLedContainer->isHidden())
        return;

    const bool selectable = standaloneLedsSelectable();
    if (selectable) {
        bool known = false;
        for (const StandaloneLedItem &item : c.leds)
            known = known || item.ledIndex == m_selectedStandaloneLed;
        if (!known)
            m_selectedStandaloneLed = c.leds.first().ledIndex;
    }

    // An exclusive group keeps one button checked; lift it to show none outside the page.
    m_standaloneLedGroup->setExclusive(false);
    for (int i = 0; i < c.leds.size() && i < m_standaloneLedButtons.size(); ++i) {
        const StandaloneLedItem &item = c.leds.at(i);
        QPushButton *button = m_standaloneLedButtons.at(i);
        const QColor color = item.ledIndex > 15 ? QColor(255, 255, 0) : ledColorOf(item.ledIndex);
        // White where it reads (4.5:1), else near-black (black itself in the narrow band of
        // mid colours where neither quite does).
        const QColor white(255, 255, 255);
        const QColor text = Contrast::ratio(white, color) >= Contrast::TEXT
                                ? white
                                : Contrast::readableOn(QColor(24, 24, 24), color);
        const int border = qMax(1, c.borderWidth);
        button->setText(item.name);
        button->setChecked(selectable && item.ledIndex == m_selectedStandaloneLed);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background-color:%1; color:%2; border:%3px solid %4;"
                           " border-radius:%5px; font-size:%6px; font-weight:bold; }"
                           "QPushButton:checked { border:%7px solid %8; }")
                .arg(color.name(), text.name())
                .arg(border)
                .arg(c.borderColor.name())
                .arg(qMax(4, nearest(c.cornerRadius * scale)))
                .arg(qMax(8, nearest(c.fontSize * scale)))
                .arg(qMax(border + 1, c.checkedBorderWidth))
                .arg(c.checkedBorderColor.name()));
        button->setCursor(selectable ? Qt::PointingHandCursor : Qt::ArrowCursor);
        button->setAttribute(Qt::WA_TransparentForMouseEvents, !selectable);
        button->show();
    }
    m_standaloneLedGroup->setExclusive(true);

    if (RgbLedPage *page = m_pages->builtRgbLedPage(); selectable && page && page->colorPicker())
        page->colorPicker()->setColor(ledColorOf(m_selectedStandaloneLed));
}

void Widget::selectStandaloneLedIndex(int ledIndex)
{
    const StandaloneLedLayoutConfig c = standaloneLedLayoutConfig();
    if (!c.enabled || c.leds.isEmpty())
        return;
    if (standaloneLedsSelectable()) {
        bool known = false;
        for (const StandaloneLedItem &item : c.leds)
            known = known || item.ledIndex == ledIndex;
        m_selectedStandaloneLed = known ? ledIndex : c.leds.first().ledIndex;
        if (RgbLedPage *page = m_pages->builtRgbLedPage(); page && page->colorPicker())
            page->colorPicker()->setColor(ledColorOf(m_selectedStandaloneLed));
    }
    refreshStandaloneLedDisplay(-1);
}
