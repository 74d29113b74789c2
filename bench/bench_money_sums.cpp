// How long the turnover sums take over years of bills, on the embedded database.
// Usage: bench_money_sums [bills]   (default 500000, five years of a busy venue)
#include "data/DeliveredDatabase.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 bills = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 500000;
    QTextStream out(stdout);
    QTemporaryDir dir;
    DeliveredDatabase::createAt(u"data.mdb"_s, dir.path());
    {
        const Database db = Database::open(u"Provider=SQLite;Data Source=data.mdb"_s, dir.path(), u"bench"_s);

        QElapsedTimer timer;
        timer.start();
        const QDateTime start(QDate(2021, 1, 1), QTime(10, 0));
        {
            Transaction tx(db);
            for (qint64 i = 0; i < bills; ++i) {
                const QDateTime at = start.addSecs(i * 300);
                db.execute(Statement::insert(u"结帐管理"_s,
                                             {{u"结帐单号"_s, SqlValue::text(QString::number(i + 1))},
                                              {u"手牌号码"_s, SqlValue::text(QString::number(i % 300))},
                                              {u"结帐时间"_s, SqlValue::dateTime(at)},
                                              {u"消费金额"_s, SqlValue::money(Money::fromRaw(1000000 + i % 977))},
                                              {u"实收金额"_s, SqlValue::money(Money::fromRaw(900000 + i % 977))},
                                              {u"状态"_s, SqlValue::text(i % 50 ? u"已结"_s : u"免单"_s)}}));
            }
            tx.commit();
        }
        db.execute(Statement(u"analyze"_s));
        out << bills << u" bills written in "_s << timer.elapsed() << u" ms"_s << Qt::endl;

        const auto measure = [&](const QString &label, const Statement &st) {
            QElapsedTimer t;
            t.start();
            const Money sum = db.moneyFrom(db.scalar(st));
            out << label << u": "_s << sum.toString() << u" in "_s << t.nsecsElapsed() / 1000 << u" µs"_s << Qt::endl;
        };
        measure(u"all-time turnover"_s,
                Statement(u"select sum(实收金额) from 结帐管理 where 状态="_s).text(u"已结"_s));
        measure(u"one month's turnover"_s, Statement(u"select sum(实收金额) from 结帐管理 where 状态="_s)
                                               .text(u"已结"_s)
                                               .sql(u" and 结帐时间>="_s)
                                               .date(QDate(2023, 3, 1))
                                               .sql(u" and 结帐时间<"_s)
                                               .date(QDate(2023, 4, 1)));
    }
    Database::remove(u"bench"_s);
    return 0;
}
