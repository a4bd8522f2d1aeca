#pragma once

#include <QFont>
#include <QPushButton>
#include <QRect>
#include <QString>

// A key cap of the base keys page: the unshifted character is the button text, the
// shifted character a small bold legend in the upper left corner.
class DualCharButton : public QPushButton
{
    Q_OBJECT

public:
    DualCharButton(const QString& mainText, const QString& cornerText, QWidget* parent = nullptr);
    ~DualCharButton() override;

    QString mainText() const { return m_mainText; }
    QString cornerText() const { return m_cornerText; }
    // Where the corner legend is drawn, and in which font, for the current size.
    QRect cornerRect() const { return m_cornerRect; }
    QFont cornerFont() const;

    // Sizes and places the corner legend for the current button size; the base keys page
    // calls it after changing fonts.
    void relayoutCornerLabel();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString m_mainText;
    QString m_cornerText;
    // The legend is painted over the cap rather than held in a child label: a page has
    // dozens of these keys, and a styled child widget each cost the first frame dearly.
    QRect m_cornerRect;
    int m_cornerPoints = 0;
};
