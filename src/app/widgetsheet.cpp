// The layout sheet from the window: Export opens a small menu (the profile, the layout
// sheet); the sheet prints what the window shows, unsaved edits included, and says so.
#include "app/widget.h"

#include "app/layoutsheet.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPushButton>

void Widget::initSheetExport()
{
    connect(m_topBar, &TopBar::exportSheetRequested, this, &Widget::onExportSheetClicked);
    m_sheetPathChooser = [this] {
        QString path = QFileDialog::getSaveFileName(
            this, uiText(QStringLiteral("Export Layout Sheet")),
            QDir::home().filePath(QStringLiteral("keypad-layout.pdf")),
            uiText(QStringLiteral("Layout sheets (*.pdf *.svg *.png)")));
        if (!path.isEmpty() && LayoutSheet::formatOf(path) == LayoutSheet::Format::Unknown)
            path += QStringLiteral(".pdf");
        return path;
    };
}

void Widget::setSheetPathChooser(SheetPathChooser chooser)
{
    m_sheetPathChooser = std::move(chooser);
}

LayoutSheetData Widget::layoutSheetData() const
{
    LayoutSheetData d;
    d.panel = currentLayout();
    d.device = profileTarget();
    d.slotMap = slotMap();
    d.layerCount = qMax(1, effectiveLayerDisplayCount());
    d.layers = m_keyboardData.layers();
    d.ledConfigs = m_keyboardData.ledConfigs();
    // "Old" keypads cannot report their lighting: colours shown for them are guesses.
    const bool lighting = !(isLegacyDevice() && legacyInfo().format == LegacyDeviceInfo::Old);
    d.lightingKnown = QVector<bool>(d.layers.size(), lighting);
    d.unsaved = m_keyboardData.hasUnsavedChanges();
    d.date = QDate::currentDate();
    d.language = m_chinese ? UiText::Language::Chinese : UiText::Language::English;
    return d;
}

void Widget::onExportSheetClicked()
{
    qCDebug(lcWindow) << "[UI][click] Export layout sheet";
    const QString path = m_sheetPathChooser ? m_sheetPathChooser() : QString();
    if (path.isEmpty())
        return;
    QStringList written;
    QString error;
    if (!LayoutSheet(layoutSheetData()).write(path, &written, &error)) {
        qCDebug(lcWindow) << "Widget: layout sheet not written:" << error;
        showProfileOutcome(uiText(QStringLiteral("Layout sheet not exported")), error, true);
        return;
    }
    qCDebug(lcWindow) << "Widget: layout sheet written to" << written;
    QStringList shown;
    for (const QString &file : qAsConst(written))
        shown << QDir::toNativeSeparators(file);
    showProfileOutcome(uiText(QStringLiteral("Layout sheet exported")), shown.join(QLatin1Char('\n')), false);
}
