#pragma once

#include <QPushButton>
#include <QString>

class QLabel;

// A key cap of the base keys page: the unshifted character is the button text, the
// shifted character a small bold label in the upper left corner.
class DualCharButton : public QPushButton
{
    Q_OBJECT

public:
    DualCharButton(const QString& mainText, const QString& cornerText, QWidget* parent = nullptr);
    ~DualCharButton() override;

    QString mainText() const { return m_mainText; }
    QString cornerText() const { return m_cornerText; }
    QLabel* cornerLabel() const { return m_cornerLabel; }

    // Sizes and places the corner label for the current button size; the base keys page
    // calls it after changing fonts.
    void relayoutCornerLabel();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString m_mainText;
    QString m_cornerText;
    QLabel* m_cornerLabel = nullptr;
};
