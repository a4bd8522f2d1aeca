#include "pages/placeholderpage.h"

#include "app/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderPage::PlaceholderPage(const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
    , m_label(new QLabel(UiText::text(title), this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    m_label->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_label);
    setStyleSheet(QStringLiteral("QWidget { background-color: #2d2d2d; }"
                                 "QLabel { color: #9a9a9a; font-size: 18px; }"));
}
