#include "pages/legacyledpagekit.h"

#include "i18n/uitext.h"
#include "pages/rgbledpage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace LegacyLedPageKit {

QVBoxLayout *createContent(QScrollArea *page, const QString &objectName, const QMargins &margins)
{
    RgbLedPage::setUpScrollWrapper(page);

    auto *content = new QWidget(page);
    content->setObjectName(objectName);
    content->setStyleSheet(QStringLiteral("QWidget { background-color:#202020; }"));
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(margins);
    layout->setSpacing(10);
    return layout;
}

void addModeRow(QScrollArea *page, QVBoxLayout *column, int count, int minimumHeight,
                QSizePolicy::Policy verticalPolicy, const std::function<void(int)> &onMode,
                QList<QPushButton *> *buttons)
{
    QWidget *content = column->parentWidget();
    auto *modeRow = new QHBoxLayout();
    modeRow->setSpacing(10);
    for (int i = 0; i < count; ++i) {
        auto *button = new QPushButton(UiText::text(QStringLiteral("LED Mode%1").arg(i)), content);
        button->setCursor(Qt::PointingHandCursor);
        button->setMinimumHeight(minimumHeight);
        button->setSizePolicy(QSizePolicy::Expanding, verticalPolicy);
        QObject::connect(button, &QPushButton::clicked, page, [onMode, i] { onMode(i); });
        modeRow->addWidget(button, 1);
        buttons->append(button);
    }
    modeRow->addStretch();
    column->addLayout(modeRow);
}

} // namespace LegacyLedPageKit
