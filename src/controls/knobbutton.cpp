#include "controls/knobbutton.h"

#include "controls/contrast.h"
#include "controls/focusring.h"
#include "controls/keycaption.h"
#include "controls/unsavedmark.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>

#include <algorithm>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initKnobResourcesImpl()
{
    Q_INIT_RESOURCE(knobs);
}

void initKnobResources()
{
    static const bool done = [] {
        initKnobResourcesImpl();
        return true;
    }();
    Q_UNUSED(done);
}

namespace {
// The panel frame the knob buttons are drawn on (the window's style sheet).
const QColor kPanelColor(0x3f, 0x3f, 0x3f);

QString knobImage(const char* fileName)
{
    return QStringLiteral(":/images/image/KN_") + QLatin1String(fileName);
}
} // namespace

QString KnobButton::leftImagePath() { return knobImage("LEFT114x97.png"); }
QString KnobButton::rightImagePath() { return knobImage("RIGHT114x97.png"); }
QString KnobButton::pressImagePath() { return knobImage("IN150x150.png"); }
QString KnobButton::pressLeftImagePath() { return knobImage("PressLEFT114x97.png"); }
QString KnobButton::pressRightImagePath() { return knobImage("PressRIGHT114x97.png"); }

KnobButton::KnobButton(const QString& imagePath, const QString& text, QWidget* parent)
    : QPushButton(text, parent)
    , m_imagePath(imagePath)
{
    setCheckable(true);
    setFlat(true);
    if (!m_imagePath.isEmpty()) {
        // A missing image is not fatal: the button still works and shows its caption.
        if (!m_image.load(m_imagePath))
            qCWarning(lcPages) << "Failed to load image:" << m_imagePath;
    }
    setFixedSize(m_size, m_size);
    setMouseTracking(true);
    updateScaledPixmap();
}

KnobButton::~KnobButton() = default;

void KnobButton::setScaledSize(int size)
{
    if (size < 1 || (size == m_size && m_captionBand == 0))
        return;
    m_size = size;
    m_captionBand = 0;
    setFixedSize(m_size, m_size);
    updateScaledPixmap();
    update();
}

void KnobButton::setCaptionBand(const QSize &widget, int band)
{
    band = std::max(0, std::min(band, widget.height() - 1));
    if (widget == size() && band == m_captionBand)
        return;
    m_captionBand = band;
    setFixedSize(widget);
    updateScaledPixmap();
    update();
}

QRect KnobButton::iconRect() const
{
    // Square, centred over the band.
    const int w = width();
    const int h = height() - m_captionBand;
    const int side = std::max(1, std::min(w, h));
    return QRect((w - side) / 2, (h - side) / 2, side, side);
}

QRect KnobButton::captionRect() const
{
    if (m_captionBand <= 0)
        return rect().adjusted(1, 1, -1, -1);
    return QRect(0, height() - m_captionBand, width(), m_captionBand);
}

void KnobButton::setTextBaseFontSize(int size)
{
    if (size < 2)
        size = 1;
    if (size == m_textBaseFontSize)
        return;
    m_textBaseFontSize = size;
    update();
}

void KnobButton::setCaptionMinimumPixelSize(int px)
{
    px = std::max(1, px);
    if (px == m_captionMinimumPx)
        return;
    m_captionMinimumPx = px;
    update();
}

void KnobButton::setSibling(KnobButton* sibling)
{
    if (sibling == m_sibling)
        return;
    m_sibling = sibling;
    update();
}

void KnobButton::setSetState(bool set)
{
    if (set == m_setState)
        return;
    m_setState = set;
    update();
}

void KnobButton::updateScaledPixmap()
{
    if (m_image.isNull())
        return;
    const int box = KeyCaption::roundHalfAway(0.85 * (m_captionBand > 0 ? iconRect().width() : m_size));
    // Every knob of a panel shows the same few pictures at the same few sizes: smooth
    // scaling is costly enough on a resize to do once per picture and size.
    const QString key = QStringLiteral("knob|%1|%2").arg(m_imagePath).arg(box);
    if (m_imagePath.isEmpty() || !QPixmapCache::find(key, &m_scaledImage)) {
        m_scaledImage = m_image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!m_imagePath.isEmpty())
            QPixmapCache::insert(key, m_scaledImage);
    }
}

int KnobButton::captionPointSize() const
{
    return std::max(1, KeyCaption::roundHalfAway(m_size / 80.0 * m_textBaseFontSize));
}

const KeyCaption::Fitted &KnobButton::caption() const
{
    QFont base = font();
    base.setBold(true);
    base.setPointSize(captionPointSize());
    const int minimumPx = m_captionMinimumPx;
    const QRect box = captionRect();
    const QString sibling = m_sibling ? m_sibling->text() : QString();
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6")
                            .arg(box.width() * 1000 + box.height())
                            .arg(base.pointSize())
                            .arg(minimumPx)
                            .arg(base.family(), text(), sibling);
    if (key != m_captionKey) {
        m_captionKey = key;
        m_caption = KeyCaption::fit(text(), box.size(), base, minimumPx, sibling);
    }
    return m_caption;
}

QString KnobButton::displayedText() const
{
    return caption().lines.join(QLatin1Char('\n'));
}

QFont KnobButton::captionFont() const
{
    return caption().font;
}

void KnobButton::mousePressEvent(QMouseEvent* event)
{
    qCDebug(lcPages) << "[UI][mousePress]" << "KnobButton" << this << "text" << text() << "enabled"
                     << isEnabled() << "visible" << isVisible() << "pos" << event->localPos().toPoint();
    QPushButton::mousePressEvent(event);
}

void KnobButton::mouseReleaseEvent(QMouseEvent* event)
{
    qCDebug(lcPages) << "[UI][mouseRelease]" << "KnobButton" << this << "text" << text() << "enabled"
                     << isEnabled() << "visible" << isVisible() << "pos" << event->localPos().toPoint();
    QPushButton::mouseReleaseEvent(event);
}

void KnobButton::enterEvent(QEvent* event)
{
    m_hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void KnobButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QPushButton::leaveEvent(event);
}

void KnobButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    const QRect area = m_captionBand > 0 ? iconRect() : rect();
    // A knob the keypad does not have: a faint outline of its place.
    if (!isEnabled())
        painter.setOpacity(0.2);
    if (isChecked()) {
        QPen ring(QColor(255, 215, 0, 180));
        ring.setWidth(3);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        // Inside the keyboard focus ring while that is on the button, so both show.
        const int inset = property("keyboardFocusRing").toBool() ? 3 + FocusRing::WIDTH : 3;
        painter.drawEllipse(area.adjusted(inset, inset, -inset, -inset));
    } else if (m_hovered) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 40));
        painter.drawEllipse(area.adjusted(2, 2, -2, -2));
    }

    if (!m_scaledImage.isNull()) {
        const int x = area.x() + (area.width() - m_scaledImage.width()) / 2;
        const int y = area.y() + (area.height() - m_scaledImage.height()) / 2;
        painter.drawPixmap(x, y, m_scaledImage);
    }

    if (m_unsaved)
        UnsavedMark::paint(painter, area.adjusted(area.width() / 10, 0, -area.width() / 10, 0));

    // This caption's cut may depend on the sibling's text and the sibling's on this one:
    // a change on either side repaints both.
    if (m_sibling && m_siblingTextPainted != text() + QLatin1Char('|') + m_sibling->text()) {
        m_siblingTextPainted = text() + QLatin1Char('|') + m_sibling->text();
        m_sibling->update();
    }

    if (text().isEmpty())
        return;

    QColor textColor(150, 150, 150);
    if (isChecked())
        textColor = QColor(255, 215, 0);
    else if (m_setState)
        textColor = Qt::white;

    // In a band of its own the caption reads on the panel; without one it sits on a dark
    // plate over the arrow picture, so the arrow's lines never cross the letters.
    const bool plate = m_captionBand <= 0 && !m_scaledImage.isNull();
    const QColor background = plate ? QColor(24, 24, 24) : kPanelColor;
    KeyCaption::draw(painter, captionRect(), caption(), Contrast::readableOn(textColor, background),
                     plate, Contrast::readableOn(KeyCaption::arrowColor(), background));
}

void KnobButton::setUnsaved(bool unsaved)
{
    if (m_unsaved == unsaved)
        return;
    m_unsaved = unsaved;
    update();
}
