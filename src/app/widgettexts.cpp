#include "app/widgettexts.h"

#include "i18n/uitext.h"
#include "pages/procreatepage.h"

#include <QLabel>
#include <QPushButton>
#include <QVariant>

namespace WidgetTexts {

void translate(QWidget *root)
{
    const auto buttons = root->findChildren<QPushButton *>();
    for (QPushButton *b : buttons) {
        // Procreate's buttons wrap their name over two lines; the name itself is kept aside.
        const QVariant label = b->property("procreateLabel");
        if (label.isValid())
            b->setText(ProcreatePage::wrapProcreateLabel(UiText::text(label.toString())));
        else
            b->setText(UiText::text(b->text()));
    }
    const auto labels = root->findChildren<QLabel *>();
    for (QLabel *l : labels)
        l->setText(UiText::text(l->text()));
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets)
        if (!w->toolTip().isEmpty())
            w->setToolTip(UiText::text(w->toolTip()));
}

} // namespace WidgetTexts
