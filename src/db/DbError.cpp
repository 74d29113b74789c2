#include "DbError.h"

using namespace Qt::StringLiterals;

DbError::DbError(QString message, QString driverText, QString statement)
    : m_message(std::move(message)), m_driverText(std::move(driverText)), m_statement(std::move(statement))
{
    QString all = text();
    if (!m_statement.isEmpty())
        all += u"\n"_s + m_statement;
    m_what = all.toUtf8();
}

DbError DbError::failure(const QString &generic, const QString &driverText, const QString &statement)
{
    const DbFault fault = faultOf(driverText);
    DbError e(fault == DbFault::Other ? generic : advice(fault), driverText, statement);
    e.m_fault = fault;
    return e;
}

DbFault DbError::faultOf(const QString &driverText)
{
    const QString t = driverText.toLower();
    const auto any = [&t](std::initializer_list<const char16_t *> words) {
        for (const char16_t *w : words) {
            if (t.contains(QStringView(w)))
                return true;
        }
        return false;
    };
    // The drivers' own words: SQLite, PostgreSQL, SQL Server through ODBC.
    if (any({u"driver not loaded", u"data source name not found", u"can't open lib"}))
        return DbFault::DriverMissing;
    if (any({u"server closed the connection", u"no connection to the server", u"terminating connection",
             u"connection to server", u"could not receive data", u"could not send data", u"ssl syscall",
             u"communication link failure", u"08s01"}))
        return DbFault::ConnectionLost;
    if (any({u"database is locked", u"database table is locked", u"lock request time out"}))
        return DbFault::Locked;
    if (any({u"readonly database", u"read-only", u"attempt to write a readonly"}))
        return DbFault::ReadOnly;
    if (any({u"database or disk is full", u"disk is full", u"no space left", u"could not extend file"}))
        return DbFault::DiskFull;
    if (any({u"file is not a database", u"file is encrypted", u"malformed"}))
        return DbFault::NotOurs;
    if (any({u"unable to open database file", u"disk i/o error"}))
        return DbFault::CannotOpen;
    if (any({u"no such table", u"invalid object name"}) || (t.contains(u"relation") && t.contains(u"does not exist")))
        return DbFault::MissingTable;
    return DbFault::Other;
}

QString DbError::advice(DbFault fault)
{
    switch (fault) {
    case DbFault::Other:
        break;
    case DbFault::Locked:
        return u"数据库正被其他收银台使用,等了10秒仍未轮到.本次操作没有完成,请稍后再试."_s;
    case DbFault::ReadOnly:
        return u"数据库文件不能写入(只读),本次操作没有完成.请检查数据库文件及其文件夹的权限."_s;
    case DbFault::NotOurs:
        return u"数据库文件已损坏或不是本系统的数据库.请在\"数据库设置\"中选择正确的数据库,或从备份恢复."_s;
    case DbFault::CannotOpen:
        return u"无法打开数据库文件(可能已被删除、移动或没有权限),本次操作没有完成.请在\"数据库设置\"中检查数据库文件."_s;
    case DbFault::MissingTable:
        return u"数据库中没有本系统的表,不是本系统的数据库.请在\"数据库设置\"中选择正确的数据库."_s;
    case DbFault::DriverMissing:
        return u"缺少数据库驱动程序,无法使用数据库.请重新安装本系统."_s;
    case DbFault::ConnectionLost:
        return u"与数据库服务器的连接已断开,本次操作没有完成.下一次操作时将重新连接,请检查网络和服务器后重试."_s;
    case DbFault::DiskFull:
        return u"磁盘已满,本次操作没有完成.请清理磁盘空间后重试."_s;
    }
    return {};
}

QString DbError::text() const
{
    if (m_driverText.trimmed().isEmpty() || m_driverText == m_message)
        return m_message;
    if (m_message.isEmpty())
        return m_driverText;
    return m_message + u"\n"_s + m_driverText;
}
