#pragma once

#include "pages/scalablepage.h"

#include <QString>
#include <QWidget>

class KeyboardData;

// A full keyboard (function row, main block, navigation keys, arrows and the numeric
// keypad as one row). A click gives the key's usage to the key selected on the panel.
class BaseKeysPage : public QWidget, public ScalablePage
{
    Q_OBJECT

public:
    explicit BaseKeysPage(KeyboardData *model, QWidget *parent = nullptr);

    // Page style sheet for the four font sizes in pixels: keys without class, function and
    // keypad keys; special keys; arrows; keypad operators.
    static QString styleSheetFor(int keyPx, int specialPx, int navPx, int operatorPx);

    // Window scaling: style sheet font sizes and button fonts follow the scale.
    void updateBaseKeysStyleSheet(double scale);
    void updateBaseKeysFonts(double scale);
    void applyScale(double scale) override
    {
        updateBaseKeysFonts(scale);
        updateBaseKeysStyleSheet(scale);
    }

public slots:
    void onBaseKeyClicked();

private:
    KeyboardData *m_model;
};
