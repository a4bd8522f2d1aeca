#pragma once

#include "controls/keycaption.h"

#include <QColor>
#include <QPushButton>

// One physical key of the device panel: a rounded square in grey or in the key's LED
// colour, a gold ring while selected (checked) and the key's short caption.
// The window tags every panel button with the dynamic property "buttonIndex"; releasing
// the mouse on buttons 6, 7 or 8 emits forwardedClick(index) for the panel to resolve,
// instead of clicked.
class KeyButton : public QPushButton
{
    Q_OBJECT

public:
    explicit KeyButton(const QString& text, QWidget* parent = nullptr);
    ~KeyButton() override;

    // Side length at scale 1 and the window scale; the button side is their product.
    void setBaseSize(int baseSize);
    void setScale(double scale);
    void setFontBaseSize(int pointSize);
    void setCornerRadius(int radius);
    // Rows at the top of the cap the caption keeps clear of (where the key's number sits).
    void setCaptionTopInset(int pixels);
    void setAssigned(bool assigned);
    void setCustomColor(const QColor& color);
    void clearCustomColor();

    int keyBaseSize() const { return m_baseSize; }
    double scale() const { return m_scale; }
    // Current side length without the hover growth.
    int keySize() const { return m_size; }
    int fontBaseSize() const { return m_fontBaseSize; }
    int cornerRadius() const { return m_cornerRadius; }
    bool isAssigned() const { return m_assigned; }
    bool hasCustomColor() const { return m_hasCustomColor; }
    QColor customColor() const { return m_customColor; }
    bool isHovered() const { return m_hovered; }

    // The caption as drawn on the cap: its lines joined by "\n" and the font they use.
    QString displayedText() const;
    QFont captionFont() const;
    // The colours the key's number and caption are drawn in on the key's current fill:
    // green and white (gold while selected) where they reach 4.5:1 against it, else the
    // nearest shade that does.
    QColor numberColor() const;
    QColor captionColor() const;
    QColor fillColor() const;

signals:
    // The fill changed (hover, selection, LED colour): the number beside the key follows.
    void fillChanged();
    // A release on a key in slots 6 to 8, which the panel resolves itself: sent instead of
    // clicked (only when someone listens, so a lone button still clicks).
    void forwardedClick(int buttonIndex);

public:

    // A small mark while the slot holds an edit the keypad does not have yet.
    void setUnsaved(bool unsaved);
    bool isUnsaved() const { return m_unsaved; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_unsaved = false;
    void updateButtonSize();
    void applySideLength(int side);
    const KeyCaption::Fitted &caption() const;
    QRect captionRect(const QRect &cap) const;

    bool m_hovered = false;
    double m_scale = 1.0;
    int m_baseSize = 80;
    int m_size = 80;
    int m_fontBaseSize = 10;
    bool m_assigned = false;
    int m_cornerRadius = 8;
    int m_captionTopInset = 0;
    bool m_hasCustomColor = false;
    QColor m_customColor;
    // Laid out on demand for the text, side and font it was made for.
    mutable KeyCaption::Fitted m_caption;
    mutable QString m_captionKey;
};
