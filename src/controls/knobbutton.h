#pragma once

#include "controls/keycaption.h"

#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QString>

// Registers the embedded knob images. keypad_ui is a static library, so its resources are
// only linked in when something references them: call this once (e.g. at the start of
// main() or of a test) before creating knob buttons. Calling it again is harmless.
void initKnobResources();

// One action of a rotary knob on the device panel (turn left, turn right or press):
// its arrow image, a round highlight while hovered, a gold ring while selected (checked)
// and the action's short caption, cut and drawn like a key button's caption.
class KnobButton : public QPushButton
{
    Q_OBJECT

public:
    // Resource paths of the knob images.
    static QString leftImagePath();       // ":/images/image/KN_LEFT114x97.png"
    static QString rightImagePath();      // ":/images/image/KN_RIGHT114x97.png"
    static QString pressImagePath();      // ":/images/image/KN_IN150x150.png"
    static QString pressLeftImagePath();  // ":/images/image/KN_PressLEFT114x97.png"
    static QString pressRightImagePath(); // ":/images/image/KN_PressRIGHT114x97.png"

    KnobButton(const QString& imagePath, const QString& text, QWidget* parent = nullptr);
    ~KnobButton() override;

    // Side length of the (square) button; ignored below 1 or when unchanged. Resets the
    // caption band (below).
    void setScaledSize(int size);
    // Gives the caption a band of its own along the bottom of a widget of `widget` size, so
    // it never covers the arrow picture, which is drawn in the room above the band. The
    // window sizes this from the free room around the button; a band of 0 draws the caption
    // over the picture on a dark plate.
    void setCaptionBand(const QSize &widget, int band);
    int captionBand() const { return m_captionBand; }
    // Where the picture (with its hover and selection rings) and the caption are drawn.
    QRect iconRect() const;
    QRect captionRect() const;
    // Caption point size at side length 80; values below 2 become 1.
    void setTextBaseFontSize(int size);
    // Smallest pixel size the caption may step down to (10 px at window scale 1).
    void setCaptionMinimumPixelSize(int px);
    int captionMinimumPixelSize() const { return m_captionMinimumPx; }
    // The knob's other turn: a caption that must be cut keeps what tells the two apart.
    void setSibling(KnobButton *sibling);
    // Whether the knob action has a function (white caption instead of grey).
    void setSetState(bool set);
    void updateScaledPixmap();

    QString imagePath() const { return m_imagePath; }
    int scaledSize() const { return m_size; }
    int textBaseFontSize() const { return m_textBaseFontSize; }
    bool isSetState() const { return m_setState; }
    bool isHovered() const { return m_hovered; }
    bool hasImage() const { return !m_image.isNull(); }
    QPixmap image() const { return m_image; }
    QPixmap scaledImage() const { return m_scaledImage; }
    // Point size of the caption font at the current side length, before fitting.
    int captionPointSize() const;
    // The caption as drawn: its lines joined by "\n" and the font they use.
    QString displayedText() const;
    QFont captionFont() const;

    // A small mark while the slot holds an edit the keypad does not have yet.
    void setUnsaved(bool unsaved);
    bool isUnsaved() const { return m_unsaved; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const KeyCaption::Fitted &caption() const;

    bool m_unsaved = false;
    QPixmap m_image;
    QPixmap m_scaledImage;
    QString m_imagePath;
    int m_size = 80;
    int m_textBaseFontSize = 10;
    bool m_hovered = false;
    bool m_setState = false;
    int m_captionMinimumPx = 10;
    int m_captionBand = 0;
    QPointer<KnobButton> m_sibling;
    QString m_siblingTextPainted; // the sibling's text when this caption was last drawn
    mutable KeyCaption::Fitted m_caption;
    mutable QString m_captionKey;
};
