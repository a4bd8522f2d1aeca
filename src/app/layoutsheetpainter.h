#pragma once

#include "app/layoutsheetdata.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

class QPainter;

// Paints one layer of a layout sheet on a page: a header with the keypad's model, firmware,
// layer and date, the keypad's front panel with every key's and knob action's function
// written out whole, LED colours, and numbered notes for functions too long for their key.
// Works on any paint device (PDF, SVG, image) and needs no window; the painter's coordinates
// are tenths of a millimetre of the page.
class LayoutSheetPainter
{
public:
    static constexpr double UNITS_PER_MM = 10.0;

    // One drawn element of the panel, in panel pixels at window scale 1.
    struct Cell {
        enum Kind { Key, KnobLeft, KnobRight, KnobPress, Led };
        Kind kind = Key;
        QRectF rect;
        int dataIndex = -1; // the slot, or the LED index for Led
        int number = 0;     // key number or knob number, counted from 1
        QString name;       // Led only
    };

    LayoutSheetPainter(const LayoutSheetData &data, const QSizeF &pageMm);

    void paintPage(QPainter &painter, int layer) const;

    // The panel's elements and the size of the whole panel (exposed for tests and shots).
    const QVector<Cell> &cells() const { return m_cells; }
    QSizeF panelSize() const { return m_panelSize; }

private:
    struct Note {
        int number;
        QString slot;
        QString text;
    };

    void buildCells();
    QString tr(const char *english) const;
    QString slotName(const Cell &cell) const;
    QString functionText(int layer, int dataIndex) const;
    double paintHeader(QPainter &p, int layer) const;
    void paintCell(QPainter &p, const Cell &cell, const QRectF &rect, int layer,
                   QVector<Note> &notes) const;
    double paintLegend(QPainter &p, double top) const;
    void paintNotes(QPainter &p, const QVector<Note> &notes, double top) const;

    const LayoutSheetData &m_data;
    QSizeF m_page; // in units
    QVector<Cell> m_cells;
    QSizeF m_panelSize;
};
