#pragma once

#include "pages/scalablepage.h"

#include <QString>
#include <QWidget>

class KeyboardData;
class QPushButton;

// Media and application keys (HID consumer usages) on a 5 x 7 grid of equal cells; a click
// makes the selected key a multimedia key.
class MultimediaPage : public QWidget, public ScalablePage
{
    Q_OBJECT

public:
    static constexpr int ROWS = 5;
    static constexpr int COLUMNS = 7;

    explicit MultimediaPage(KeyboardData *model, QWidget *parent = nullptr);

    static QString styleSheetFor(int fontPx);
    // Window scaling: the key font follows the scale.
    void updateMediaPageStyleSheet(double scale);
    void applyScale(double scale) override { updateMediaPageStyleSheet(scale); }

private:
    void onMediaClicked(QPushButton *button);

    KeyboardData *m_model;
};
