#pragma once

#include "app/layoutsheetdata.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

// A printable layout sheet of a keypad: one page per layer, as PDF (one file), SVG or PNG
// (one file per layer, "name-layer1.svg" ...; PNG at 300 dpi). The format follows the file
// name. Needs a QGuiApplication (fonts) but no window and no display.
class LayoutSheet
{
public:
    enum class Paper { A4, Letter };
    enum class Format { Unknown, Pdf, Svg, Png };

    static constexpr int PNG_DPI = 300;

    explicit LayoutSheet(const LayoutSheetData &data, Paper paper = defaultPaper());

    // Letter where the locale measures in inches (the United States), A4 elsewhere.
    static Paper defaultPaper();
    // "a4" or "letter", any case; false for anything else.
    static bool paperFromName(const QString &name, Paper *out);
    static Format formatOf(const QString &path);
    // The files a sheet written to `path` consists of: the path itself for a PDF, one per
    // layer otherwise. Empty for a name of no known format.
    QStringList outputPaths(const QString &path) const;

    QSizeF pageSizeMm() const;
    int pageCount() const { return m_data.layerCount; }

    QByteArray renderPdf() const;
    QByteArray renderSvg(int layer) const;
    QImage renderImage(int layer) const;

    // Renders and writes the sheet. On failure `error` says why and no file of the sheet is
    // left behind; `written` lists the files on success.
    bool write(const QString &path, QStringList *written, QString *error) const;

private:
    LayoutSheetData m_data;
    Paper m_paper;
};
