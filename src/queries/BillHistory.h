#pragma once
// Looking back at settled bills: the checkout details (one per line of a settled bill) chosen by a
// column's value and/or a period of consumption, and the checkout records (one per bill, free
// bills included) whose chosen column contains a text.
//
// The operator names the column in a box that takes typed text; a name that is no column of the
// table is refused before anything runs, and every value typed is bound, never pasted in.

#include "db/Period.h"
#include "db/Statement.h"

#include <QString>
#include <optional>

namespace BillHistory {

inline const QString Details = QStringLiteral("结帐明细");
inline const QString Records = QStringLiteral("结帐管理");

// The settled details consumed in the period.
Statement details(const Period &period);

// The settled details whose column equals the value (blanks around it dropped) and/or that were
// consumed in the period. A column condition needs a value; a period is given when the operator
// ticked it. Refuses with the system's message when there is neither, and a column the table
// lacks (UnknownColumnError). The value is compared in the column's own kind.
Statement searchDetails(const QString &column, const QString &value, const std::optional<Period> &period);

// Every checkout record.
Statement records();
// The records whose column contains the value as typed (blanks kept): "%" and "_" typed by the
// operator are themselves, not wildcards. Only a text column can contain text; another column, or
// one the table lacks, is refused before anything runs.
Statement searchRecords(const QString &column, const QString &value);

// The value as the body of a like pattern: the escape character '\', '%', '_' and '[' (a set
// on SQL Server) each preceded by '\', so the pattern matches them literally.
QString likeEscaped(const QString &value);

} // namespace BillHistory
