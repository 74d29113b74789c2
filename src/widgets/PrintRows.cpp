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
               const QString &table, const ReportHook &hook, qint64 maxRows)
{
    if (!grid.query().isEmpty()) {
        const qint64 rows = grid.totalCount();
        if (rows > maxRows) {
            prompt.message(parent,
                           QStringLiteral("要打印的记录太多(共 %1 条,一次最多打印 %2 条),请先检索缩小范围再打印!")
                               .arg(rows)
                               .arg(maxRows),
                           Prompt::Icon::Warning);
            return;
        }
    }
    try {
        TReportPreviewFm window(layoutRows(templatePath, grid, table, QDateTime::currentDateTime(), hook),
                                prompt, parent);
        window.exec();
    } catch (const ReportError &error) {
        prompt.message(parent, error.text(), Prompt::Icon::Error);
    }
}
