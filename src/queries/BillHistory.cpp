#include "BillHistory.h"

#include "db/Refusal.h"
#include "db/Schema.h"
#include "db/TableRows.h"
#include "queries/BillState.h"

using namespace Qt::StringLiterals;

namespace BillHistory {

namespace {

Statement settledDetails()
{
    Statement st(u"select * from 结帐明细 where 状态 = "_s);
    return st.text(BillState::Settled);
}

} // namespace

Statement details(const Period &period)
{
    Statement st = settledDetails();
    return period.appendBounds(st.sql(u" and "_s), u"消费时间"_s);
}

Statement searchDetails(const QString &column, const QString &value, const std::optional<Period> &period)
{
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty() && !period)
        throw Refusal(u"请输入查询条件或者选择结帐时间作为查询条件!"_s);
    Statement st = settledDetails();
    if (!trimmed.isEmpty()) {
        // The column is checked first: an unknown name is refused whatever else was asked.
        const SqlValue typed = TableRows::typedValue(Details, column, trimmed);
        st.sql(u" and "_s).column(Details, column).sql(u" = "_s).value(typed);
    }
    if (period)
        period->appendBounds(st.sql(u" and "_s), u"消费时间"_s);
    return st;
}

Statement records()
{
    return TableRows::all(Records);
}

Statement searchRecords(const QString &column, const QString &value)
{
    const ColumnDef *def = Schema::column(Records, column.trimmed());
    if (!def)
        throw UnknownColumnError(Records, column.trimmed());
    if (def->kind != ColumnKind::Text)
        throw Refusal(u"只能在文字列中查找包含的内容: "_s + def->name);
    Statement st = records();
    st.sql(u" where "_s).column(Records, column).sql(u" like "_s);
    return st.text(u"%"_s + likeEscaped(value) + u"%"_s).sql(u" escape '\\'"_s);
}

QString likeEscaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\' || c == u'%' || c == u'_' || c == u'[')
            out += u'\\';
        out += c;
    }
    return out;
}

} // namespace BillHistory
