#pragma once
// The delimiters that stand around values in the SQL text the operator is shown.
// databaseKind is the run's `abc` setting: "s" for a server, "a" for the local file.

#include <QString>

QString SqlTextQuote(const QString &databaseKind);
QString SqlDateQuote(const QString &databaseKind);
