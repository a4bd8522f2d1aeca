#include "app/layoutsheet.h"

#include "app/layoutsheetpainter.h"
#include "model/boundedfile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>

namespace {

// Maps the painter's tenths of a millimetre onto a device of `deviceSize` pixels.
void mapPage(QPainter &p, const QSizeF &pageMm, const QSize &deviceSize)
{
    const double units = LayoutSheetPainter::UNITS_PER_MM;
    p.scale(deviceSize.width() / (pageMm.width() * units), deviceSize.height() / (pageMm.height() * units));
}

// All the sheet's file writing goes through here.
bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    // As every file the program writes: whole or not at all, and never over a pipe or device.
    QString why;
    if (BoundedFile::write(path, bytes, &why))
        return true;
    *error = QStringLiteral("%1: %2").arg(path, why);
    return false;
}

} // namespace

LayoutSheet::LayoutSheet(const LayoutSheetData &data, Paper paper) : m_data(data), m_paper(paper)
{
}

LayoutSheet::Paper LayoutSheet::defaultPaper()
{
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? Paper::Letter : Paper::A4;
}

bool LayoutSheet::paperFromName(const QString &name, Paper *out)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("a4"))
        *out = Paper::A4;
    else if (n == QLatin1String("letter"))
        *out = Paper::Letter;
    else
        return false;
    return true;
}

LayoutSheet::Format LayoutSheet::formatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    if (suffix == QLatin1String("svg"))
        return Format::Svg;
    if (suffix == QLatin1String("png"))
        return Format::Png;
    return Format::Unknown;
}

QStringList LayoutSheet::outputPaths(const QString &path) const
{
    const Format format = formatOf(path);
    if (format == Format::Unknown)
        return {};
    if (format == Format::Pdf)
        return {path};
    const QFileInfo info(path);
    const QString stem = path.left(path.size() - info.suffix().size() - 1);
    QStringList paths;
    for (int l = 0; l < m_data.layerCount; ++l)
        paths << QStringLiteral("%1-layer%2.%3").arg(stem).arg(l + 1).arg(info.suffix());
    return paths;
}

QSizeF LayoutSheet::pageSizeMm() const
{
    return QPageSize(m_paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4).size(QPageSize::Millimeter);
}

QByteArray LayoutSheet::renderPdf() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(QPageLayout(QPageSize(m_paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setResolution(PNG_DPI);
    writer.setCreator(QStringLiteral("Macropad Studio"));
    writer.setTitle(m_data.modelText());
    const LayoutSheetPainter sheet(m_data, pageSizeMm());
    QPainter p(&writer);
    for (int l = 0; l < m_data.layerCount; ++l) {
        if (l > 0)
            writer.newPage();
        p.save();
        mapPage(p, pageSizeMm(), QSize(writer.width(), writer.height()));
        sheet.paintPage(p, l);
        p.restore();
    }
    p.end();
    return bytes;
}

QByteArray LayoutSheet::renderSvg(int layer) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // One SVG unit is a tenth of a millimetre: 254 units to the inch.
    const QSizeF mm = pageSizeMm();
    const QSize units(qRound(mm.width() * LayoutSheetPainter::UNITS_PER_MM),
                      qRound(mm.height() * LayoutSheetPainter::UNITS_PER_MM));
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(254);
    svg.setSize(units);
    svg.setViewBox(QRect(QPoint(0, 0), units));
    svg.setTitle(m_data.modelText());
    const LayoutSheetPainter sheet(m_data, mm);
    QPainter p(&svg);
    mapPage(p, mm, units);
    sheet.paintPage(p, layer);
    p.end();
    return bytes;
}

QImage LayoutSheet::renderImage(int layer) const
{
    const QSizeF mm = pageSizeMm();
    const QSize px(qRound(mm.width() / 25.4 * PNG_DPI), qRound(mm.height() / 25.4 * PNG_DPI));
    QImage image(px, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(PNG_DPI / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    const LayoutSheetPainter sheet(m_data, mm);
    QPainter p(&image);
    mapPage(p, mm, px);
    sheet.paintPage(p, layer);
    p.end();
    return image;
}

bool LayoutSheet::write(const QString &path, QStringList *written, QString *error) const
{
    QString why;
    const Format format = formatOf(path);
    QVector<QByteArray> files;
    if (format == Format::Unknown) {
        why = QStringLiteral("%1: the name must end in .pdf, .svg or .png").arg(path);
    } else if (format == Format::Pdf) {
        files << renderPdf();
    } else {
        for (int l = 0; l < m_data.layerCount; ++l) {
            if (format == Format::Svg) {
                files << renderSvg(l);
                continue;
            }
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            renderImage(l).save(&buffer, "PNG");
            files << bytes;
        }
    }
    const QStringList paths = outputPaths(path);
    QStringList done;
    for (int i = 0; why.isEmpty() && i < files.size(); ++i) {
        if (files.at(i).isEmpty())
            why = QStringLiteral("%1: the sheet could not be drawn").arg(paths.at(i));
        else if (writeFile(paths.at(i), files.at(i), &why))
            done << paths.at(i);
    }
    if (!why.isEmpty()) {
        // Half a sheet is no sheet: take back the pages already written.
        for (const QString &p : qAsConst(done))
            QFile::remove(p);
        if (error)
            *error = why;
        return false;
    }
    if (written)
        *written = done;
    return true;
}
