// What a cashier waits for at venue scale: every counter action timed through the program's own
// code paths on a copy of the bench venue (bench/Venue.h), next to the same statements run by
// the sqlite3 C API, each prepared once. Prints a markdown table; see bench/README.md.
//
// Usage: bench_counter [--postgresql] [--runs N]
//   --postgresql  also on the database VESK_BENCH_PG names (rows where it applies, no raw column)
//   --runs N      runs of each quick action (default 15; the slow ones take fewer)
#include "RawSqlite.h"
#include "Venue.h"

#include "billing/AddConsumeUt.h"
#include "billing/Checkout.h"
#include "billing/Consumption.h"
#include "billing/OpenBill.h"
#include "card/CardReader.h"
#include "card/ReaderDevice.h"
#include "data/TagState.h"
#include "db/DateTimeText.h"
#include "db/PasswordHash.h"
#include "session/RunState.h"
#include "setup/Tags.h"
#include "setup/XmUt.h"
#include "widgets/DataGrid.h"
#include "widgets/Prompt.h"
#include "widgets/ScreenContext.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTableView>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include <time.h>

using namespace Qt::StringLiterals;

namespace {

QTextStream err(stderr);

// A bench has nobody to answer a message box; what would have been shown is printed.
class SilentPrompt : public Prompt
{
public:
    void message(QWidget *, const QString &text, Icon) override
    {
        err << u"[message] "_s << text << Qt::endl;
    }
    bool confirm(QWidget *, const QString &, const QString &) override { return true; }
    std::optional<QString> inputText(QWidget *, const QString &, const QString &, const QString &,
                                     bool) override
    {
        return std::nullopt;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};

struct Stats
{
    QList<double> ms;
    QString note; // instead of figures: "> 20 s (stopped)"

    bool empty() const { return ms.isEmpty() && note.isEmpty(); }
    double median() const
    {
        QList<double> s = ms;
        std::sort(s.begin(), s.end());
        const qsizetype n = s.size();
        return n % 2 ? s.at(n / 2) : (s.at(n / 2 - 1) + s.at(n / 2)) / 2;
    }
    double min() const { return *std::min_element(ms.begin(), ms.end()); }
    double max() const { return *std::max_element(ms.begin(), ms.end()); }
};

struct TableRow
{
    TableRow(QString action, QString target) : action(std::move(action)), target(std::move(target)) {}

    QString action;
    QString target;
    Stats vesk;
    Stats raw;
    QString unit = u"ms"_s;
};

QString figure(double v)
{
    if (v >= 100)
        return QString::number(v, 'f', 0);
    if (v >= 10)
        return QString::number(v, 'f', 1);
    return QString::number(v, 'f', 2);
}

QString cell(const Stats &s, const QString &unit)
{
    if (!s.note.isEmpty())
        return s.note;
    if (s.ms.isEmpty())
        return {};
    QString text = figure(s.median()) + u" "_s + unit;
    if (s.ms.size() > 1)
        text += u" ("_s + figure(s.min()) + u"–"_s + figure(s.max()) + u")"_s;
    return text;
}

void printTable(QTextStream &out, const QString &title, const QList<TableRow> &rows, bool withRaw)
{
    out << Qt::endl << u"### "_s << title << Qt::endl << Qt::endl;
    if (withRaw) {
        out << u"| action | target | vesk: median (min–max) | raw SQLite: median (min–max) | vesk / raw |"_s
            << Qt::endl;
        out << u"|---|---|---|---|---|"_s << Qt::endl;
    } else {
        out << u"| action | target | vesk: median (min–max) |"_s << Qt::endl;
        out << u"|---|---|---|"_s << Qt::endl;
    }
    for (const TableRow &r : rows) {
        out << u"| "_s << r.action << u" | "_s << r.target << u" | "_s << cell(r.vesk, r.unit);
        if (withRaw) {
            QString ratio;
            if (!r.vesk.ms.isEmpty() && !r.raw.ms.isEmpty() && r.raw.median() > 0)
                ratio = QString::number(r.vesk.median() / r.raw.median(), 'f', 1) + u"×"_s;
            out << u" | "_s << cell(r.raw, r.unit) << u" | "_s << ratio;
        }
        out << u" |"_s << Qt::endl;
    }
}

double elapsedMs(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Runs the action `runs` times, each after its untimed preparation.
Stats measure(int runs, const std::function<void(int)> &prepare, const std::function<void(int)> &action)
{
    Stats s;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare(i);
        QElapsedTimer t;
        t.start();
        action(i);
        s.ms.append(elapsedMs(t));
    }
    return s;
}

// Quick actions run often; one that takes seconds runs three times.
int runsFor(const Stats &first, int quickRuns)
{
    return first.ms.value(0) > 1000 ? 2 : quickRuns - 1;
}

Stats measureAdaptive(int quickRuns, const std::function<void(int)> &prepare,
                      const std::function<void(int)> &action)
{
    Stats s = measure(1, prepare, action);
    const Stats more = measure(
        runsFor(s, quickRuns),
        [&](int i) {
            if (prepare)
                prepare(i + 1);
        },
        [&](int i) { action(i + 1); });
    s.ms += more.ms;
    return s;
}

// Chinese text reaches a line edit from the input method, one committed character at a time.
void typeText(QWidget *edit, const QString &text)
{
    for (const QChar c : text) {
        QInputMethodEvent e;
        e.setCommitString(QString(c));
        QApplication::sendEvent(edit, &e);
    }
}

void settle(QApplication &app)
{
    app.processEvents();
}

// ---------------------------------------------------------------------------------------------
// The venue as the benches find it.

struct Catalogue
{
    qint64 lastId = 0;        // the item that sorts last by name
    QString lastPrefix;       // the shortest beginning of its name that no earlier name shares
    QList<qint64> serviceIds; // items that need a waiter and pay a commission
};

Catalogue readCatalogue(const Database &db)
{
    Catalogue c;
    QStringList lastTwo;
    {
        Cursor cur =
            db.query(Statement(u"select ID, 项目名 from 商品项目库 order by 项目名 desc, ID desc"_s));
        while (lastTwo.size() < 2 && cur.next()) {
            if (lastTwo.isEmpty())
                c.lastId = cur.integer(u"ID"_s);
            lastTwo.append(cur.text(u"项目名"_s));
        }
    }
    const QString &last = lastTwo.at(0);
    const QString &before = lastTwo.value(1);
    int common = 0;
    while (common < before.size() && common < last.size() && before.at(common) == last.at(common))
        ++common;
    c.lastPrefix = last.left(common + 1);
    Cursor s = db.query(
        Statement(u"select ID from 商品项目库 where 是否需要服务="_s).text(u"是"_s).sql(u" order by ID"_s));
    while (c.serviceIds.size() < 10 && s.next())
        c.serviceIds.append(s.integer(u"ID"_s));
    return c;
}

// The free tags of one room type, handed out one by one.
class TagPool
{
public:
    TagPool(const Database &db, const QString &roomType) : m_roomType(roomType)
    {
        m_tags = OpenBill::freeTags(db, roomType, QString());
    }
    QString take()
    {
        if (m_next >= m_tags.size())
            throw std::runtime_error("the bench ran out of free tags");
        return m_tags.at(m_next++);
    }
    const QString &roomType() const { return m_roomType; }

private:
    QString m_roomType;
    QStringList m_tags;
    qsizetype m_next = 0;
};

bool memberUsable(int index)
{
    return index % 50 != 7 && index % 100 != 13;
}

// Members spread over the card range, each usable, a different one per run.
int memberIndex(int run)
{
    int index = (run * 7919 + 101) % Venue::Size::full().members;
    while (!memberUsable(index))
        ++index;
    return index;
}

// ---------------------------------------------------------------------------------------------
// The program's side: its rules functions and screens, on its own connection.

struct Program
{
    Database db;
    Catalogue catalogue;
    RunState run;
    SilentPrompt prompt;
    std::unique_ptr<ReaderDevice> device;
    std::unique_ptr<CardReader> reader;

    ScreenContext context() { return ScreenContext{db, SessionView(run), prompt, *reader}; }

    void openTag(const QString &tag, const QString &roomType) const
    {
        OpenBill::Request r;
        r.master = tag;
        r.tags = {tag};
        r.roomType = roomType;
        r.charges = OpenBill::roomCharges(db, roomType);
        r.deposit = u"100"_s;
        r.operatorName = Venue::operatorName();
        r.now = QDateTime::currentDateTime();
        OpenBill::open(db, r);
    }
    void addLine(const QString &tag, qint64 itemId, const QString &waiter = {}) const
    {
        const std::optional<Consumption::Item> item = Consumption::item(db, itemId);
        Consumption::Line line =
            Consumption::newLine(tag, tag, *item, 1, Venue::operatorName(), QDateTime::currentDateTime());
        if (!waiter.isEmpty())
            line.waiterNumber = line.waiterName = waiter;
        Consumption::post(db, line);
    }
    // A tag with ten lines served by waiters, and what the checkout screen would settle it with.
    Checkout::Settlement billOfTen(const QString &tag, const QString &roomType,
                                   const Checkout::Member &member) const
    {
        openTag(tag, roomType);
        for (int i = 0; i < 9; ++i)
            addLine(tag, catalogue.serviceIds.at(i % catalogue.serviceIds.size()), u"F001"_s);
        const Checkout::Bill bill = Checkout::load(db, tag);
        Checkout::Settlement s;
        s.tag = tag;
        s.shownNumber = bill.shownNumber;
        s.lineIds = bill.lineIds;
        s.arrival = bill.arrival;
        s.consumption = bill.total;
        s.received = Checkout::applyRate(bill.total,
                                         Checkout::rateText(Checkout::typeRate(db, member.type).value_or(1)));
        s.payment = Checkout::Payment::Cash;
        s.member = member;
        s.operatorName = Venue::operatorName();
        return s;
    }
};

// ---------------------------------------------------------------------------------------------
// The raw side: the same statements through the sqlite3 C API, each prepared once.

struct Raw
{
    explicit Raw(const QString &path) : db(path) {}

    RawSqlite db;
    std::unique_ptr<RawStatement> attempts, member, clearAttempts;
    std::unique_ptr<RawStatement> markTag, insertOpen, insertLine, item, openBill;
    std::unique_ptr<RawStatement> lockOpen, lines, bump, number, insertBill, points, insertDetail,
        insertCommission, deleteLines, deleteOpen, freeTag;
    std::unique_ptr<RawStatement> findItem, itemPosition, itemPage;
    std::unique_ptr<RawStatement> gridCount, gridFirstPage, gridPageByKey, gridRowsTo, gridSortItem, gridSortAmount;

    RawStatement &st(std::unique_ptr<RawStatement> &slot, const QString &sql)
    {
        if (!slot)
            slot = std::make_unique<RawStatement>(db.handle(), sql);
        return *slot;
    }

    QString now() const { return DateTimeText::dateTime(QDateTime::currentDateTime()); }

    // Checkout::lookUp: the lock check, the member's rows, the password, clearing the count.
    bool lookUp(const QString &card, const QString &password)
    {
        RawStatement &a =
            st(attempts, u"select 时间 from 密码错误 where 类别=? and 名称=? order by 时间 desc, id desc"_s);
        a.bind(1, u"会员"_s).bind(2, card);
        for (int n = 0; n < 5 && a.step(); ++n)
            a.text(0);
        a.reset();
        RawStatement &m = st(member, u"select * from 会员管理 where 会员卡号=? order by id"_s);
        m.bind(1, card);
        bool found = false;
        while (!found && m.step())
            found = PasswordHash::verify(password, m.text(3));
        m.reset();
        st(clearAttempts, u"delete from 密码错误 where 类别=? and 名称=?"_s)
            .bind(1, u"会员"_s)
            .bind(2, card)
            .run();
        return found;
    }

    // OpenBill::open for one tag, with the room type's entry ticket as its first line.
    void openTag(const QString &tag, const QString &roomType, qint64 ticketRaw)
    {
        db.exec(u"begin immediate"_s);
        RawStatement &mark =
            st(markTag, u"update 手牌管理 set 手牌状态=? where 手牌号码=? and (手牌状态=? or 手牌状态=?)"_s);
        mark.bind(1, tagStateText(TagState::Occupied)).bind(2, tag).bind(3, tagStateText(TagState::Free));
        mark.bind(4, tagStateText(TagState::Reserved));
        if (mark.run() != 1)
            throw std::runtime_error("raw: tag taken");
        const QString at = now();
        st(insertOpen, u"insert into 手牌开单 (手牌号码, 包厢类型, 包厢性质, 顾客姓名, 押金金额, 合计金额, "
                       u"进店时间, 备注, 主手牌号) "
                       u"values (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s)
            .bind(1, tag)
            .bind(2, roomType)
            .bind(3, u"无"_s)
            .bind(4, QString())
            .bind(5, qint64(1000000))
            .bind(6, ticketRaw)
            .bind(7, at)
            .bind(8, QString())
            .bind(9, tag)
            .run();
        if (ticketRaw > 0)
            lineInsert(tag, tag, u"门票"_s, ticketRaw, 0, u"无"_s, u"好汉"_s, at);
        db.exec(u"commit"_s);
    }

    void lineInsert(const QString &tag, const QString &master, const QString &name, qint64 price,
                    qint64 commission, const QString &waiter, const QString &target, const QString &at)
    {
        st(insertLine,
           u"insert into 手牌消费 (手牌号码, 项目名, 单价, 提成金额, 实际单价, 数量, 打折率, 合计, 消费时间, "
           u"是否计时, "
           u"状态, 服务生编号, 服务生姓名, 营业员, 打折对象, 主手牌号) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s)
            .bind(1, tag)
            .bind(2, name)
            .bind(3, price)
            .bind(4, commission)
            .bind(5, price)
            .bind(6, qint64(1))
            .bind(7, 1.0)
            .bind(8, price)
            .bind(9, at)
            .bind(10, u"否"_s)
            .bind(11, u"消费完毕"_s)
            .bind(12, waiter)
            .bind(13, waiter)
            .bind(14, Venue::operatorName())
            .bind(15, target)
            .bind(16, master)
            .run();
    }

    // Consumption::item, then Consumption::post.
    void addLine(const QString &tag, qint64 itemId)
    {
        RawStatement &it = st(item, u"select * from 商品项目库 where ID=?"_s);
        it.bind(1, itemId);
        if (!it.step())
            throw std::runtime_error("raw: no such item");
        const QString name = it.text(1);
        const qint64 price = it.integer(3);
        const qint64 commission = it.integer(6);
        it.reset();
        db.exec(u"begin immediate"_s);
        RawStatement &ob = st(openBill, u"select 主手牌号 from 手牌开单 where 手牌号码=?"_s);
        ob.bind(1, tag);
        if (!ob.step())
            throw std::runtime_error("raw: tag not open");
        const QString master = ob.text(0);
        ob.reset();
        lineInsert(tag, master, name, price, commission, Venue::operatorName(), u"所有顾客"_s, now());
        db.exec(u"commit"_s);
    }

    // Checkout::settle of a tag without a group, paid in cash by a member.
    void settle(const QString &tag, qint64 memberId)
    {
        db.exec(u"begin immediate"_s);
        QStringList released;
        RawStatement &lo =
            st(lockOpen, u"select 手牌号码 from 手牌开单 where 手牌号码=? or 主手牌号=? order by id"_s);
        lo.bind(1, tag).bind(2, tag);
        while (lo.step())
            if (!released.contains(lo.text(0)))
                released.append(lo.text(0));
        lo.reset();
        struct Line
        {
            QString item, timed, waiterNumber, waiterName, at;
            qint64 listPrice, price, quantity, amount, commission;
        };
        QList<Line> read;
        RawStatement &ls = st(lines, u"select * from 手牌消费 where 主手牌号=? or 手牌号码=? order by id"_s);
        ls.bind(1, tag).bind(2, tag);
        qint64 total = 0;
        while (ls.step()) {
            // id, 手牌号码, 主手牌号, 项目名, 单价, 打折率, 实际单价, 数量, 合计, 提成金额, 消费时间,
            // 是否计时, 状态, 服务生编号, 服务生姓名
            read.append({ls.text(3), ls.text(11), ls.text(13), ls.text(14), ls.text(10), ls.integer(4),
                         ls.integer(6), ls.integer(7), ls.integer(8), ls.integer(9)});
            total += ls.integer(8);
        }
        ls.reset();
        st(bump, u"update 单据号 set 单据号=单据号+1"_s).run();
        RawStatement &nb = st(number, u"select 单据号 from 单据号"_s);
        nb.step();
        const QString billNumber = QString::number(nb.integer(0));
        nb.reset();
        const QString at = now();
        st(insertBill, u"insert into 结帐管理 (结帐单号, 手牌号码, 进店时间, 离店时间, 实收金额, 消费金额, "
                       u"结帐方式, 状态, 结帐时间, "
                       u"顾客姓名, 备注, 营业员, 会员卡号) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s)
            .bind(1, billNumber)
            .bind(2, tag)
            .bind(3, at)
            .bind(4, at)
            .bind(5, total)
            .bind(6, total)
            .bind(7, u"现金支付"_s)
            .bind(8, u"已结"_s)
            .bind(9, at)
            .bind(10, QString())
            .bind(11, QString())
            .bind(12, Venue::operatorName())
            .bind(13, u"card"_s)
            .run();
        st(points, u"update 会员管理 set 当前积分=当前积分+? where id=?"_s)
            .bind(1, total / 10000)
            .bind(2, memberId)
            .run();
        for (const Line &l : std::as_const(read)) {
            st(insertDetail,
               u"insert into 结帐明细 (单据号, 手牌号码, 顾客姓名, 消费项目, 消费单价, 消费数量, 消费金额, "
               u"消费时间, 是否计时, "
               u"服务生编号, 服务生姓名, 营业员, 状态) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s)
                .bind(1, billNumber)
                .bind(2, tag)
                .bind(3, QString())
                .bind(4, l.item)
                .bind(5, l.price)
                .bind(6, l.quantity)
                .bind(7, l.amount)
                .bind(8, l.at)
                .bind(9, l.timed)
                .bind(10, l.waiterNumber)
                .bind(11, l.waiterName)
                .bind(12, Venue::operatorName())
                .bind(13, u"已结"_s)
                .run();
            if (l.commission > 0)
                st(insertCommission,
                   u"insert into 服务生提成 (编号, 姓名, 结帐时间, 提成金额, 单据号, 手牌号码) values (?, ?, ?, ?, ?, ?)"_s)
                    .bind(1, l.waiterNumber)
                    .bind(2, l.waiterName)
                    .bind(3, at.left(10))
                    .bind(4, l.commission)
                    .bind(5, billNumber)
                    .bind(6, tag)
                    .run();
        }
        st(deleteLines, u"delete from 手牌消费 where 主手牌号=? or 手牌号码=?"_s)
            .bind(1, tag)
            .bind(2, tag)
            .run();
        for (const QString &t : std::as_const(released)) {
            st(deleteOpen, u"delete from 手牌开单 where 手牌号码=?"_s).bind(1, t).run();
            st(freeTag, u"update 手牌管理 set 手牌状态=? where 手牌号码=?"_s)
                .bind(1, tagStateText(TagState::Free))
                .bind(2, t)
                .run();
        }
        db.exec(u"commit"_s);
    }

    // The item a prefix names, found through the name index, its place in name order, and the
    // page of rows around it: what a grid that seeks needs.
    bool findItemByPrefix(const QString &prefix, qint64 expectedId)
    {
        RawStatement &f =
            st(findItem, u"select ID, 项目名 from 商品项目库 where 项目名>=? order by 项目名, ID limit 1"_s);
        f.bind(1, prefix);
        const bool found = f.step() && f.text(1).startsWith(prefix) && f.integer(0) == expectedId;
        const QString name = found ? f.text(1) : QString();
        f.reset();
        RawStatement &p = st(itemPosition, u"select count(*) from 商品项目库 where 项目名<?"_s);
        p.bind(1, name);
        p.step();
        const qint64 position = p.integer(0);
        p.reset();
        RawStatement &page =
            st(itemPage, u"select ID, 项目名, 单价 from 商品项目库 order by 项目名, ID limit 256 offset ?"_s);
        page.bind(1, position / 256 * 256);
        while (page.step())
            page.text(1);
        page.reset();
        return found;
    }
};

QString detailColumns()
{
    return u"ID, 单据号, 手牌号码, 消费项目, 消费单价, 消费数量, 消费金额, 消费时间, 服务生姓名, 营业员, 状态"_s;
}

int readAll(RawStatement &s)
{
    int n = 0;
    while (s.step()) {
        for (int c = 0; c < s.columnCount(); ++c)
            s.text(c);
        ++n;
    }
    s.reset();
    return n;
}

// ---------------------------------------------------------------------------------------------
// The grid over the 2.5 million details.

GridColumns detailGridColumns()
{
    return GridColumns(u"结帐明细"_s)
        .rowNumber()
        .add(u"单据号"_s, 80)
        .add(u"手牌号码"_s, 60)
        .add(u"消费项目"_s, 140)
        .add(u"消费单价"_s, 60)
        .add(u"消费数量"_s, 50)
        .add(u"消费金额"_s, 60)
        .add(u"消费时间"_s, 140)
        .add(u"服务生姓名"_s, 70)
        .add(u"营业员"_s, 70)
        .add(u"状态"_s, 50);
}

Statement detailQuery()
{
    return Statement(u"select * from 结帐明细"_s);
}

std::unique_ptr<DataGrid> newDetailGrid(const Database &db)
{
    auto grid = std::make_unique<DataGrid>();
    grid->setDatabase(db);
    grid->setColumns(detailGridColumns());
    grid->resize(1000, 600);
    grid->show();
    return grid;
}

// Brings the page holding the row with that row number into view, as a jump to a far row does:
// the grid seeks it by its key and reads the block that holds it.
void reachFarPage(DataGrid &grid, qint64 id)
{
    grid.seek(u"ID"_s, SqlValue::integer(id));
}

// A child process times the far page, so that a grid that takes minutes is stopped, not waited for.
Stats farPageInChild(const QString &connectionString, int row, int timeoutMs, int runs)
{
    Stats s;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {u"--far-page"_s, connectionString, QString::number(row)});
        if (!child.waitForFinished(timeoutMs)) {
            child.kill();
            child.waitForFinished();
            s.note = u"> %1 s (stopped)"_s.arg(timeoutMs / 1000);
            s.ms.clear();
            return s;
        }
        bool ok = false;
        const double ms = QString::fromUtf8(child.readAllStandardOutput()).trimmed().toDouble(&ok);
        if (!ok || child.exitCode() != 0) {
            s.note = u"failed"_s;
            return s;
        }
        s.ms.append(ms);
    }
    return s;
}

int farPageChild(QApplication &app, const QString &connectionString, int row)
{
    const Database db = Database::open(connectionString, {}, u"ADOConnection1"_s);
    auto grid = newDetailGrid(db);
    grid->setQuery(detailQuery());
    settle(app);
    // The key of the row that far down the grid's order (by row number), found before timing.
    const qint64 id = db.scalar(Statement(u"select ID from 结帐明细 order by ID"_s + db.dialect().page(row, 1)))
                          .toLongLong();
    QElapsedTimer t;
    t.start();
    reachFarPage(*grid, id);
    settle(app);
    const double ms = elapsedMs(t);
    if (grid->value(grid->currentRow(), u"ID"_s).toLongLong() != id) {
        err << u"the grid did not reach row "_s << row << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << ms << Qt::endl;
    return 0;
}

// ---------------------------------------------------------------------------------------------

struct Options
{
    int runs = 15;
    bool postgresql = false;
};

// The rows every database kind has: lookup, open, add, settle, the grid.
void measureCounter(QApplication &app, Program &p, Raw *raw, const Options &o, const QString &workConnection,
                    QList<TableRow> &rows, const QString &modeLabel, bool durableOnlyRows)
{
    const int runs = o.runs;
    const QString label = modeLabel.isEmpty() ? QString() : u" ("_s + modeLabel + u")"_s;
    TagPool programTags(p.db, u"男宾浴区"_s);
    TagPool rawTags(p.db, u"女宾浴区"_s);
    const qint64 ticketRaw = OpenBill::roomCharges(p.db, rawTags.roomType()).ticket.raw();

    if (durableOnlyRows) {
        TableRow r{u"member lookup at checkout (card + password)"_s, u"< 20 ms"_s};
        r.vesk = measure(runs, {}, [&](int i) {
            const int m = memberIndex(i);
            if (!Checkout::lookUp(p.db, Venue::memberCard(m), Venue::memberPassword(m)))
                throw std::runtime_error("lookup found no member");
        });
        if (raw)
            r.raw = measure(runs, {}, [&](int i) {
                const int m = memberIndex(i + runs);
                if (!raw->lookUp(Venue::memberCard(m), Venue::memberPassword(m)))
                    throw std::runtime_error("raw lookup found no member");
            });
        rows.append(r);
    }

    QString synchronous;
    if (raw)
        synchronous = raw->db.textOf(u"pragma synchronous"_s);
    for (const bool durable : {true, false}) {
        if (!durable) {
            if (!raw)
                break;
            QSqlQuery(p.db.handle()).exec(u"pragma synchronous=OFF"_s);
            raw->db.exec(u"pragma synchronous=OFF"_s);
        }
        const QString mode = (durable ? u", durable"_s : u", synchronous=OFF"_s) + label;
        const QString target = durable ? u"< 5 ms"_s : u"≤ 1.5× raw"_s;
        {
            TableRow r{u"open a tag"_s + mode, target};
            QStringList tags;
            r.vesk = measure(
                runs, [&](int) { tags.append(programTags.take()); },
                [&](int i) { p.openTag(tags.at(i), programTags.roomType()); });
            if (raw) {
                QStringList rtags;
                r.raw = measure(
                    runs, [&](int) { rtags.append(rawTags.take()); },
                    [&](int i) { raw->openTag(rtags.at(i), rawTags.roomType(), ticketRaw); });
            }
            rows.append(r);
        }
        {
            TableRow r{u"add a line"_s + mode, target};
            const QString tag = programTags.take();
            p.openTag(tag, programTags.roomType());
            const qint64 item = p.catalogue.serviceIds.at(3);
            r.vesk = measure(runs, {}, [&](int) { p.addLine(tag, item); });
            if (raw) {
                const QString rtag = rawTags.take();
                p.openTag(rtag, rawTags.roomType());
                r.raw = measure(runs, {}, [&](int) { raw->addLine(rtag, item); });
            }
            rows.append(r);
        }
        {
            TableRow r{u"settle a 10-line bill with a member"_s + mode, target};
            const int m = memberIndex(1000);
            const Checkout::Member member =
                *Checkout::lookUp(p.db, Venue::memberCard(m), Venue::memberPassword(m));
            std::optional<Checkout::Settlement> s;
            r.vesk = measure(
                runs, [&](int) { s = p.billOfTen(programTags.take(), programTags.roomType(), member); },
                [&](int) { Checkout::settle(p.db, *s, QDateTime::currentDateTime()); });
            if (raw) {
                QString rtag;
                r.raw = measure(
                    runs,
                    [&](int) {
                        rtag = rawTags.take();
                        p.billOfTen(rtag, rawTags.roomType(), member);
                    },
                    [&](int) { raw->settle(rtag, member.id); });
            }
            rows.append(r);
        }
    }
    if (raw) {
        // Back to what the program's connection had from Database::open.
        QSqlQuery(p.db.handle()).exec(u"pragma synchronous="_s + synchronous);
        raw->db.exec(u"pragma synchronous="_s + synchronous);
    }

    if (durableOnlyRows) {
        // The add-consumption screen: the last item of the catalogue by the beginning of its name.
        TableRow r{u"add-consumption screen: find the last of 20,000 items by name"_s + label, u"< 5 ms"_s};
        const QString tag = programTags.take();
        p.openTag(tag, programTags.roomType());
        std::unique_ptr<TAddConsumeFm> screen;
        r.vesk = measureAdaptive(
            std::min(runs, 7),
            [&](int) {
                screen.reset();
                screen = std::make_unique<TAddConsumeFm>(p.context(), tag);
                screen->show();
                settle(app);
            },
            [&](int) {
                auto *edit = screen->findChild<QLineEdit *>(u"searchEdit"_s);
                auto *grid = screen->findChild<DataGrid *>(u"catalogueGrid"_s);
                typeText(edit, p.catalogue.lastPrefix);
                QTest::keyClick(edit, Qt::Key_Return);
                QElapsedTimer limit;
                limit.start();
                while (grid->value(grid->currentRow(), u"ID"_s).toLongLong() != p.catalogue.lastId) {
                    if (limit.elapsed() > 60000)
                        throw std::runtime_error("the screen never reached the item");
                    app.processEvents(QEventLoop::AllEvents, 5);
                }
            });
        screen.reset();
        if (raw)
            r.raw = measure(runs, {}, [&](int) {
                if (!raw->findItemByPrefix(p.catalogue.lastPrefix, p.catalogue.lastId))
                    throw std::runtime_error("raw: item not found");
            });
        rows.append(r);
    }

    if (durableOnlyRows && raw) {
        // Setting up: the catalogue list over the venue's items, its search, a batch of tags.
        TableRow open{u"catalogue list (TXmFm) over 20,000 items: open and paint"_s, u"< 50 ms"_s};
        std::unique_ptr<TXmFm> list;
        open.vesk = measure(std::min(runs, 7), [&](int) { list.reset(); }, [&](int) {
            list = std::make_unique<TXmFm>(p.context());
            list->show();
            settle(app);
        });
        rows.append(open);

        const QString lastName =
            p.db.scalar(Statement(u"select 项目名 from 商品项目库 where ID="_s).integer(p.catalogue.lastId)).toString();
        TableRow search{u"catalogue list: 检索 项目名 = the last item"_s, u"< 50 ms"_s};
        search.vesk = measure(std::min(runs, 7), {}, [&](int) {
            auto *field = list->findChild<QComboBox *>(u"fieldBox"_s);
            auto *value = list->findChild<QLineEdit *>(u"valueEdit"_s);
            field->setCurrentText(u"项目名"_s);
            value->setText(lastName);
            QTest::keyClick(value, Qt::Key_Return);
            settle(app);
            if (list->grid().totalCount() < 1)
                throw std::runtime_error("the catalogue search found nothing");
        });
        list.reset();
        rows.append(search);

        TableRow batch{u"a batch of 1,000 tags (one transaction), durable"_s, u"< 1 s"_s};
        const Tags tags(p.db);
        batch.vesk = measure(3, {}, [&](int i) {
            TagBatch b;
            b.marker = u"BT%1-"_s.arg(i);
            b.start = u"1"_s;
            b.end = u"1000"_s;
            b.roomType = programTags.roomType();
            if (tags.addBatch(b) != 1000)
                throw std::runtime_error("the batch did not add 1,000 tags");
        });
        rows.append(batch);
    }

    // The grid over 结帐明细.
    std::unique_ptr<DataGrid> grid;
    const auto freshGrid = [&](int) {
        grid.reset();
        grid = newDetailGrid(p.db);
        settle(app);
    };
    const auto openedGrid = [&](int i) {
        freshGrid(i);
        grid->setQuery(detailQuery());
        settle(app);
    };
    const QString table = u"(select * from 结帐明细) as t"_s;
    {
        TableRow r{u"grid over 结帐明细 (2.5 M rows): open"_s + label, u"< 5 ms"_s};
        r.vesk = measureAdaptive(std::min(runs, 7), freshGrid, [&](int) {
            grid->setQuery(detailQuery());
            settle(app);
        });
        if (raw)
            r.raw = measureAdaptive(std::min(runs, 7), {}, [&](int) {
                readAll(raw->st(raw->gridCount, u"select count(*) from "_s + table));
                readAll(raw->st(raw->gridFirstPage, u"select "_s + detailColumns() + u" from "_s + table +
                                                        u" order by ID asc limit 256 offset 0"_s));
            });
        rows.append(r);
    }
    {
        TableRow r{u"grid: setCurrentRow(10,000), every row before it read"_s + label, u"< 5 ms"_s};
        r.vesk = measureAdaptive(std::min(runs, 7), openedGrid, [&](int) {
            grid->setCurrentRow(10000);
            settle(app);
        });
        if (raw) {
            // The same rows: the blocks from the second up to the one holding row 10,000.
            RawStatement &blocks =
                raw->st(raw->gridRowsTo, u"select "_s + detailColumns() +
                                             u" from 结帐明细 where ID>? order by ID asc limit 9984"_s);
            r.raw = measure(runs, {}, [&](int) {
                blocks.bind(1, qint64(256));
                readAll(blocks);
            });
            raw->st(raw->gridPageByKey, u"select "_s + detailColumns() +
                                            u" from 结帐明细 where ID>=? order by ID asc limit 256"_s);
        }
        rows.append(r);
    }
    {
        // What the cashier does to get there: PageDown in the grid, each press timed to the page
        // painted; every tenth press or so reads the next block.
        TableRow r{u"grid: PageDown to row 10,000, each page"_s + label, u"< 5 ms"_s};
        openedGrid(0);
        QTableView *view = grid->view();
        view->setFocus();
        while (grid->currentRow() < 10000 && r.vesk.ms.size() < 5000) {
            QElapsedTimer t;
            t.start();
            QTest::keyClick(view, Qt::Key_PageDown);
            settle(app);
            r.vesk.ms.append(elapsedMs(t));
        }
        if (grid->currentRow() < 10000)
            r.vesk = Stats{{}, u"did not reach row 10,000"_s};
        rows.append(r);
    }
    {
        TableRow r{u"grid: the page at row 1,000,000"_s + label, u"< 5 ms"_s};
        r.vesk = farPageInChild(workConnection, 1000000, 20000, 3);
        if (raw)
            r.raw = measure(runs, {}, [&](int) {
                RawStatement &page = *raw->gridPageByKey;
                page.bind(1, qint64(1000000 / 256 * 256 + 1));
                readAll(page);
            });
        rows.append(r);
    }
    for (const QString &field : {u"消费项目"_s, u"消费金额"_s}) {
        TableRow r{u"grid: sort by "_s + field + label, u"< 50 ms"_s};
        r.vesk = measureAdaptive(std::min(runs, 5), openedGrid, [&](int) {
            grid->sortBy(field, Qt::AscendingOrder);
            settle(app);
        });
        if (raw) {
            std::unique_ptr<RawStatement> &slot =
                field == u"消费项目"_s ? raw->gridSortItem : raw->gridSortAmount;
            RawStatement &sorted =
                raw->st(slot, u"select "_s + detailColumns() + u" from "_s + table + u" order by "_s + field +
                                  u" asc, ID asc limit 256 offset 0"_s);
            r.raw = measureAdaptive(std::min(runs, 5), {}, [&](int) { readAll(sorted); });
        }
        rows.append(r);
    }
    grid.reset();
}

// The start-up driver, run as a fresh process each time.
void measureStartup(const QString &workPath, int runs, QList<TableRow> &rows)
{
    TableRow login{u"start → login window painted"_s, u"< 100 ms"_s};
    TableRow board{u"login → board with 1,000 tags painted"_s, u"< 100 ms"_s};
    TableRow rss{u"peak RSS of the start-up driver"_s, u"< 100 MB"_s};
    rss.unit = u"MB"_s;
    const QString driver = QDir(QCoreApplication::applicationDirPath()).filePath(u"bench_startup"_s);
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The driver counts from this moment, on the boot clock, which its own start follows.
        timespec ts{};
        clock_gettime(CLOCK_BOOTTIME, &ts);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"VESK_BENCH_SPAWNED_MS"_s,
                   QString::number(double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6, 'f', 3));
        child.setProcessEnvironment(env);
        child.start(driver, {workPath});
        if (!child.waitForFinished(60000)) {
            child.kill();
            child.waitForFinished();
            login.vesk.note = u"no answer in 60 s"_s;
            break;
        }
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        double values[3] = {-1, -1, -1};
        const QStringList keys{u"login_painted_ms"_s, u"board_painted_ms"_s, u"peak_rss_kb"_s};
        for (const QString &part : out.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts)) {
            const QStringList kv = part.split(u'=');
            const qsizetype k = keys.indexOf(kv.value(0));
            if (k >= 0)
                values[k] = kv.value(1).toDouble();
        }
        if (child.exitCode() != 0 || values[0] < 0 || values[1] < 0) {
            login.vesk.note = u"failed: "_s + out.trimmed();
            break;
        }
        login.vesk.ms.append(values[0]);
        board.vesk.ms.append(values[1]);
        rss.vesk.ms.append(values[2] / 1024);
    }
    rows << login << board << rss;
}

QString copyVenue(const Venue::Place &place, const QTemporaryDir &dir)
{
    const QString work = dir.filePath(u"data.mdb"_s);
    QFile::remove(work);
    if (!QFile::copy(place.path, work))
        throw std::runtime_error("cannot copy the venue to " + work.toStdString());
    QFile::setPermissions(work, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return work;
}

// In place: the card reader keeps a reference to the program's prompt.
void openProgram(Program &p, const QString &connection)
{
    p.db = Database::open(connection, {}, u"ADOConnection1"_s);
    p.catalogue = readCatalogue(p.db);
    p.run.db = p.db;
    p.run.CurrentOperator = Venue::operatorName();
    p.run.permissions = Permissions::all();
    p.device = makeReaderDevice(p.run.ini, QDir::tempPath());
    p.reader = std::make_unique<CardReader>(*p.device, p.prompt);
}

int runBench(QApplication &app, const Options &o)
{
    QTextStream out(stdout);
    const Venue::Place venue =
        Venue::ensure(Venue::Kind::Sqlite, Venue::DefaultSeed, Venue::Size::full(), &err);
    QTemporaryDir dir(QDir(Venue::cacheDir()).filePath(u"run-XXXXXX"_s));
    err << u"copying the venue"_s << Qt::endl;
    const QString work = copyVenue(venue, dir);
    const QString workConnection =
        ConnectionString::compose({{u"Provider"_s, u"SQLite"_s}, {u"Data Source"_s, work}});

    QList<TableRow> rows;
    QString pragmas;
    QString programConnection;
    {
        Program p;
        openProgram(p, workConnection);
        Raw raw(work);
        // The raw connection keeps the file the way the program's connection has it.
        QSqlQuery q(p.db.handle());
        q.exec(u"pragma journal_mode"_s);
        const QString journal = q.next() ? q.value(0).toString() : u"?"_s;
        q.exec(u"pragma synchronous"_s);
        const QString synchronous = q.next() ? q.value(0).toString() : u"?"_s;
        raw.db.exec(u"pragma synchronous="_s + synchronous);
        pragmas = u"journal_mode=%1, synchronous=%2 (0 OFF, 1 NORMAL, 2 FULL)"_s.arg(journal, synchronous);
        err << u"measuring on SQLite: "_s << pragmas << Qt::endl;
        measureCounter(app, p, &raw, o, workConnection, rows, {}, true);
        programConnection = p.db.connectionName();
    }
    // Once nothing holds the connection any more.
    Database::remove(programConnection);
    err << u"measuring start-up"_s << Qt::endl;
    measureStartup(work, 5, rows);
    {
        const Venue::WritingTimes &w = venue.writing;
        TableRow r{
            u"writing %1 bills (%2 details, %3 commission rows) through the data layer, once when generated"_s
                .arg(w.bills)
                .arg(w.details)
                .arg(w.commissions),
            u"≤ 1.5× raw"_s};
        r.unit = u"s"_s;
        if (w.dataLayerMs >= 0)
            r.vesk.ms = {w.dataLayerMs / 1000};
        if (w.rawMs >= 0)
            r.raw.ms = {w.rawMs / 1000};
        rows.append(r);
    }
    out << u"## vesk at venue scale"_s << Qt::endl << Qt::endl;
    out << u"Embedded database as Database::open leaves it: "_s << pragmas << u". Venue: "_s
        << QFileInfo(venue.path).fileName() << u"."_s << Qt::endl;
    printTable(out, u"SQLite"_s, rows, true);
    out.flush();

    if (o.postgresql) {
        const Venue::Place pg =
            Venue::ensure(Venue::Kind::PostgreSql, Venue::DefaultSeed, Venue::Size::full(), &err);
        // The bench writes into a copy made from the venue as a template, dropped afterwards.
        const QString catalog = ConnectionString::parse(pg.connectionString).value(u"Initial Catalog"_s);
        const QString copy = catalog + u"_run"_s;
        QString maintenanceString = pg.connectionString;
        maintenanceString.replace(catalog, u"postgres"_s);
        const Database maintenance = Database::open(maintenanceString, {}, u"vesk-bench-maintenance"_s);
        maintenance.executeScript(u"drop database if exists "_s + quoteIdentifier(copy) + u" with (force);"_s);
        err << u"copying the PostgreSQL venue"_s << Qt::endl;
        maintenance.executeScript(u"create database "_s + quoteIdentifier(copy) + u" template "_s +
                                  quoteIdentifier(catalog) + u";"_s);
        QString copyString = pg.connectionString;
        copyString.replace(catalog, copy);
        QList<TableRow> pgRows;
        {
            Program p;
            openProgram(p, copyString);
            measureCounter(app, p, nullptr, o, copyString, pgRows, {}, true);
            programConnection = p.db.connectionName();
        }
        Database::remove(programConnection);
        maintenance.executeScript(u"drop database if exists "_s + quoteIdentifier(copy) + u" with (force);"_s);
        if (pg.writing.dataLayerMs >= 0) {
            TableRow r{
                u"writing the history through the data layer (200 rows a statement), once when generated"_s,
                {}};
            r.unit = u"s"_s;
            r.vesk.ms = {pg.writing.dataLayerMs / 1000};
            pgRows.append(r);
        }
        printTable(out, u"PostgreSQL"_s, pgRows, false);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.value(0) == u"--far-page"_s)
            return farPageChild(app, args.value(1), args.value(2).toInt());
        Options o;
        for (int i = 0; i < args.size(); ++i) {
            if (args.at(i) == u"--postgresql"_s)
                o.postgresql = true;
            else if (args.at(i) == u"--runs"_s && i + 1 < args.size())
                o.runs = std::max(3, args.at(++i).toInt());
        }
        return runBench(app, o);
    } catch (const DbError &e) {
        err << u"bench_counter: "_s << e.text() << Qt::endl;
    } catch (const Refusal &e) {
        err << u"bench_counter: refused: "_s << e.text() << Qt::endl;
    } catch (const std::exception &e) {
        err << u"bench_counter: "_s << QString::fromLocal8Bit(e.what()) << Qt::endl;
    }
    return 1;
}
