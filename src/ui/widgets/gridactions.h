#pragma once

#include "ui/widgets/errorreporter.h"

#include <QObject>

class QAction;

namespace hemu {

class DataGrid;
struct GridTable;

/**
 * The context menu every grid has: print (through the print preview), export to CSV or
 * Excel, copy the selected cells. File names come from the window's FileChooser and
 * failures go to its Prompter (PromptChannel).
 */
class GridActions : public QObject
{
    Q_OBJECT
public:
    explicit GridActions(DataGrid *grid);

    QAction *printAction() const { return m_print; }
    QAction *csvAction() const { return m_csv; }
    QAction *xlsxAction() const { return m_xlsx; }
    QAction *copyAction() const { return m_copy; }

public slots:
    /// Shows the printout in the print preview, from which it is printed or saved as PDF.
    void preview();
    /// Asks for a file name and writes the grid there; false when cancelled or failed.
    bool exportCsv();
    bool exportXlsx();
    /// Puts the selected cells on the clipboard as tab-separated text.
    void copy();

private:
    QAction *add(const char *name, const QString &text);
    bool exportTo(const QString &suffix, bool (*write)(const GridTable &, const QString &, QString *));

    DataGrid *m_grid;
    ErrorReporter m_errors; // tells export failures through the grid's window
    QAction *m_print;
    QAction *m_csv;
    QAction *m_xlsx;
    QAction *m_copy;
};

} // namespace hemu
