// The report screens at venue scale: each statement the query and report screens run, for one
// day, one month and all time, through the program's data layer and its grids, next to the same
// statement run by the sqlite3 C API on the same file, with the query plan SQLite chose for it.
// Prints markdown; see bench/README.md.
//
// Usage: bench_reports [--runs N] [--plans]
//   --runs N   runs of each statement (default 7; statements over a second run 3 times)
//   --plans    print EXPLAIN QUERY PLAN of every statement after the table
#include "RawSqlite.h"
#include "Venue.h"

#include "db/ConnectionString.h"
#include "queries/BillHistory.h"
#include "queries/Commissions.h"
#include "queries/ItemCount.h"
#include "queries/Turnover.h"
#include "widgets/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

QTextStream err(stderr);

struct Stats
{
    QList<double> ms;

    double median() const
    {
        QList<double> s = ms;
        std::sort(s.begin(), s.end());
        const qsizetype n = s.size();
        return n == 0 ? 0 : n % 2 ? s.at(n / 2) : (s.at(n / 2 - 1) + s.at(n / 2)) / 2;
    }
    double min() const { return *std::min_element(ms.begin(), ms.end()); }
    double max() const { return *std::max_element(ms.begin(), ms.end()); }
};

QString figure(double v)
{
    if (v >= 100)
        return QString::number(v, 'f', 0);
    if (v >= 10)
        return QString::number(v, 'f', 1);
    return QString::number(v, 'f', 2);
}

QString cell(const Stats &s)
{
    if (s.ms.isEmpty())
        return {};
    QString text = figure(s.median()) + u" ms"_s;
    if (s.ms.size() > 1)
        text += u" ("_s + figure(s.min()) + u"–"_s + figure(s.max()) + u")"_s;
    return text;
}

// One first run decides how many more: a statement over a second runs three times in all.
Stats measure(int runs, const std::function<void()> &action)
{
    Stats s;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        action();
        s.ms.append(double(t.nsecsElapsed()) / 1e6);
        if (i == 0 && s.ms.first() > 1000)
            runs = std::min(runs, 3);
    }
    return s;
}

// What the raw connection runs: the statement's text with its values bound as the data layer
// binds them on SQLite.
void bindAll(RawStatement &raw, const Database &db, const Statement &st)
{
    int hole = 1;
    for (const SqlValue &v : st.values()) {
        const QVariant bound = db.bindValue(v);
        if (bound.isNull())
            raw.bindNull(hole);
        else if (bound.typeId() == QMetaType::LongLong || bound.typeId() == QMetaType::Int)
            raw.bind(hole, bound.toLongLong());
        else if (bound.typeId() == QMetaType::Double)
            raw.bind(hole, bound.toDouble());
        else
            raw.bind(hole, bound.toString());
        ++hole;
    }
}

struct Row
{
    QString report;
    QString what;
    QString span;
    QString target;
    Stats vesk;
    Stats raw;
    qint64 rows = -1;
    QString plan;
};

QString planOf(RawSqlite &raw, const Database &db, const QString &sql, const Statement &values)
{
    RawStatement st(raw.handle(), u"explain query plan "_s + sql);
    bindAll(st, db, values);
    QStringList lines;
    while (st.step())
        lines << st.text(3);
    st.reset();
    return lines.join(u"; "_s);
}

// A statement read to its end through the data layer (Cursor, every column as the program reads
// it) and through the raw connection (every column stepped over).
Row statementRow(const QString &report, const QString &what, const QString &span, const QString &target,
                 const Database &db, RawSqlite &raw, const Statement &st, int runs)
{
    Row r{report, what, span, target, {}, {}, 0, {}};
    err << report << u": "_s << what << u", "_s << span << Qt::endl;
    r.vesk = measure(runs, [&] {
        Cursor c = db.query(st);
        const int columns = c.record().count();
        qint64 n = 0;
        while (c.next()) {
            for (int i = 0; i < columns; ++i)
                (void)c.raw(i);
            ++n;
        }
        r.rows = n;
    });
    RawStatement rs(raw.handle(), st.preparedText());
    r.raw = measure(runs, [&] {
        bindAll(rs, db, st);
        qint64 n = 0;
        while (rs.step()) {
            for (int i = 0; i < rs.columnCount(); ++i)
                (void)rs.text(i);
            ++n;
        }
        rs.reset();
    });
    r.plan = planOf(raw, db, st.preparedText(), st);
    return r;
}

// A report grid opened over the statement until its first rows are shown, as the screen opens
// it (count and footer sums included), next to raw SQLite counting the result and reading the
// same first block in the grid's order.
Row gridRow(const QString &report, const QString &what, const QString &span, const QString &target,
            const Database &db, RawSqlite &raw, const Statement &st, const QList<GridColumn> &columns,
            bool footer, const QString &gridOrder, const QString &orderField, int runs)
{
    Row r{report, what, span, target, {}, {}, 0, {}};
    err << report << u": "_s << what << u", "_s << span << u" (grid)"_s << Qt::endl;
    DataGrid grid;
    grid.setDatabase(db);
    grid.setColumns(columns);
    grid.setFooterVisible(footer);
    r.vesk = measure(runs, [&] {
        grid.setQuery(st, gridOrder);
        r.rows = grid.totalCount();
    });
    QStringList sums;
    if (footer) {
        for (const GridColumn &c : columns) {
            if (c.summed)
                sums << u", sum("_s + c.field + u")"_s;
        }
    }
    const QString inner = st.preparedText();
    RawStatement count(raw.handle(),
                       u"select count(*)"_s + sums.join(QString()) + u" from ("_s + inner + u") as t"_s);
    RawStatement page(raw.handle(),
                      u"select * from ("_s + inner + u") as t order by "_s + orderField + u" limit 256"_s);
    r.raw = measure(runs, [&] {
        bindAll(count, db, st);
        count.step();
        count.reset();
        bindAll(page, db, st);
        while (page.step())
            (void)page.text(0);
        page.reset();
    });
    r.plan = planOf(raw, db,
                    u"select * from ("_s + inner + u") as t order by "_s + orderField + u" limit 256"_s, st);
    return r;
}

void printRows(QTextStream &out, const QList<Row> &rows)
{
    out << u"| screen | statement | span | target | rows | vesk: median (min–max) | raw SQLite: median (min–max) | vesk / raw |"_s
        << Qt::endl;
    out << u"|---|---|---|---|---|---|---|---|"_s << Qt::endl;
    for (const Row &r : rows) {
        QString ratio;
        if (!r.vesk.ms.isEmpty() && !r.raw.ms.isEmpty() && r.raw.median() > 0)
            ratio = QString::number(r.vesk.median() / r.raw.median(), 'f', 2) + u"×"_s;
        out << u"| "_s << r.report << u" | "_s << r.what << u" | "_s << r.span << u" | "_s << r.target
            << u" | "_s << r.rows << u" | "_s << cell(r.vesk) << u" | "_s << cell(r.raw) << u" | "_s << ratio
            << u" |"_s << Qt::endl;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 7;
    bool plans = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == u"--runs"_s && i + 1 < args.size())
            runs = args.at(++i).toInt();
        else if (args.at(i) == u"--plans"_s)
            plans = true;
    }
    QTextStream out(stdout);
    try {
        const Venue::Place venue =
            Venue::ensure(Venue::Kind::Sqlite, Venue::DefaultSeed, Venue::Size::full(), &err);
        // The program's connection turns the file to WAL: it works on a copy, as the counter
        // bench does, and leaves the cached venue as it was made.
        QTemporaryDir dir(QDir(Venue::cacheDir()).filePath(u"reports-XXXXXX"_s));
        const QString work = dir.filePath(u"data.mdb"_s);
        err << u"copying the venue"_s << Qt::endl;
        if (!QFile::copy(venue.path, work))
            throw std::runtime_error("cannot copy the venue");
        QFile::setPermissions(work, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const Database db = Database::open(
            ConnectionString::compose({{u"Provider"_s, u"SQLite"_s}, {u"Data Source"_s, work}}), {},
            u"bench"_s);
        RawSqlite raw(work);

        const QDate last = venue.lastDay;
        const Period day = Period::day(last.addDays(-1));
        const Period month(last.addDays(-1).addMonths(-1).addDays(1), last.addDays(-1));
        const Period all(last.addYears(-10), last);
        const QList<std::pair<QString, Period>> spans = {
            {u"one day"_s, day}, {u"one month"_s, month}, {u"all time"_s, all}};
        const auto target = [](const QString &span) {
            return span == u"one day"_s ? u"< 300 ms"_s : span == u"one month"_s ? u"< 300 ms"_s : u"< 1 s"_s;
        };

        const QList<GridColumn> recordColumns = GridColumns(Turnover::Table)
                                                    .rowNumber()
                                                    .add(u"结帐单号"_s, 90)
                                                    .add(u"顾客姓名"_s, 90)
                                                    .add(u"结帐方式"_s, 80)
                                                    .add(u"结帐时间"_s, 140)
                                                    .add(u"营业员"_s, 80)
                                                    .summed(u"实收金额"_s, 80)
                                                    .summed(u"消费金额"_s, 80);
        const QList<GridColumn> itemColumns = GridColumns(ItemCount::Table)
                                                  .add(u"消费项目"_s, 160)
                                                  .computed(ItemCount::Quantity, ColumnKind::Integer, 90)
                                                  .computed(ItemCount::Amount, ColumnKind::Money, 90);
        const QList<GridColumn> detailColumns = GridColumns(BillHistory::Details)
                                                    .rowNumber()
                                                    .add(u"单据号"_s, 80)
                                                    .add(u"消费项目"_s, 120)
                                                    .summed(u"消费单价"_s, 70)
                                                    .add(u"消费数量"_s, 60)
                                                    .summed(u"消费金额"_s, 70)
                                                    .add(u"消费时间"_s, 140);
        const QList<GridColumn> totalColumns =
            GridColumns(Commissions::Table)
                .add(u"编号"_s, 80)
                .computed(Commissions::Total, ColumnKind::Money, 90, {}, true);
        const QList<GridColumn> commissionColumns = GridColumns(Commissions::Table)
                                                        .rowNumber()
                                                        .add(u"编号"_s, 60)
                                                        .add(u"姓名"_s, 80)
                                                        .add(u"结帐时间"_s, 90)
                                                        .add(u"单据号"_s, 80)
                                                        .summed(u"提成金额"_s, 80);

        QList<Row> rows;
        for (const auto &[span, period] : spans) {
            rows << statementRow(u"营业额查询"_s, u"turnover: sum(实收金额) of settled bills"_s, span,
                                 target(span), db, raw, Turnover::sum(period), runs);
            rows << gridRow(u"营业额查询"_s, u"settled bills: count, sums, first rows"_s, span, u"< 100 ms"_s,
                            db, raw, Turnover::records(period), recordColumns, true, u"结帐时间"_s,
                            u"结帐时间, id"_s, runs);
            rows << statementRow(u"营业项目统计"_s, u"items of the period, grouped (every row)"_s, span,
                                 target(span), db, raw, ItemCount::period(period), runs);
            rows << gridRow(u"营业项目统计"_s, u"items of the period: count, first rows"_s, span,
                            u"< 100 ms"_s, db, raw, ItemCount::period(period), itemColumns, false, QString(),
                            u"消费项目"_s, runs);
            rows << gridRow(u"历史消费明细查询"_s, u"settled details: count, sums, first rows"_s, span,
                            u"< 100 ms"_s, db, raw, BillHistory::details(period), detailColumns, true,
                            u"消费时间"_s, u"消费时间, ID"_s, runs);
            rows << statementRow(u"服务生提成统计"_s, u"commission per waiter (every row)"_s, span,
                                 target(span), db, raw, Commissions::totals(period), runs);
        }
        rows << statementRow(u"营业项目统计"_s, u"items of all time, grouped (every row)"_s, u"all time"_s,
                             u"< 1 s"_s, db, raw, ItemCount::allTime(), runs);
        rows << gridRow(u"营业项目统计"_s, u"items of all time: count, first rows"_s, u"all time"_s,
                        u"< 1 s"_s, db, raw, ItemCount::allTime(), itemColumns, false, QString(),
                        u"消费项目"_s, runs);
        rows << statementRow(u"服务生提成统计"_s, u"commission per waiter, all time (on show)"_s,
                             u"all time"_s, u"< 1 s"_s, db, raw, Commissions::totals(), runs);
        rows << gridRow(u"服务生提成统计"_s, u"per waiter, all time: count, sum, first rows"_s, u"all time"_s,
                        u"< 1 s"_s, db, raw, Commissions::totals(), totalColumns, true, QString(), u"编号"_s,
                        runs);
        rows << gridRow(u"服务生提成明细"_s, u"every row: count, sum, first rows"_s, u"all time"_s,
                        u"< 100 ms"_s, db, raw, Commissions::rows(), commissionColumns, true, QString(),
                        u"id"_s, runs);
        rows << gridRow(u"服务生提成明细"_s, u"编号 = F007: count, sum, first rows"_s, u"all time"_s,
                        u"< 100 ms"_s, db, raw, Commissions::search(u"编号"_s, u"F007"_s), commissionColumns,
                        true, QString(), u"id"_s, runs);
        rows << gridRow(u"历史消费明细查询"_s, u"服务生编号 = F007 and the month"_s, u"one month"_s,
                        u"< 100 ms"_s, db, raw, BillHistory::searchDetails(u"服务生编号"_s, u"F007"_s, month),
                        detailColumns, true, QString(), u"ID"_s, runs);
        rows << gridRow(
            u"历史消费明细查询"_s, u"消费项目 = one item, all time"_s, u"all time"_s, u"< 100 ms"_s, db, raw,
            BillHistory::searchDetails(
                u"消费项目"_s, raw.textOf(u"select 消费项目 from 结帐明细 where ID = 1000"_s), std::nullopt),
            detailColumns, true, QString(), u"ID"_s, runs);
        rows << gridRow(u"历史帐单信息查询"_s, u"every record: count, sums, first rows"_s, u"all time"_s,
                        u"< 100 ms"_s, db, raw, BillHistory::records(), recordColumns, true, QString(),
                        u"id"_s, runs);
        rows << gridRow(u"历史帐单信息查询"_s, u"结帐单号 like %123456%"_s, u"all time"_s, u"< 1 s"_s, db,
                        raw, BillHistory::searchRecords(u"结帐单号"_s, u"123456"_s), recordColumns, true,
                        QString(), u"id"_s, runs);
        rows << gridRow(u"历史帐单信息查询"_s, u"手牌号码 like %A001%"_s, u"all time"_s, u"< 1 s"_s, db, raw,
                        BillHistory::searchRecords(u"手牌号码"_s, u"A001"_s), recordColumns, true, QString(),
                        u"id"_s, runs);
        rows << gridRow(u"历史帐单信息查询"_s, u"顾客姓名 like %张%"_s, u"all time"_s, u"< 1 s"_s, db, raw,
                        BillHistory::searchRecords(u"顾客姓名"_s, u"张"_s), recordColumns, true, QString(),
                        u"id"_s, runs);

        out << u"## The report screens at venue scale"_s << Qt::endl << Qt::endl;
        out << u"Venue: "_s << QFileInfo(venue.path).fileName() << u", last day "_s
            << last.toString(Qt::ISODate) << u"; the day and month end the day before. "_s << runs
            << u" runs each (3 when over a second)."_s << Qt::endl
            << Qt::endl;
        printRows(out, rows);
        if (plans) {
            out << Qt::endl
                << u"### Query plans (EXPLAIN QUERY PLAN of the statement as the raw column runs it)"_s
                << Qt::endl
                << Qt::endl;
            QSet<QString> seen;
            for (const Row &r : rows) {
                const QString key = r.report + r.what;
                if (seen.contains(key))
                    continue;
                seen.insert(key);
                out << u"- "_s << r.report << u", "_s << r.what << u": `"_s << r.plan << u"`"_s << Qt::endl;
            }
        }
        Database::remove(u"bench"_s);
    } catch (const DbError &e) {
        err << u"failed: "_s << QString::fromUtf8(e.what()) << Qt::endl;
        return 1;
    } catch (const std::exception &e) {
        err << u"failed: "_s << QString::fromUtf8(e.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
