#include "DeliveredDatabase.h"

#include "db/PasswordHash.h"
#include "db/Schema.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

QString resourceText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(u"缺少数据库定义: "_s + path);
    return QString::fromUtf8(f.readAll());
}

QString adaptForKind(QString script, DbKind kind)
{
    // The delivered rows are written once, for SQLite and PostgreSQL; SQL Server
    // wants its keyword column in brackets.
    if (kind == DbKind::SqlServer)
        script.replace(u"\"add\""_s, u"[add]"_s);
    return script;
}

void insertDeliveredOperator(const Database &db)
{
    QList<std::pair<QString, SqlValue>> values{
        {u"用户名"_s, SqlValue::text(DeliveredDatabase::defaultOperatorName())},
        {u"密码"_s, SqlValue::text(PasswordHash::hash(DeliveredDatabase::defaultOperatorPassword()))},
    };
    for (const ColumnDef &c : Schema::table(u"管理员"_s)->columns) {
        if (c.kind == ColumnKind::Boolean)
            values.append({c.name, SqlValue::boolean(true)});
    }
    db.execute(Statement::insert(u"管理员"_s, values));
}

const QString CreateConnection = u"vesk-create-database"_s;

} // namespace

namespace DeliveredDatabase {

QString defaultOperatorPassword()
{
    return u"1"_s;
}

QString defaultOperatorName()
{
    return u"超级管理员"_s;
}

QString schemaScript(DbKind kind)
{
    switch (kind) {
    case DbKind::Sqlite:
        return resourceText(u":/data/schema_sqlite.sql"_s);
    case DbKind::PostgreSql:
        return resourceText(u":/data/schema_postgresql.sql"_s);
    case DbKind::SqlServer:
        return resourceText(u":/data/schema_sqlserver.sql"_s);
    }
    return {};
}

QByteArray deliveredIni()
{
    QFile f(u":/data/system.ini"_s);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool holdsTables(const Database &db)
{
    const QStringList present = db.tableNames();
    for (const TableDef &t : Schema::tables()) {
        for (const QString &name : present) {
            if (name.compare(t.name, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

QStringList missingTables(const Database &db)
{
    const QStringList present = db.tableNames();
    QStringList missing;
    for (const TableDef &t : Schema::tables()) {
        const bool found = std::any_of(present.cbegin(), present.cend(), [&t](const QString &name) {
            return name.compare(t.name, Qt::CaseInsensitive) == 0;
        });
        if (!found)
            missing.append(t.name);
    }
    return missing;
}

void addProgramTables(const Database &db)
{
    // The tables the program keeps beyond the system's own; the schema scripts create them last.
    static const QStringList programTables = {u"密码错误"_s};
    const QStringList missing = missingTables(db);
    QStringList wanted;
    for (const QString &table : programTables) {
        if (missing.contains(table))
            wanted << table;
    }
    if (wanted.isEmpty() || missing.size() > wanted.size())
        return;
    // The statements of the schema script that name a wanted table: its creation and its indexes.
    QString script;
    QString statement;
    for (const QString &line : schemaScript(db.kind()).split(u'\n')) {
        if (line.trimmed().startsWith(u"--"_s))
            continue;
        statement += line + u'\n';
        if (!line.trimmed().endsWith(u';'))
            continue;
        for (const QString &table : wanted) {
            if (statement.contains(u' ' + table + u' ') || statement.contains(u' ' + table + u'('))
                script += statement;
        }
        statement.clear();
    }
    Transaction tx(db);
    db.executeScript(script);
    tx.commit();
}

void create(const Database &db)
{
    if (holdsTables(db))
        throw DbError(u"目标数据库中已经有本系统的数据表,没有做任何改动."_s);
    {
        Transaction tx(db);
        db.executeScript(schemaScript(db.kind()));
        db.executeScript(adaptForKind(resourceText(u":/data/delivered.sql"_s), db.kind()));
        insertDeliveredOperator(db);
        tx.commit();
    }
    if (db.kind() != DbKind::SqlServer) {
        QSqlQuery q(db.handle());
        q.exec(u"analyze"_s);
    }
}

void createAt(const QString &target, const QString &baseDir)
{
    const bool isConnectionString = ConnectionString::parse(target).kind().has_value();
    QString connection = target;
    QString createdFile;
    if (!isConnectionString) {
        const QString path = QDir(baseDir).absoluteFilePath(target);
        if (!QFileInfo::exists(path)) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                throw DbError(u"无法创建数据库文件: "_s + QDir::toNativeSeparators(path), f.errorString());
            f.close();
            createdFile = path;
        }
        connection = ConnectionString::compose({{u"Provider"_s, u"SQLite"_s}, {u"Data Source"_s, path}});
    }
    try {
        std::exception_ptr failure;
        {
            const Database db = Database::open(connection, baseDir, CreateConnection);
            try {
                create(db);
            } catch (...) {
                failure = std::current_exception();
            }
        }
        Database::remove(CreateConnection); // only once no handle of it is left
        if (failure)
            std::rethrow_exception(failure);
    } catch (...) {
        if (!createdFile.isEmpty())
            QFile::remove(createdFile);
        throw;
    }
}

} // namespace DeliveredDatabase
