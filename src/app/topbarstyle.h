#pragma once

#include <QString>

// Style of the small buttons of the top bar (Export, Import, Undo, Redo).
inline QString topBarButtonStyle()
{
    return QStringLiteral(
        "QPushButton { background-color: #3c3c3c; color: white; border: 1px solid #5a5a5a;"
        " border-radius: 4px; font-weight: bold; font-size: 15px; }"
        "QPushButton:hover { background-color: #4a4a4a; }"
        "QPushButton:pressed { background-color: #2a2a2a; }"
        "QPushButton:disabled { color: #808080; }");
}
