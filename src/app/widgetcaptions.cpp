// The captions the panel buttons and the key function display show for a key. They depend
// on the page in view (arrows on the base keys page, shortcut names on the Procreate page)
// and on the panel (single-knob keypads keep media functions as plain key codes).
#include "app/widget.h"

#include "app/keycaptions.h"

QString Widget::displayButtonTextForCurrentPage(int dataIndex) const
{
    return captionForCurrentPage(dataIndex, false);
}

QString Widget::displayFullTextForCurrentPage(int dataIndex) const
{
    return captionForCurrentPage(dataIndex, true);
}

QString Widget::captionForCurrentPage(int d, bool full) const
{
    const KeyData *key = m_keyboardData.keyDataAt(m_keyboardData.currentLayer(), d);
    if (!key)
        return QString();
    const KeyCaptions::Page page = isProcreatePageActive() ? KeyCaptions::Page::Procreate
                                   : isBaseKeysPageActive() ? KeyCaptions::Page::BaseKeys
                                                            : KeyCaptions::Page::Other;
    return KeyCaptions::caption(*key, full ? KeyCaptions::Form::Full : KeyCaptions::Form::Button, page,
                                m_chinese ? UiText::Language::Chinese : UiText::Language::English,
                                currentLayout().name);
}

PanelView::Content Widget::panelContent()
{
    PanelView::Content content;
    content.key = [this](int dataIndex) {
        return m_keyboardData.keyDataAt(m_keyboardData.currentLayer(), dataIndex);
    };
    content.caption = [this](int dataIndex, bool full) { return captionForCurrentPage(dataIndex, full); };
    content.ledColor = [this](int ledIndex) { return ledColorOf(ledIndex); };
    content.text = [this](const QString &english) { return uiText(english); };
    return content;
}
