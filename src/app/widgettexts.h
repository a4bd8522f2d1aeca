#pragma once

class QWidget;

// The language pass over a part of the window: every button, label and tool tip under
// `root` gets its text in the current language (UiText looks up both ways, so a text
// already in that language stays). Run over the whole window on a switch, and over a
// function page built after it.
namespace WidgetTexts {

void translate(QWidget *root);

} // namespace WidgetTexts
