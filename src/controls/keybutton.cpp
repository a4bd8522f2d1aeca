#include "controls/keybutton.h"

#include "controls/contrast.h"
#include "controls/focusring.h"
#include "controls/keycaption.h"
#include "controls/unsavedmark.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QEvent>
#include <QMetaObject>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QVariant>

#include <algorithm>

namespace {
// Hovered keys grow by this many pixels so the key under the mouse stands out.
constexpr int HOVER_GROWTH = 4;
// A hovered key is lit a little: on the grey key, white text keeps 4.5:1 against it (at
// 120 % it would not).
constexpr int HOVER_LIGHTER = 115;
const QColor kKeyGrey(100, 100, 100);
const QColor kNumberGreen(0, 255, 0);
const QColor kSelectedGold(255, 215, 0);
}

KeyButton::KeyButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    setCheckable(true);
    setFlat(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFixedSize(m_size, m_size);
    setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    installEventFilter(this);
    connect(this, &QPushButton::toggled, this, &KeyButton::fillChanged);
}

KeyButton::~KeyButton() = default;

void KeyButton::setBaseSize(int baseSize)
{
    if (baseSize == m_baseSize)
        return;
    m_baseSize = baseSize;
    updateButtonSize();
}

void KeyButton::setScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    updateButtonSize();
}

void KeyButton::setFontBaseSize(int pointSize)
{
    if (pointSize == m_fontBaseSize)
        return;
    m_fontBaseSize = pointSize;
    update();
}

void KeyButton::setCornerRadius(int radius)
{
    radius = std::max(radius, 0);
    if (radius == m_cornerRadius)
        return;
    m_cornerRadius = radius;
    update();
}

void KeyButton::setCaptionTopInset(int pixels)
{
    pixels = std::max(pixels, 0);
    if (pixels == m_captionTopInset)
        return;
    m_captionTopInset = pixels;
    update();
}

void KeyButton::setAssigned(bool assigned)
{
    if (assigned == m_assigned)
        return;
    m_assigned = assigned;
    update();
}

void KeyButton::setCustomColor(const QColor& color)
{
    if (m_hasCustomColor && color == m_customColor)
        return;
    m_customColor = color;
    m_hasCustomColor = true;
    update();
    emit fillChanged();
}

void KeyButton::clearCustomColor()
{
    if (!m_hasCustomColor)
        return;
    m_hasCustomColor = false;
    m_customColor = QColor();
    update();
    emit fillChanged();
}

const KeyCaption::Fitted &KeyButton::caption() const
{
    // Laid out against the unhovered side, so the caption does not jump while hovering.
    QFont base = font();
    base.setBold(true);
    base.setPointSize(std::max(1, KeyCaption::roundHalfAway(m_fontBaseSize * m_scale)));
    const int minimumPx = KeyCaption::minimumPixelSize(m_scale);
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(m_size * 1000 + m_captionTopInset)
                            .arg(base.pointSize())
                            .arg(minimumPx)
                            .arg(base.family(), text());
    if (key != m_captionKey) {
        m_captionKey = key;
        const QRect box = captionRect(QRect(0, 0, m_size, m_size));
        m_caption = KeyCaption::fit(text(), box.size(), base, minimumPx);
    }
    return m_caption;
}

QRect KeyButton::captionRect(const QRect &cap) const
{
    QRect box = KeyCaption::captionBox(cap);
    box.setTop(std::max(box.top(), cap.top() + m_captionTopInset));
    return box;
}

QString KeyButton::displayedText() const
{
    return caption().lines.join(QLatin1Char('\n'));
}

QFont KeyButton::captionFont() const
{
    return caption().font;
}

QColor KeyButton::fillColor() const
{
    const QColor base = m_hasCustomColor ? m_customColor : kKeyGrey;
    if (isChecked())
        return base.lighter(110);
    if (m_hovered)
        return base.lighter(HOVER_LIGHTER);
    return base;
}

QColor KeyButton::numberColor() const
{
    return Contrast::readableOn(kNumberGreen, fillColor());
}

QColor KeyButton::captionColor() const
{
    QColor preferred(150, 150, 150);
    if (isChecked())
        preferred = kSelectedGold;
    else if (m_assigned)
        preferred = Qt::white;
    return Contrast::readableOn(preferred, fillColor());
}

void KeyButton::updateButtonSize()
{
    m_size = KeyCaption::roundHalfAway(m_baseSize * m_scale);
    const int side = m_hovered ? m_size + HOVER_GROWTH : m_size;
    setFixedSize(side, side);
    update();
}

void KeyButton::applySideLength(int side)
{
    setFixedSize(side, side);
    // Keep the key centred in its cell so it grows around its middle.
    if (QWidget* cell = parentWidget()) {
        move((cell->width() - side) / 2, (cell->height() - side) / 2);
        cell->update();
    }
    update();
}

bool KeyButton::eventFilter(QObject* watched, QEvent* event)
{
    // State changes made by the toolkit itself (check toggled by keyboard, enabling,
    // font or text changes) must show at once.
    if (watched == this) {
        switch (event->type()) {
        case QEvent::EnabledChange:
        case QEvent::FontChange:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::DynamicPropertyChange: // the focus ring came or went
            update();
            break;
        default:
            break;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

void KeyButton::mousePressEvent(QMouseEvent* event)
{
    qCDebug(lcPages) << "[UI][mousePress]" << "KeyButton" << this << "text" << text() << "enabled"
                     << isEnabled() << "visible" << isVisible() << "pos" << event->localPos().toPoint();
    QPushButton::mousePressEvent(event);
}

void KeyButton::mouseReleaseEvent(QMouseEvent* event)
{
    qCDebug(lcPages) << "[UI][mouseRelease]" << "KeyButton" << this << "text" << text() << "enabled"
                     << isEnabled() << "visible" << isVisible() << "pos" << event->localPos().toPoint();

    bool ok = false;
    const int index = property("buttonIndex").toInt(&ok);
    qCDebug(lcPages) << "[UI][mouseRelease-index]" << this << "buttonIndex" << (ok ? index : -1) << "text"
                     << text();

    // Buttons 6 to 8 sit where some panels put knob actions; the window resolves them
    // itself, so the click is forwarded instead of toggling this button.
    if (ok && index >= 6 && index <= 8 && isSignalConnected(QMetaMethod::fromSignal(&KeyButton::forwardedClick))) {
        // Leave the pressed look behind without emitting released/clicked.
        setDown(false);
        emit forwardedClick(index);
        event->accept();
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

void KeyButton::enterEvent(QEvent* event)
{
    m_hovered = true;
    applySideLength(m_size + HOVER_GROWTH);
    QPushButton::enterEvent(event);
    emit fillChanged();
}

void KeyButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    applySideLength(m_size);
    QPushButton::leaveEvent(event);
    emit fillChanged();
}

void KeyButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    const int w = width();
    const int h = height();
    const int m = std::min(w, h);

    const int r0 = m_hovered ? std::max(KeyCaption::roundHalfAway(0.15 * m), 12)
                             : std::max(KeyCaption::roundHalfAway(0.1 * m), 8);
    const int radius = std::min(std::max(m_cornerRadius, r0), m / 2);

    if (!isEnabled()) {
        // A key the keypad does not have: only its place in the housing, dashed.
        QPen outline(QColor(110, 110, 110), 1, Qt::DashLine);
        painter.setPen(outline);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), radius, radius);
        return;
    }

    const QColor fill = fillColor();

    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRect(0, 0, w, h), radius, radius);

    if (isChecked()) {
        QPen ring(QColor(255, 215, 0, 220));
        ring.setWidth(3);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        // Inside the keyboard focus ring while that is on the key, so both show.
        const int inset = property("keyboardFocusRing").toBool() ? 2 + FocusRing::WIDTH : 2;
        painter.drawRoundedRect(QRect(inset, inset, w - 2 * inset, h - 2 * inset), radius - 1, radius - 1);
    }

    // On a light LED colour white or gold text would vanish: the text takes the nearest
    // shade that reads on the fill (the ring still marks the selection).
    const QRect box = captionRect(QRect(0, 0, w, h));
    KeyCaption::draw(painter, box, caption(), captionColor(),
                     false, Contrast::readableOn(KeyCaption::arrowColor(), fill));
    if (m_unsaved)
        UnsavedMark::paint(painter, QRect(0, 0, w, h));
}

void KeyButton::setUnsaved(bool unsaved)
{
    if (m_unsaved == unsaved)
        return;
    m_unsaved = unsaved;
    update();
}
