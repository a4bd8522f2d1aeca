#include "pages/multimediapage.h"

#include "i18n/uitext.h"
#include "controls/keycaption.h"
#include "model/keyboarddata.h"
#include "model/logcategories.h"
#include "pages/pagekeytables.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

#include <algorithm>

MultimediaPage::MultimediaPage(KeyboardData *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(8, 8, 8, 8);
    pageLayout->setSpacing(6);

    const QVector<QVector<MediaKeyEntry>> &rows = mediaKeyRows();
    for (int r = 0; r < ROWS; ++r) {
        auto *rowLayout = new QHBoxLayout;
        rowLayout->setSpacing(6);
        for (int c = 0; c < COLUMNS; ++c) {
            auto *button = new QPushButton(this);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            button->setMinimumSize(1, 1); // shrinkable below the text width with the window
            if (r < rows.size() && c < rows.at(r).size()) {
                const MediaKeyEntry &entry = rows.at(r).at(c);
                button->setText(UiText::text(entry.text));
                button->setProperty("mediaCode", int(entry.usage));
                button->setProperty("class", QStringLiteral("mediaKey"));
                connect(button, &QPushButton::clicked, this, [this, button] { onMediaClicked(button); });
            } else {
                button->setEnabled(false);
                button->setProperty("class", QStringLiteral("mediaKeyEmpty"));
            }
            rowLayout->addWidget(button);
        }
        pageLayout->addLayout(rowLayout, 1);
    }

    // The window restyles the page for its scale on first show; styling here as well keeps
    // the page presentable on its own.
    updateMediaPageStyleSheet(1.0);
}

QString MultimediaPage::styleSheetFor(int fontPx)
{
    return QStringLiteral(
               "QWidget { background-color: #2d2d2d; }"
               "QPushButton[class=\"mediaKey\"] { background-color: #3c3c3c; color: #ffffff;"
               " border: 1px solid #555; border-radius: 4px; font-size: %1px; font-weight: normal; }"
               "QPushButton[class=\"mediaKey\"]:hover { background-color: #4a4a4a; border-color: #777; }"
               "QPushButton[class=\"mediaKey\"]:pressed { background-color: #2a2a2a; }"
               "QPushButton[class=\"mediaKeyEmpty\"] { background-color: #2a2a2a; color: transparent;"
               " border: 1px solid #333; border-radius: 4px; }")
        .arg(fontPx);
}

void MultimediaPage::updateMediaPageStyleSheet(double scale)
{
    setStyleSheet(styleSheetFor(std::max(KeyCaption::roundHalfAway(scale * 18), 8)));
}

void MultimediaPage::onMediaClicked(QPushButton *button)
{
    if (!m_model || m_model->selectedKey() < 0) {
        qCDebug(lcPages) << "MultiMedia: no key selected";
        return;
    }
    m_model->setSelectedMultimedia(quint16(button->property("mediaCode").toInt()));
}
