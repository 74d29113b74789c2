#include "PrintRows.h"

#include "DataGrid.h"
#include "report/ReportPreviewUt.h"
#include "widgets/Prompt.h"

LaidOutReport layoutRows(const QString &templatePath, const DataGrid &grid, const QString &table,
                         const QDateTime &now, const ReportHook &hook)
{
    // Computed columns of the grid (aliases, sums) are known only to the grid.
    QList<DataColumn> computed;
    for (const GridColumn &column : grid.columns())
        computed.append(DataColumn{column.field, column.kind});
    const ReportTemplate reportTemplate = ReportTemplate::load(templatePath);
    // A grid that has run nothing prints the template over no rows.
    const DataSet rows = grid.query().isEmpty()
                             ? DataSet(computed)
                             : DataSet::fromQuery(grid.database(), grid.orderedQuery(), table, computed);
    return layoutReport(reportTemplate, rows, now, hook);
}

void printRows(QWidget *parent, Prompt &prompt, const QString &templatePath, const DataGrid &grid,
               const QString &table, const ReportHook &hook)
{
    try {
        TReportPreviewFm window(layoutRows(templatePath, grid, table, QDateTime::currentDateTime(), hook),
                                prompt, parent);
        window.exec();
    } catch (const ReportError &error) {
        prompt.message(parent, error.text(), Prompt::Icon::Error);
    }
}
