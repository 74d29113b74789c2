#include "DataSet.h"

#include "ReportTemplate.h"
#include "db/Database.h"
#include "db/DateTimeText.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

bool sameAsciiCaseless(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

ColumnKind guessedKind(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return ColumnKind::Integer;
    case QMetaType::Double:
        return ColumnKind::Factor;
    case QMetaType::QDateTime:
        return ColumnKind::DateTime;
    case QMetaType::QDate:
        return ColumnKind::Date;
    case QMetaType::Bool:
        return ColumnKind::Boolean;
    default:
        return ColumnKind::Text;
    }
}

ReportValue convert(const Database &db, ColumnKind kind, const QVariant &stored)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    switch (kind) {
    case ColumnKind::Money:
        return db.moneyFrom(stored);
    case ColumnKind::DateTime:
        return db.dateTimeFrom(stored);
    case ColumnKind::Date:
        return db.dateFrom(stored);
    case ColumnKind::Boolean:
        return db.booleanFrom(stored);
    case ColumnKind::Integer:
    case ColumnKind::RowNumber:
        return stored.toLongLong();
    case ColumnKind::Factor:
        return stored.toDouble();
    case ColumnKind::Text:
        break;
    }
    return stored.toString();
}

} // namespace

DataSet::DataSet(QList<DataColumn> columns) : m_columns(std::move(columns)) {}

DataSet DataSet::fromQuery(const Database &db, const Statement &statement, const QString &table,
                           const QList<DataColumn> &computed)
{
    Cursor cursor = db.query(statement);
    const QSqlRecord record = cursor.record();
    DataSet set;
    QList<bool> guessed;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        const ColumnDef *def = Schema::column(table, name);
        const auto given = std::find_if(computed.begin(), computed.end(),
                                        [&](const DataColumn &c) { return sameAsciiCaseless(c.name, name); });
        const ColumnKind kind = def ? def->kind : given != computed.end() ? given->kind : ColumnKind::Text;
        set.m_columns.append({name, kind});
        guessed.append(!def && given == computed.end());
    }
    bool first = true;
    while (cursor.next()) {
        QList<ReportValue> row;
        row.reserve(set.m_columns.size());
        for (int i = 0; i < set.m_columns.size(); ++i) {
            const QVariant stored = cursor.raw(i);
            // The driver's type of the first row is the best a computed column offers.
            if (first && guessed.at(i))
                set.m_columns[i].kind = guessedKind(stored);
            row.append(convert(db, set.m_columns.at(i).kind, stored));
        }
        first = false;
        set.m_rows.append(std::move(row));
    }
    return set;
}

int DataSet::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (sameAsciiCaseless(m_columns.at(i).name, name))
            return i;
    }
    return -1;
}

void DataSet::addRow(QList<ReportValue> values)
{
    if (values.size() != m_columns.size())
        throw ReportError(u"数据行的列数不对: %1, 应为 %2"_s.arg(values.size()).arg(m_columns.size()));
    m_rows.append(std::move(values));
}

QString reportText(const ReportValue &value)
{
    struct Visitor
    {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const QString &v) const { return v; }
        QString operator()(qint64 v) const { return QString::number(v); }
        QString operator()(Money v) const { return v.toString(); }
        QString operator()(double v) const { return QString::number(v, 'g', QLocale::FloatingPointShortest); }
        QString operator()(const QDateTime &v) const { return DateTimeText::dateTime(v); }
        QString operator()(const QDate &v) const { return DateTimeText::date(v); }
        QString operator()(bool v) const { return v ? u"是"_s : u"否"_s; }
    };
    return std::visit(Visitor{}, value);
}
