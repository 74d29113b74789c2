#include "Transaction.h"

#include <QSqlError>

using namespace Qt::StringLiterals;

namespace {

// SQLite takes the write lock at the start, so a second counter waits for it
// (busy time-out) instead of failing half way when it tries to write.
void runSqlite(const Database &db, const QString &sql)
{
    QSqlQuery q(db.handle());
    if (!q.exec(sql))
        db.fail(u"数据库事务失败"_s, q.lastError().text(), sql);
}

} // namespace

Transaction::Transaction(const Database &db) : m_db(db)
{
    m_db.reopenIfLost();
    if (m_db.kind() == DbKind::Sqlite) {
        runSqlite(m_db, u"begin immediate"_s);
    } else {
        QSqlDatabase h = m_db.handle();
        if (!h.transaction())
            m_db.fail(u"数据库事务失败"_s, h.lastError().text(), u"begin"_s);
    }
    m_active = true;
}

Transaction::~Transaction()
{
    if (m_active)
        rollback();
}

void Transaction::commit()
{
    m_active = false;
    if (m_db.kind() == DbKind::Sqlite) {
        try {
            runSqlite(m_db, u"commit"_s);
        } catch (...) {
            rollback();
            throw;
        }
        return;
    }
    QSqlDatabase h = m_db.handle();
    if (!h.commit()) {
        const QString err = h.lastError().text();
        h.rollback();
        m_db.fail(u"数据库事务失败"_s, err, u"commit"_s);
    }
}

void Transaction::rollback() noexcept
{
    m_active = false;
    if (m_db.kind() == DbKind::Sqlite) {
        QSqlQuery q(m_db.handle());
        q.exec(u"rollback"_s);
    } else if (m_db.isOpen()) { // a connection lost meanwhile took its transaction with it
        m_db.handle().rollback();
    }
}
