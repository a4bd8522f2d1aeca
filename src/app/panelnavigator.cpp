#include "app/panelnavigator.h"

#include <QKeyEvent>
#include <QWidget>

#include <limits>

PanelNavigator::PanelNavigator(std::function<QVector<QWidget *>()> buttons,
                               std::function<void(QWidget *)> select, QObject *parent)
    : QObject(parent)
    , m_buttons(std::move(buttons))
    , m_select(std::move(select))
{
}

void PanelNavigator::watch(QWidget *button)
{
    button->installEventFilter(this);
}

int PanelNavigator::neighbour(const QVector<QRect> &rects, int from, int key)
{
    if (from < 0 || from >= rects.size())
        return -1;
    const QPoint c = rects[from].center();
    int best = -1;
    qint64 bestScore = std::numeric_limits<qint64>::max();
    for (int i = 0; i < rects.size(); ++i) {
        if (i == from)
            continue;
        const QPoint d = rects[i].center() - c;
        // Along: distance in the arrow's direction (must be ahead); across: the sideways
        // offset, weighed heavier so the next key in the same row or column wins.
        int along = 0;
        int across = 0;
        switch (key) {
        case Qt::Key_Left: along = -d.x(); across = d.y(); break;
        case Qt::Key_Right: along = d.x(); across = d.y(); break;
        case Qt::Key_Up: along = -d.y(); across = d.x(); break;
        case Qt::Key_Down: along = d.y(); across = d.x(); break;
        default: return -1;
        }
        if (along <= 0)
            continue;
        const qint64 score = qint64(along) + 3 * qint64(qAbs(across));
        if (score < bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

bool PanelNavigator::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down)
        return QObject::eventFilter(watched, event);
    const QVector<QWidget *> buttons = m_buttons();
    QVector<QRect> rects;
    int from = -1;
    for (QWidget *b : buttons) {
        if (b == watched)
            from = rects.size();
        rects.append(QRect(b->mapTo(b->window(), QPoint(0, 0)), b->size()));
    }
    const int next = neighbour(rects, from, key);
    if (next >= 0)
        m_select(buttons[next]);
    return true; // arrows never leave the panel
}
