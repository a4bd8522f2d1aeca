#pragma once

#include <QList>
#include <QMargins>
#include <QSizePolicy>
#include <QString>

#include <functional>

class QHBoxLayout;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class QWidget;

// The frame both legacy lighting pages are built in: a dark content widget in the page's
// scroll wrapper and a row of numbered effect buttons.
namespace LegacyLedPageKit {

// Sets the page up as a scroll wrapper and returns the column layout of its new content
// widget (the layout's parent widget). The caller hands the content to setWidget() once full.
QVBoxLayout *createContent(QScrollArea *page, const QString &objectName, const QMargins &margins);

// Appends to the column a row of `count` buttons captioned "LED Mode<n>", each calling
// `onMode(n)` when clicked; the buttons are appended to `buttons`.
void addModeRow(QScrollArea *page, QVBoxLayout *column, int count, int minimumHeight,
                QSizePolicy::Policy verticalPolicy, const std::function<void(int)> &onMode,
                QList<QPushButton *> *buttons);

} // namespace LegacyLedPageKit
