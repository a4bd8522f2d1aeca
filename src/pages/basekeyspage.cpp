#include "pages/basekeyspage.h"

#include "controls/dualcharbutton.h"
#include "controls/keycaption.h"
#include "model/keyboarddata.h"
#include "pages/basekeyinput.h"
#include "pages/basekeystable.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

#include <algorithm>

namespace {

struct ScaledSizes {
    int key;
    int special;
    int nav;
    int numpadOperator;
};

ScaledSizes scaledSizes(double scale)
{
    const double s = 1.5 * scale;
    return {std::max(KeyCaption::roundHalfAway(12 * s), 8),
            std::max(KeyCaption::roundHalfAway(10 * s), 7),
            std::max(KeyCaption::roundHalfAway(14 * s), 10),
            std::max(KeyCaption::roundHalfAway(13 * s), 9)};
}

} // namespace

BaseKeysPage::BaseKeysPage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(15, 15, 15, 15);
    pageLayout->setSpacing(8);

    auto *keyboard = new QWidget(this);
    keyboard->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *keyboardLayout = new QVBoxLayout(keyboard);
    keyboardLayout->setSpacing(8);
    keyboardLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(keyboard);

    for (const QVector<BaseKeyCap> &row : baseKeyRows()) {
        auto *rowLayout = new QHBoxLayout;
        rowLayout->setSpacing(5);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        for (const BaseKeyCap &cap : row) {
            if (cap.gapBefore > 0)
                rowLayout->addSpacing(cap.gapBefore);
            QPushButton *button = cap.corner.isEmpty()
                ? new QPushButton(cap.text, keyboard)
                : new DualCharButton(cap.text, cap.corner, keyboard);
            button->setProperty("keycode", int(cap.usage));
            if (!cap.styleClass.isEmpty())
                button->setProperty("class", cap.styleClass);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            // Shrinkable below the text width, so that the page never holds the window
            // wider than the smallest window size; the fonts shrink with the window too.
            button->setMinimumSize(1, 1);
            connect(button, &QPushButton::clicked, this, &BaseKeysPage::onBaseKeyClicked);
            rowLayout->addWidget(button);
        }
        keyboardLayout->addLayout(rowLayout);
    }

    setStyleSheet(styleSheetFor(18, 15, 21, 20));
}

QString BaseKeysPage::styleSheetFor(int keyPx, int specialPx, int navPx, int operatorPx)
{
    return QStringLiteral(
               "QWidget { background-color: #2d2d2d; }"
               "QPushButton { background-color: #3c3c3c; color: #ffffff; border: 1px solid #555;"
               " border-radius: 4px; font-weight: normal; font-size: %1px; }"
               "QPushButton:hover { background-color: #4a4a4a; border-color: #777; }"
               "QPushButton:pressed { background-color: #2a2a2a; }"
               "QPushButton[class=\"functionKey\"] { font-size: %1px; }"
               "QPushButton[class=\"functionKey\"]:hover { border-color: #888; }"
               "QPushButton[class=\"specialKey\"] { color: #ffffff; border-color: #555; font-size: %2px; }"
               "QPushButton[class=\"specialKey\"]:hover { border-color: #777; }"
               "QPushButton[class=\"navKey\"] { font-size: %3px; }"
               "QPushButton[class=\"navKey\"]:hover { border-color: #888; }"
               "QPushButton[class=\"numpadKey\"] { color: #87CEEB; border-color: #2a6f8f; font-size: %1px; }"
               "QPushButton[class=\"numpadKey\"]:hover { border-color: #3a8faf; color: #a0e0ff; }"
               "QPushButton[class=\"numpadOperator\"] { color: #ffa07a; border-color: #b45a3a;"
               " font-size: %4px; }"
               "QPushButton[class=\"numpadOperator\"]:hover { border-color: #d47a5a; color: #ffb59e; }")
        .arg(keyPx)
        .arg(specialPx)
        .arg(navPx)
        .arg(operatorPx);
}

void BaseKeysPage::updateBaseKeysStyleSheet(double scale)
{
    const ScaledSizes px = scaledSizes(scale);
    // The same sizes again (a small rescale) would only polish every key anew.
    const QString sheet = styleSheetFor(px.key, px.special, px.nav, px.numpadOperator);
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
}

void BaseKeysPage::updateBaseKeysFonts(double scale)
{
    const ScaledSizes pt = scaledSizes(scale);
    const auto buttons = findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        const QString cls = button->property("class").toString();
        int size = pt.key;
        if (cls == QLatin1String("specialKey"))
            size = pt.special;
        else if (cls == QLatin1String("navKey"))
            size = pt.nav;
        else if (cls == QLatin1String("numpadOperator"))
            size = pt.numpadOperator;
        QFont font = button->font();
        font.setPointSize(size);
        font.setBold(true);
        button->setFont(font);
        if (auto *dual = qobject_cast<DualCharButton *>(button))
            dual->relayoutCornerLabel();
    }
    update();
}

void BaseKeysPage::onBaseKeyClicked()
{
    BaseKeyInput::click(m_model, sender());
}
