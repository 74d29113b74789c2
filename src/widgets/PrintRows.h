#pragma once
// Printed lists over a grid: a template laid out over every row of the grid's query, in the
// order the grid shows them, whether or not the operator has scrolled to them.

#include "report/ReportLayout.h"

#include <QDateTime>
#include <QString>

class DataGrid;
class Prompt;
class QWidget;

// The list laid out at `now`. The table gives the kinds of the columns the grid does not
// show (money, dates). Throws DbError, and ReportError for a template that cannot be read
// or that names a column the query lacks.
LaidOutReport layoutRows(const QString &templatePath, const DataGrid &grid, const QString &table,
                         const QDateTime &now, const ReportHook &hook = {});

// The most rows one printed list holds: about 750 pages, laid out in a few seconds. The whole
// list is laid out before the preview shows, so a list of a million rows would hold the window
// for minutes and take gigabytes.
inline constexpr qint64 MaxPrintedRows = 50000;

// Lays the list out now and shows it in the preview window until the operator closes it.
// A grid of more than maxRows rows is not laid out: the operator is asked to search first.
// A template error is shown through the Prompt; a DbError passes, for the screen's guard().
void printRows(QWidget *parent, Prompt &prompt, const QString &templatePath, const DataGrid &grid,
               const QString &table, const ReportHook &hook = {}, qint64 maxRows = MaxPrintedRows);
