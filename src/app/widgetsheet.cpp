// The layout sheet from the window: Export opens a small menu (the profile, the layout
// sheet); the sheet prints what the window shows, unsaved edits included, and says so.
#include "app/widget.h"

#include "app/layoutsheet.h"
#include "app/layoutsheetdata.h"

#include <QDir>
#include <QFileDialog>

void Widget::initSheetExport()
{
    connect(m_topBar, &TopBar::exportSheetRequested, this, &Widget::onExportSheetClicked);
    m_profileActions->setSheetSource([this] { return layoutSheetData(); });
    m_profileActions->setSheetPathChooser([this] {
        QString path = QFileDialog::getSaveFileName(
            this, uiText(QStringLiteral("Export Layout Sheet")),
            QDir::home().filePath(QStringLiteral("keypad-layout.pdf")),
            uiText(QStringLiteral("Layout sheets (*.pdf *.svg *.png)")));
        if (!path.isEmpty() && LayoutSheet::formatOf(path) == LayoutSheet::Format::Unknown)
            path += QStringLiteral(".pdf");
        return path;
    });
}

void Widget::setSheetPathChooser(SheetPathChooser chooser)
{
    m_profileActions->setSheetPathChooser(std::move(chooser));
}

LayoutSheetData Widget::layoutSheetData() const
{
    return m_profileActions->sheetData(currentLayout(), slotMap(), effectiveLayerDisplayCount());
}

void Widget::onExportSheetClicked()
{
    m_profileActions->exportSheet();
}
