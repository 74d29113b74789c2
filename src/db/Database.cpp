#include "Database.h"

#include "DateTimeText.h"
#include "Schema.h"
#include "StatementCache.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

using namespace Qt::StringLiterals;

namespace {

QString shownStatement(const Statement &st)
{
    return st.display(u"'"_s, u"'"_s);
}

// Text as typed or pasted may carry control characters; a NUL ends the text on PostgreSQL and
// none of them means anything in a name or a remark. Tabs and line ends stay.
QString printable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x20 && u != 0x7f) || u == u'\t' || u == u'\n' || u == u'\r')
            out.append(c);
    }
    return out;
}

[[noreturn]] void throwOpenFailure(const QString &connectionName, const QString &why)
{
    QSqlDatabase::removeDatabase(connectionName);
    throw DbError(u"数据库连接失败"_s, why);
}

// The embedded file keeps a write-ahead log: a commit appends to the log and syncs it once,
// instead of syncing a rollback journal and the database file, and readers never wait for a
// writer. synchronous=FULL syncs the log at every commit, so a settled bill survives a power cut
// (NORMAL would sync only at checkpoints and could lose the last bills of the day). The mode is
// kept in the file itself; synchronous holds for this connection.
void configureSqlite(const QSqlDatabase &db)
{
    // A file that is no database refuses this; the first statement then says what it is.
    QSqlQuery(u"pragma journal_mode=WAL"_s, db);
    QSqlQuery(u"pragma synchronous=FULL"_s, db);
}

} // namespace

Database Database::open(const QString &connectionString, const QString &baseDir,
                        const QString &connectionName, int timeoutSeconds)
{
    const ConnectionString cs = ConnectionString::parse(connectionString);
    const std::optional<DbKind> kind = cs.kind();
    if (!kind)
        throw DbError(u"数据库连接失败"_s, u"连接字符串没有可用的数据库类型: "_s + connectionString);
    if (QSqlDatabase::contains(connectionName))
        remove(connectionName);

    QSqlDatabase db;
    switch (*kind) {
    case DbKind::Sqlite: {
        const QString source = cs.value(u"Data Source"_s).trimmed();
        if (source.isEmpty())
            throw DbError(u"数据库连接失败"_s, u"连接字符串没有指定数据库文件"_s);
        const QString path = QDir(baseDir).absoluteFilePath(source);
        // Opening must never create an empty database in place of a missing one.
        if (!QFileInfo(path).isFile())
            throw DbError(u"数据库连接失败"_s, u"找不到数据库文件: "_s + QDir::toNativeSeparators(path));
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(
            u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(timeoutSeconds > 0 ? timeoutSeconds * 1000 : 10000));
        break;
    }
    case DbKind::PostgreSql: {
        db = QSqlDatabase::addDatabase(u"QPSQL"_s, connectionName);
        QString host = cs.value(u"Data Source"_s).trimmed();
        // "host:port" unless it is a socket folder
        const qsizetype colon = host.lastIndexOf(u':');
        if (colon > 0 && !host.startsWith(u'/')) {
            db.setPort(host.mid(colon + 1).toInt());
            host.truncate(colon);
        }
        if (cs.contains(u"Port"_s))
            db.setPort(cs.value(u"Port"_s).toInt());
        db.setHostName(host);
        db.setDatabaseName(cs.value(u"Initial Catalog"_s));
        db.setUserName(cs.value(u"User ID"_s));
        db.setPassword(cs.value(u"Password"_s));
        if (timeoutSeconds > 0)
            db.setConnectOptions(u"connect_timeout=%1"_s.arg(timeoutSeconds));
        break;
    }
    case DbKind::SqlServer: {
        db = QSqlDatabase::addDatabase(u"QODBC"_s, connectionName);
        QString host = cs.value(u"Data Source"_s).trimmed();
        QString port = u"1433"_s;
        const qsizetype comma = host.lastIndexOf(u',');
        if (comma > 0) {
            port = host.mid(comma + 1).trimmed();
            host.truncate(comma);
        }
        const QString odbc = ConnectionString::compose({
            {u"DRIVER"_s, u"{FreeTDS}"_s},
            {u"SERVER"_s, host},
            {u"PORT"_s, port},
            {u"DATABASE"_s, cs.value(u"Initial Catalog"_s)},
            {u"UID"_s, cs.value(u"User ID"_s)},
            {u"PWD"_s, cs.value(u"Password"_s)},
            {u"TDS_Version"_s, u"7.4"_s},
            {u"ClientCharset"_s, u"UTF-8"_s},
        });
        db.setDatabaseName(odbc);
        if (timeoutSeconds > 0)
            db.setConnectOptions(
                u"SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1"_s.arg(timeoutSeconds));
        break;
    }
    }
    // Decimal columns come back as text, so money is never read through a double.
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open()) {
        const QString why = db.lastError().text();
        db = QSqlDatabase();
        throwOpenFailure(connectionName, why);
    }
    if (*kind == DbKind::Sqlite)
        configureSqlite(db);
    return Database(db, *kind);
}

namespace {

void checkpointAndClose(QSqlDatabase db)
{
    if (!db.isOpen())
        return;
    // Moves the write-ahead log into the file and empties it, so that the data is whole in
    // data.mdb alone (what a copy of the folder takes). SQLite also does this when its last
    // connection closes; asking for it here does it while other counters still have the file
    // open. A checkpoint that cannot finish now is done by a later one.
    StatementCache::forget(db.connectionName());
    if (db.driverName() == u"QSQLITE"_s)
        QSqlQuery(u"pragma wal_checkpoint(TRUNCATE)"_s, db);
    db.close();
}

} // namespace

void Database::remove(const QString &connectionName)
{
    checkpointAndClose(QSqlDatabase::database(connectionName, false));
    StatementCache::forget(connectionName);
    QSqlDatabase::removeDatabase(connectionName);
}

void Database::close() const
{
    if (m_db.isValid())
        checkpointAndClose(m_db);
    StatementCache::forget(m_db.connectionName());
}

QString Database::filePath() const
{
    if (m_kind != DbKind::Sqlite || !m_db.isValid())
        return {};
    return QFileInfo(m_db.databaseName()).absoluteFilePath();
}

void Database::reopenIfLost() const
{
    if (!m_db.isValid() || m_db.isOpen())
        return;
    StatementCache::forget(m_db.connectionName());
    QSqlDatabase handle = m_db;
    if (!handle.open())
        throw DbError(u"无法连接数据库服务器,本次操作没有完成.请检查网络和服务器后重试."_s,
                      handle.lastError().text());
    if (m_kind == DbKind::Sqlite)
        configureSqlite(handle);
}

void Database::fail(const QString &generic, const QString &driverText, const QString &statement) const
{
    const DbError error = DbError::failure(generic, driverText, statement);
    if (error.fault() == DbFault::ConnectionLost) {
        StatementCache::forget(m_db.connectionName());
        QSqlDatabase handle = m_db;
        handle.close();
    }
    throw error;
}

Database::Prepared Database::prepare(const Statement &statement) const
{
    reopenIfLost();
    Prepared p;
    p.sql = statement.preparedText();
    StatementCache::Taken taken = StatementCache::take(m_db, p.sql);
    if (!taken.prepared)
        fail(u"数据库操作失败"_s, taken.query.lastError().text(), shownStatement(statement));
    p.query = std::move(taken.query);
    p.generation = taken.generation;
    const QList<SqlValue> &values = statement.values();
    for (qsizetype i = 0; i < values.size(); ++i)
        p.query.bindValue(int(i), bindValue(values.at(i)));
    return p;
}

void Database::release(Prepared &&prepared) const
{
    StatementCache::give(m_db, prepared.sql, std::move(prepared.query), prepared.generation);
}

Cursor Database::query(const Statement &statement) const
{
    Prepared p = prepare(statement);
    if (!p.query.exec())
        fail(u"数据库操作失败"_s, p.query.lastError().text(), shownStatement(statement));
    return Cursor(*this, std::move(p.query), std::move(p.sql), p.generation);
}

int Database::execute(const Statement &statement) const
{
    Prepared p = prepare(statement);
    if (!p.query.exec())
        fail(u"数据库操作失败"_s, p.query.lastError().text(), shownStatement(statement));
    const int touched = p.query.numRowsAffected();
    release(std::move(p));
    return touched;
}

void Database::executeScript(const QString &script) const
{
    QString current;
    const QStringList lines = script.split(u'\n');
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u"--"_s))
            continue;
        current += rawLine + u'\n';
        if (line.endsWith(u';')) {
            QSqlQuery q(m_db);
            const QString sql = current.trimmed().chopped(1);
            if (!q.exec(sql))
                fail(u"数据库操作失败"_s, q.lastError().text(), sql);
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty()) {
        QSqlQuery q(m_db);
        if (!q.exec(current))
            fail(u"数据库操作失败"_s, q.lastError().text(), current);
    }
}

QVariant Database::scalar(const Statement &statement) const
{
    Cursor c = query(statement);
    if (!c.next())
        return {};
    return c.raw(0);
}

qint64 Database::insert(const QString &table, const QList<std::pair<QString, SqlValue>> &values) const
{
    const QString rowNumber = Schema::rowNumberColumn(table);
    if (rowNumber.isEmpty())
        throw DbError(u"数据库操作失败"_s, u"表 "_s + table + u" 没有行号"_s);
    const Dialect d = dialect();
    const Statement st = d.insertReturningRowNumber(table, values, rowNumber);
    if (d.returnsRowNumber())
        return scalar(st).toLongLong();
    // SQLite: the connection's own last row number, read from the statement that inserted.
    Prepared p = prepare(st);
    if (!p.query.exec())
        fail(u"数据库操作失败"_s, p.query.lastError().text(), shownStatement(st));
    const qint64 id = p.query.lastInsertId().toLongLong();
    release(std::move(p));
    return id;
}

QVariant Database::bindValue(const SqlValue &value) const
{
    switch (value.kind()) {
    case SqlValue::Kind::Null:
        return QVariant();
    case SqlValue::Kind::Text:
        return printable(value.textValue());
    case SqlValue::Kind::Integer:
        return value.integerValue();
    case SqlValue::Kind::Real:
        return value.realValue();
    case SqlValue::Kind::Money:
        // SQLite keeps ten-thousandths in an INTEGER; the servers take the decimal text.
        if (m_kind == DbKind::Sqlite)
            return value.moneyValue().raw();
        return value.moneyValue().toFixedString();
    case SqlValue::Kind::Boolean:
        if (m_kind == DbKind::Sqlite)
            return value.booleanValue() ? 1 : 0;
        return value.booleanValue();
    case SqlValue::Kind::Date:
        return value.dateValue().isValid() ? QVariant(DateTimeText::date(value.dateValue())) : QVariant();
    case SqlValue::Kind::DateTime:
        return value.dateTimeValue().isValid() ? QVariant(DateTimeText::dateTime(value.dateTimeValue()))
                                               : QVariant();
    }
    return {};
}

Money Database::moneyFrom(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return Money();
    switch (stored.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return m_kind == DbKind::Sqlite ? Money::fromRaw(stored.toLongLong())
                                        : Money::fromUnits(stored.toLongLong());
    case QMetaType::Double:
        if (m_kind == DbKind::Sqlite) // an average or a value written by hand
            return Money::fromRaw(qint64(std::llround(stored.toDouble())));
        return Money::parse(QString::number(stored.toDouble(), 'f', 4)).value_or(Money());
    default:
        return Money::parse(stored.toString()).value_or(Money());
    }
}

QDateTime Database::dateTimeFrom(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return {};
    if (stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime();
    if (stored.typeId() == QMetaType::QDate)
        return stored.toDate().startOfDay();
    return DateTimeText::parseDateTime(stored.toString());
}

QDate Database::dateFrom(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return {};
    if (stored.typeId() == QMetaType::QDate)
        return stored.toDate();
    if (stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime().date();
    return DateTimeText::parseDate(stored.toString());
}

bool Database::booleanFrom(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return false;
    if (stored.typeId() == QMetaType::QString) {
        const QString t = stored.toString().trimmed().toLower();
        return t == u"1"_s || t == u"true"_s || t == u"t"_s || t == u"-1"_s;
    }
    return stored.toLongLong() != 0;
}

QStringList Database::tableNames() const
{
    return m_db.tables(QSql::Tables);
}

Cursor::Cursor(const Database &db, QSqlQuery query, QString sql, quint64 generation)
    : m_db(db), m_query(std::move(query)), m_sql(std::move(sql)), m_generation(generation)
{
}

Cursor::~Cursor()
{
    if (!m_sql.isEmpty())
        m_db.release(Database::Prepared{std::move(m_query), std::move(m_sql), m_generation});
}

int Cursor::indexOf(const QString &column) const
{
    const int i = m_query.record().indexOf(column);
    if (i < 0)
        throw DbError(u"没有这个字段:"_s + column);
    return i;
}

bool Cursor::isNull(const QString &column) const
{
    return m_query.isNull(indexOf(column));
}

QVariant Cursor::raw(const QString &column) const
{
    return m_query.value(indexOf(column));
}

QString Cursor::text(const QString &column) const
{
    return raw(column).toString();
}

qint64 Cursor::integer(const QString &column) const
{
    return raw(column).toLongLong();
}

double Cursor::real(const QString &column) const
{
    return raw(column).toDouble();
}

Money Cursor::money(const QString &column) const
{
    return m_db.moneyFrom(raw(column));
}

bool Cursor::boolean(const QString &column) const
{
    return m_db.booleanFrom(raw(column));
}

QDateTime Cursor::dateTime(const QString &column) const
{
    return m_db.dateTimeFrom(raw(column));
}

QDate Cursor::date(const QString &column) const
{
    return m_db.dateFrom(raw(column));
}
