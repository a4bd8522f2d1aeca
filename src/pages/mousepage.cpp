#include "pages/mousepage.h"

#include "i18n/uitext.h"
#include "controls/keycaption.h"
#include "model/keyboarddata.h"
#include "model/logcategories.h"
#include "pages/pagekeytables.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

#include <algorithm>

MousePage::MousePage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(8, 8, 8, 8);
    pageLayout->setSpacing(6);

    for (const QVector<MouseKeyEntry> &row : mouseKeyRows()) {
        auto *rowLayout = new QHBoxLayout;
        rowLayout->setSpacing(6);
        for (const MouseKeyEntry &entry : row) {
            auto *button = new QPushButton(UiText::text(entry.text), this);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            // A minimum of 0 reads as "unset" to the layouts, which then keep the button at
            // its text width and make the whole window refuse to shrink; 1 lets it shrink.
            button->setMinimumSize(1, 1);
            button->setIcon(QIcon(mouseIcon(entry.iconKind, entry.available)));
            button->setIconSize(QSize(ICON_SIZE, ICON_SIZE));
            button->setProperty("class", entry.available ? QStringLiteral("mouseKey")
                                                         : QStringLiteral("mouseKeyDisabled"));
            QFont font(QStringLiteral("Microsoft YaHei"));
            font.setPixelSize(16);
            font.setWeight(QFont::Normal);
            button->setFont(font);
            if (entry.available) {
                if (entry.action >= 11 && entry.action <= 15) {
                    button->setProperty("legacyOldUnsupportedMouse", true);
                    m_swipeAndLikeButtons.append(button);
                }
                button->setProperty("mouseAction", int(entry.action));
                connect(button, &QPushButton::clicked, this, [this, button] { onMouseClicked(button); });
            } else {
                button->setEnabled(false);
                if (!entry.text.isEmpty())
                    button->setToolTip(QStringLiteral("Current firmware does not support this mouse action yet."));
            }
            rowLayout->addWidget(button);
        }
        pageLayout->addLayout(rowLayout, 1);
    }

    setStyleSheet(styleSheetFor(10, 14, 16));
}

void MousePage::setLegacyOldDeviceCheck(std::function<bool()> check)
{
    m_legacyOldCheck = std::move(check);
}

bool MousePage::legacyOldDevice() const
{
    return m_legacyOldCheck && m_legacyOldCheck();
}

void MousePage::updateLegacyMouseFeatureAvailability()
{
    const bool supported = !legacyOldDevice();
    for (QPushButton *button : qAsConst(m_swipeAndLikeButtons)) {
        button->setVisible(supported);
        button->setEnabled(supported);
    }
}

void MousePage::onMouseClicked(QPushButton *button)
{
    if (!m_model || m_model->selectedKey() < 0) {
        qCDebug(lcPages) << "Mouse: no key selected";
        return;
    }
    if (legacyOldDevice() && button->property("legacyOldUnsupportedMouse").toBool()) {
        qCDebug(lcPages) << "Mouse: legacy old device does not support swipe/like";
        return;
    }
    m_model->setSelectedMouseAction(quint8(button->property("mouseAction").toInt() & 0xFF));
}

QPixmap MousePage::mouseIcon(const QString &kind, bool available)
{
    QPixmap pixmap(ICON_SIZE, ICON_SIZE);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    const QColor outline = available ? QColor(0xf5, 0xf5, 0xf5) : QColor(0x8a, 0x8a, 0x8a);
    const QColor accent = available ? QColor(0x4d, 0xb6, 0xff) : QColor(0x62, 0x62, 0x62);
    auto pen = [](const QColor &c) {
        QPen pen(c, 2.2);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    };

    // The mouse body and the split between its two buttons.
    const QRectF body(10, 4, 14, 26);
    const qreal cx = body.left() + body.width() / 2.0;
    const qreal radius = body.width() / 2.5;
    p.setPen(pen(outline));
    p.setBrush(QColor(255, 255, 255, available ? 18 : 8));
    p.drawRoundedRect(body, radius, radius);
    p.drawLine(QPointF(cx, body.top() + 7), QPointF(cx, body.top() + body.height() * 0.45));

    const qreal buttonWidth = body.width() / 2.0 - 5;
    const qreal buttonHeight = body.height() * 0.36;
    p.setPen(Qt::NoPen);
    if (kind == QLatin1String("left")) {
        p.fillRect(QRectF(body.left() + 4, 8, buttonWidth, buttonHeight), accent);
    } else if (kind == QLatin1String("right")) {
        p.fillRect(QRectF(cx + 1, 8, buttonWidth, buttonHeight), accent);
    } else if (kind == QLatin1String("middle")) {
        p.fillRect(QRectF(13, 12, 8, 14), accent);
    } else if (kind == QLatin1String("wheel_up") || kind == QLatin1String("wheel_down")) {
        p.fillRect(QRectF(14, 12, 6, 12), outline);
        p.setPen(pen(accent));
        const qreal x = 12;
        if (kind == QLatin1String("wheel_up")) {
            p.drawLine(QPointF(x, 23), QPointF(x, 11));
            p.drawLine(QPointF(x, 11), QPointF(8, 15));
            p.drawLine(QPointF(x, 11), QPointF(16, 15));
        } else {
            p.drawLine(QPointF(x, 11), QPointF(x, 23));
            p.drawLine(QPointF(x, 23), QPointF(8, 19));
            p.drawLine(QPointF(x, 23), QPointF(16, 19));
        }
    } else {
        p.setPen(pen(accent));
        p.drawLine(QPointF(18, 22), QPointF(16, 12));
        p.drawLine(QPointF(18, 12), QPointF(16, 22));
    }
    p.end();
    return pixmap;
}

QString MousePage::styleSheetFor(int paddingV, int paddingH, int fontPx)
{
    return QStringLiteral(
               "QWidget { background-color: #2d2d2d; }"
               "QPushButton[class=\"mouseKey\"] { background-color: #3c3c3c; color: #ffffff;"
               " border: 1px solid #555555; border-radius: 4px; padding: %1px %2px;"
               " font-size: %3px !important; text-align: left;}"
               "QPushButton[class=\"mouseKey\"]:hover { background-color: #4a4a4a; border-color: #777777;}"
               "QPushButton[class=\"mouseKey\"]:pressed { background-color: #2a2a2a;}"
               "QPushButton[class=\"mouseKeyDisabled\"] { background-color: #3c3c3c; color: #b5b5b5;"
               " border: 1px solid #4f4f4f; border-radius: 4px; padding: %1px %2px;"
               " font-size: %3px !important; text-align: left;}"
               "QPushButton[class=\"mouseKeyDisabled\"]:disabled { color: #9a9a9a;}")
        .arg(paddingV)
        .arg(paddingH)
        .arg(fontPx);
}

void MousePage::updateMouseStyleSheet(double scale)
{
    setStyleSheet(styleSheetFor(std::max(KeyCaption::roundHalfAway(10 * scale), 4),
                                std::max(KeyCaption::roundHalfAway(14 * scale), 6),
                                std::max(KeyCaption::roundHalfAway(16 * scale), 10)));
}
