#include "Venue.h"

#include "RawSqlite.h"

#include "data/DeliveredDatabase.h"
#include "data/TagState.h"
#include "db/DateTimeText.h"
#include "db/PasswordHash.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTextStream>

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace Venue {

namespace {

using Row = QList<std::pair<QString, SqlValue>>;

// splitmix64: the same numbers on every compiler and library, which std's distributions are not.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }
    template <typename T> const T &pick(const QList<T> &list) { return list.at(below(int(list.size()))); }

private:
    quint64 m_state;
};

struct Word
{
    QString text;
    QString initials; // of the pinyin, as 名称拼音 keeps it
};

struct RoomType
{
    QString name;
    QString letter; // the tags' first letter
    QString billing;
    qint64 ticketUnits;
    qint64 initialUnits;
};

const QList<RoomType> &roomTypeList()
{
    static const QList<RoomType> list{
        {u"男宾浴区"_s, u"A"_s, u"按次计费"_s, 48, 0}, {u"女宾浴区"_s, u"B"_s, u"按次计费"_s, 48, 0},
        {u"休息大厅"_s, u"C"_s, u"按时计费"_s, 0, 0},  {u"足疗包厢"_s, u"D"_s, u"包厢计费"_s, 0, 30},
        {u"按摩包厢"_s, u"E"_s, u"包厢计费"_s, 0, 30}, {u"贵宾包厢"_s, u"F"_s, u"包厢计费"_s, 0, 88},
        {u"棋牌室"_s, u"G"_s, u"按时计费"_s, 0, 50},   {u"茶艺室"_s, u"H"_s, u"按时计费"_s, 0, 20},
        {u"美容间"_s, u"J"_s, u"按次计费"_s, 0, 0},    {u"汗蒸房"_s, u"K"_s, u"按次计费"_s, 38, 0},
    };
    return list;
}

struct ItemType
{
    QString name; // one of the delivered 商品项目类型
    bool service; // needs a waiter, who earns a commission
    int lowUnits, highUnits;
    QList<Word> bases;
};

const QList<ItemType> &itemTypes()
{
    static const QList<ItemType> list{
        {u"洗浴"_s,
         true,
         18,
         168,
         {{u"淋浴"_s, u"LY"_s},
          {u"盆浴"_s, u"PY"_s},
          {u"桑拿"_s, u"SN"_s},
          {u"汗蒸"_s, u"HZ"_s},
          {u"搓澡"_s, u"CZ"_s},
          {u"药浴"_s, u"YY"_s},
          {u"牛奶浴"_s, u"NNY"_s},
          {u"花瓣浴"_s, u"HBY"_s},
          {u"温泉"_s, u"WQ"_s},
          {u"蒸汽浴"_s, u"ZQY"_s}}},
        {u"足疗按摩"_s,
         true,
         48,
         398,
         {{u"足疗"_s, u"ZL"_s},
          {u"泰式按摩"_s, u"TSAM"_s},
          {u"中式按摩"_s, u"ZSAM"_s},
          {u"精油开背"_s, u"JYKB"_s},
          {u"刮痧"_s, u"GS"_s},
          {u"拔罐"_s, u"BG"_s},
          {u"推拿"_s, u"TN"_s},
          {u"采耳"_s, u"CE"_s},
          {u"修脚"_s, u"XJ"_s},
          {u"足底按摩"_s, u"ZDAM"_s}}},
        {u"美容美发"_s,
         true,
         20,
         298,
         {{u"洗发"_s, u"XF"_s},
          {u"剪发"_s, u"JF"_s},
          {u"烫发"_s, u"TF"_s},
          {u"染发"_s, u"RF"_s},
          {u"面部护理"_s, u"MBHL"_s},
          {u"美甲"_s, u"MJ"_s},
          {u"修眉"_s, u"XM"_s},
          {u"吹风造型"_s, u"CFZX"_s}}},
        {u"茶水饮料"_s,
         false,
         3,
         88,
         {{u"绿茶"_s, u"LC"_s},
          {u"红茶"_s, u"HC"_s},
          {u"普洱"_s, u"PE"_s},
          {u"铁观音"_s, u"TGY"_s},
          {u"啤酒"_s, u"PJ"_s},
          {u"可乐"_s, u"KL"_s},
          {u"矿泉水"_s, u"KQS"_s},
          {u"果汁"_s, u"GZ"_s},
          {u"酸梅汤"_s, u"SMT"_s},
          {u"咖啡"_s, u"KF"_s}}},
        {u"食品"_s,
         false,
         8,
         68,
         {{u"炒饭"_s, u"CF"_s},
          {u"面条"_s, u"MT"_s},
          {u"水饺"_s, u"SJ"_s},
          {u"果盘"_s, u"GP"_s},
          {u"小吃"_s, u"XC"_s},
          {u"瓜子"_s, u"GZ"_s},
          {u"花生"_s, u"HS"_s},
          {u"牛肉面"_s, u"NRM"_s},
          {u"馄饨"_s, u"HT"_s},
          {u"煎饼"_s, u"JB"_s}}},
        {u"香烟"_s,
         false,
         15,
         100,
         {{u"中华"_s, u"ZH"_s},
          {u"玉溪"_s, u"YX"_s},
          {u"芙蓉王"_s, u"FRW"_s},
          {u"黄鹤楼"_s, u"HHL"_s},
          {u"利群"_s, u"LQ"_s},
          {u"南京"_s, u"NJ"_s},
          {u"云烟"_s, u"YY"_s},
          {u"红塔山"_s, u"HTS"_s}}},
        {u"其他"_s,
         false,
         2,
         30,
         {{u"毛巾"_s, u"MJ"_s},
          {u"拖鞋"_s, u"TX"_s},
          {u"浴袍"_s, u"YP"_s},
          {u"牙刷"_s, u"YS"_s},
          {u"剃须刀"_s, u"TXD"_s},
          {u"洗发水"_s, u"XFS"_s},
          {u"充电"_s, u"CD"_s},
          {u"停车"_s, u"TC"_s}}},
    };
    return list;
}

const QList<Word> &qualifiers()
{
    static const QList<Word> list{
        {u"精品"_s, u"JP"_s}, {u"特色"_s, u"TS"_s}, {u"养生"_s, u"YS"_s}, {u"贵宾"_s, u"GB"_s},
        {u"经典"_s, u"JD"_s}, {u"豪华"_s, u"HH"_s}, {u"清香"_s, u"QX"_s}, {u"原味"_s, u"YW"_s},
        {u"秘制"_s, u"MZ"_s}, {u"至尊"_s, u"ZZ"_s}, {u"普通"_s, u"PT"_s}, {u"金牌"_s, u"JP"_s},
        {u"招牌"_s, u"ZP"_s}, {u"古法"_s, u"GF"_s}, {u"草本"_s, u"CB"_s}, {u"时尚"_s, u"SS"_s},
        {u"家常"_s, u"JC"_s}, {u"进口"_s, u"JK"_s}, {u"特价"_s, u"TJ"_s}, {u"老字号"_s, u"LZH"_s},
    };
    return list;
}

const QList<QString> &surnames()
{
    static const QList<QString> list{u"张"_s, u"王"_s, u"李"_s, u"赵"_s, u"刘"_s, u"陈"_s, u"杨"_s,
                                     u"黄"_s, u"周"_s, u"吴"_s, u"徐"_s, u"孙"_s, u"马"_s, u"朱"_s,
                                     u"胡"_s, u"郭"_s, u"何"_s, u"林"_s, u"罗"_s, u"高"_s};
    return list;
}

const QList<QString> &givenNames()
{
    static const QList<QString> list{u"伟"_s, u"芳"_s, u"娜"_s, u"敏"_s, u"静"_s, u"丽"_s, u"强"_s, u"磊"_s,
                                     u"军"_s, u"洋"_s, u"勇"_s, u"艳"_s, u"杰"_s, u"娟"_s, u"涛"_s, u"明"_s,
                                     u"超"_s, u"秀"_s, u"霞"_s, u"平"_s, u"刚"_s, u"桂"_s, u"英"_s, u"华"_s};
    return list;
}

QString personName(Random &rnd)
{
    QString name = rnd.pick(surnames()) + rnd.pick(givenNames());
    if (rnd.percent(60))
        name += rnd.pick(givenNames());
    return name;
}

struct MemberType
{
    QString name;
    double rate;
    qint64 initialPoints;
};

const QList<MemberType> &memberTypes()
{
    static const QList<MemberType> list{{u"普通卡"_s, 1.0, 0},
                                        {u"银卡"_s, 0.95, 100},
                                        {u"金卡"_s, 0.9, 200},
                                        {u"白金卡"_s, 0.85, 500},
                                        {u"钻石卡"_s, 0.8, 1000}};
    return list;
}

// Hashing is slow on purpose; a handful of passwords is hashed once and shared by the members.
const QList<QString> &passwords()
{
    static const QList<QString> list{u"123456"_s, u"888888"_s, u"666666"_s, u"520520"_s,
                                     u"135790"_s, u"246810"_s, u"112233"_s, u"778899"_s};
    return list;
}

const QList<QString> &clerks()
{
    static const QList<QString> list{operatorName(), u"前台小王"_s, u"前台小李"_s};
    return list;
}

// What the history needs of the venue, rebuilt from the seed for every writer.
struct Model
{
    QStringList tags;
    struct Item
    {
        QString name;
        Money price;
        Money commission;
        bool service = false;
    };
    QList<Item> services, goods;
    struct Waiter
    {
        QString number, name;
    };
    QList<Waiter> waiters;
    struct Member
    {
        QString card;
        double rate = 1;
    };
    QList<Member> members; // the usable ones
};

QString memberState(int index)
{
    if (index % 50 == 7)
        return u"停用"_s;
    if (index % 100 == 13)
        return u"挂失"_s;
    return u"可用"_s;
}

// Where rows go: the data layer (one statement per row as the program writes, or many rows per
// statement for a server), or the sqlite3 C API.
class Writer
{
public:
    virtual ~Writer() = default;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void write(const QString &table, const Row &row) = 0;
};

class DataLayerWriter : public Writer
{
public:
    DataLayerWriter(const Database &db, int rowsPerStatement) : m_db(db), m_rowsPerStatement(rowsPerStatement)
    {
    }

    void begin() override { m_tx.emplace(m_db); }
    void commit() override
    {
        flush();
        m_tx->commit();
        m_tx.reset();
    }
    void write(const QString &table, const Row &row) override
    {
        if (m_rowsPerStatement <= 1) {
            m_db.execute(Statement::insert(table, row));
            return;
        }
        if (table != m_table)
            flush();
        m_table = table;
        m_rows.append(row);
        if (m_rows.size() >= m_rowsPerStatement)
            flush();
    }

private:
    void flush()
    {
        if (m_rows.isEmpty())
            return;
        QStringList columns;
        for (const auto &[name, value] : std::as_const(m_rows.first()))
            columns.append(quoteIdentifier(name));
        Statement st(u"insert into "_s + quoteIdentifier(m_table) + u" ("_s + columns.join(u", "_s) +
                     u") values "_s);
        for (qsizetype r = 0; r < m_rows.size(); ++r) {
            st.sql(r == 0 ? u"("_s : u", ("_s);
            const Row &row = m_rows.at(r);
            for (qsizetype c = 0; c < row.size(); ++c) {
                if (c > 0)
                    st.sql(u", "_s);
                st.value(row.at(c).second);
            }
            st.sql(u")"_s);
        }
        m_db.execute(st);
        m_rows.clear();
    }

    Database m_db;
    int m_rowsPerStatement;
    std::optional<Transaction> m_tx;
    QString m_table;
    QList<Row> m_rows;
};

class RawWriter : public Writer
{
public:
    explicit RawWriter(const QString &path) : m_db(path)
    {
        m_db.exec(u"pragma journal_mode=OFF"_s);
        m_db.exec(u"pragma synchronous=OFF"_s);
        m_db.exec(u"pragma cache_size=-1000000"_s);
    }

    void begin() override { m_db.exec(u"begin immediate"_s); }
    void commit() override { m_db.exec(u"commit"_s); }
    void write(const QString &table, const Row &row) override
    {
        std::unique_ptr<RawStatement> &st = m_statements[table];
        if (!st) {
            QStringList columns, holes;
            for (const auto &[name, value] : row) {
                columns.append(quoteIdentifier(name));
                holes.append(u"?"_s);
            }
            st = std::make_unique<RawStatement>(
                m_db.handle(), u"insert into "_s + quoteIdentifier(table) + u" ("_s + columns.join(u", "_s) +
                                   u") values ("_s + holes.join(u", "_s) + u")"_s);
        }
        int hole = 1;
        for (const auto &[name, v] : row) {
            switch (v.kind()) {
            case SqlValue::Kind::Null:
                st->bindNull(hole);
                break;
            case SqlValue::Kind::Text:
                st->bind(hole, v.textValue());
                break;
            case SqlValue::Kind::Integer:
            case SqlValue::Kind::Boolean:
                st->bind(hole, v.integerValue());
                break;
            case SqlValue::Kind::Real:
                st->bind(hole, v.realValue());
                break;
            case SqlValue::Kind::Money:
                st->bind(hole, v.moneyValue().raw());
                break;
            case SqlValue::Kind::Date:
                st->bind(hole, DateTimeText::date(v.dateValue()));
                break;
            case SqlValue::Kind::DateTime:
                st->bind(hole, DateTimeText::dateTime(v.dateTimeValue()));
                break;
            }
            ++hole;
        }
        st->run();
    }

private:
    RawSqlite m_db;
    std::map<QString, std::unique_ptr<RawStatement>> m_statements;
};

// Builds the rows and drops them: what building alone costs, to tell it from writing.
class NullWriter : public Writer
{
public:
    void begin() override {}
    void commit() override {}
    void write(const QString &, const Row &row) override { m_count += row.size(); }
    qint64 m_count = 0;
};

void say(QTextStream *log, const QString &text)
{
    if (log)
        *log << text << Qt::endl;
}

// Everything but the history; fills the model the history is built from.
Model writeVenue(Writer &w, quint64 seed, const Size &size, const QDate &lastDay, QTextStream *log)
{
    Random rnd(seed);
    Model model;
    const QDate firstDay = lastDay.addYears(-size.years);
    const int roomTypes = std::min<int>(size.roomTypes, int(roomTypeList().size()));

    w.begin();
    for (int r = 0; r < roomTypes; ++r) {
        const RoomType &t = roomTypeList().at(r);
        w.write(u"包厢类型"_s, {{u"包厢类型"_s, SqlValue::text(t.name)},
                                {u"包厢性质"_s, SqlValue::text(u"无"_s)},
                                {u"容纳人数"_s, SqlValue::integer(t.billing == u"包厢计费"_s ? 4 : 100)},
                                {u"计费方式"_s, SqlValue::text(t.billing)},
                                {u"门票价格"_s, SqlValue::money(Money::fromUnits(t.ticketUnits))},
                                {u"初始费用"_s, SqlValue::money(Money::fromUnits(t.initialUnits))}});
    }
    for (int i = 0; i < size.tags; ++i) {
        const RoomType &t = roomTypeList().at(i % roomTypes);
        const QString number = t.letter + u"%1"_s.arg(i / roomTypes + 1, 3, 10, QChar(u'0'));
        model.tags.append(number);
        w.write(u"手牌管理"_s, {{u"手牌号码"_s, SqlValue::text(number)},
                                {u"所属包厢"_s, SqlValue::text(t.name)},
                                {u"手牌状态"_s, SqlValue::text(tagStateText(TagState::Free))},
                                {u"所在位置"_s, SqlValue::text(i / roomTypes < 50 ? u"一楼"_s : u"二楼"_s)},
                                {u"包厢性质"_s, SqlValue::text(u"无"_s)}});
    }

    // The catalogue: a qualifier, an item and a code, so names share their first characters the
    // way a real catalogue's do and sort by the whole text.
    QSet<QString> names;
    while (names.size() < size.items) {
        const ItemType &type = itemTypes().at(rnd.below(int(itemTypes().size())));
        const Word &q = rnd.pick(qualifiers());
        const Word &b = rnd.pick(type.bases);
        const QString code = QChar(u'A' + rnd.below(26)) + u"%1"_s.arg(rnd.below(100), 2, 10, QChar(u'0'));
        const QString name = q.text + b.text + u" "_s + code;
        if (names.contains(name))
            continue;
        names.insert(name);
        Model::Item item;
        item.name = name;
        item.service = type.service;
        item.price = Money::fromUnits(rnd.between(type.lowUnits, type.highUnits)) +
                     (rnd.percent(20) ? Money::fromRaw(5000) : Money());
        item.commission = type.service ? Money::fromUnits(rnd.between(5, 40)) : Money();
        (type.service ? model.services : model.goods).append(item);
        w.write(u"商品项目库"_s, {{u"项目名"_s, SqlValue::text(name)},
                                  {u"名称拼音"_s, SqlValue::text(q.initials + b.initials + code)},
                                  {u"单价"_s, SqlValue::money(item.price)},
                                  {u"所属类型"_s, SqlValue::text(type.name)},
                                  {u"打折率"_s, SqlValue::real(1)},
                                  {u"提成金额"_s, SqlValue::money(item.commission)},
                                  {u"是否允许打折"_s, SqlValue::text(rnd.percent(80) ? u"是"_s : u"否"_s)},
                                  {u"是否需要服务"_s, SqlValue::text(type.service ? u"是"_s : u"否"_s)}});
    }

    for (int i = 0; i < size.waiters; ++i) {
        Model::Waiter waiter{u"F%1"_s.arg(i + 1, 3, 10, QChar(u'0')), personName(rnd)};
        model.waiters.append(waiter);
        w.write(u"服务生管理"_s,
                {{u"服务生编号"_s, SqlValue::text(waiter.number)},
                 {u"服务生姓名"_s, SqlValue::text(waiter.name)},
                 {u"性别"_s, SqlValue::text(rnd.percent(40) ? u"男"_s : u"女"_s)},
                 {u"服务包厢"_s, SqlValue::text(roomTypeList().at(i % roomTypes).name)},
                 {u"服务生等级"_s, SqlValue::text(rnd.pick(QList<QString>{u"初级"_s, u"中级"_s, u"高级"_s}))},
                 {u"状态"_s, SqlValue::text(i % 20 == 19 ? u"离职"_s : u"在岗"_s)},
                 {u"联系电话"_s, SqlValue::text(u"139%1"_s.arg(rnd.below(100000000), 8, 10, QChar(u'0')))},
                 {u"证件号码"_s, SqlValue::text(QString())},
                 {u"备注"_s, SqlValue::text(QString())},
                 {u"联系地址"_s, SqlValue::text(QString())},
                 {u"包厢性质"_s, SqlValue::text(u"无"_s)},
                 {u"服务等级"_s, SqlValue::text(QString())}});
    }

    for (const MemberType &t : memberTypes())
        w.write(u"会员类型"_s, {{u"类型名称"_s, SqlValue::text(t.name)},
                                {u"打折率"_s, SqlValue::real(t.rate)},
                                {u"初始积分"_s, SqlValue::integer(t.initialPoints)}});
    w.commit();

    say(log, u"hashing %1 member passwords"_s.arg(passwords().size()));
    QStringList hashes;
    for (const QString &p : passwords())
        hashes.append(PasswordHash::hash(p));

    const int days = int(firstDay.daysTo(lastDay));
    for (int i = 0; i < size.members; ++i) {
        if (i % 10000 == 0) {
            if (i > 0)
                w.commit();
            w.begin();
        }
        const MemberType &type = memberTypes().at(std::min(rnd.below(10), int(memberTypes().size()) - 1));
        const QString state = memberState(i);
        if (state == u"可用"_s)
            model.members.append({memberCard(i), type.rate});
        w.write(u"会员管理"_s,
                {{u"会员卡号"_s, SqlValue::text(memberCard(i))},
                 {u"会员姓名"_s, SqlValue::text(personName(rnd))},
                 {u"密码"_s, SqlValue::text(hashes.at(i % hashes.size()))},
                 {u"当前状态"_s, SqlValue::text(state)},
                 {u"卡内金额"_s, SqlValue::money(Money::fromUnits(rnd.below(50) * 100))},
                 {u"当前积分"_s, SqlValue::integer(rnd.below(20000))},
                 {u"会员性别"_s, SqlValue::text(rnd.percent(55) ? u"男"_s : u"女"_s)},
                 {u"会员类型"_s, SqlValue::text(type.name)},
                 {u"出生日期"_s, SqlValue::date(QDate(1955, 1, 1).addDays(rnd.below(365 * 50)))},
                 {u"联系电话"_s, SqlValue::text(u"13%1"_s.arg(rnd.below(1000000000), 9, 10, QChar(u'0')))},
                 {u"备注"_s, SqlValue::text(QString())},
                 {u"登记日期"_s,
                  SqlValue::date(firstDay.addDays(qint64(days) * i / std::max(1, size.members)))}});
    }
    w.commit();
    return model;
}

// Five years of settled bills, oldest first, about five lines each. Returns the counts.
WritingTimes writeHistory(Writer &w, const Model &model, quint64 seed, const Size &size, const QDate &lastDay)
{
    Random rnd(seed ^ 0x5bd1e995ULL);
    WritingTimes counts;
    const QDate firstDay = lastDay.addYears(-size.years).addDays(1);
    const int days = int(firstDay.daysTo(lastDay)) + 1;
    // Weekends are busier, and business grows a little year by year.
    QList<double> weight(days);
    double total = 0;
    for (int d = 0; d < days; ++d) {
        const int dow = firstDay.addDays(d).dayOfWeek();
        weight[d] = (dow >= 6 ? 1.5 : 1.0) * (1.0 + 0.3 * d / days);
        total += weight[d];
    }
    const QString settled = u"已结"_s, free = u"免单"_s, cash = u"现金支付"_s, card = u"卡内扣除"_s;
    const QString no = u"否"_s, nonMember = u"非会员"_s;
    constexpr int BillsPerTransaction = 5000;
    qint64 bill = 0;
    double cumulative = 0;
    for (int d = 0; d < days; ++d) {
        cumulative += weight[d];
        const qint64 until = d == days - 1 ? size.bills : qint64(std::floor(cumulative / total * size.bills));
        const qint64 today = until - bill;
        const QDateTime opening(firstDay.addDays(d), QTime(10, 0));
        for (qint64 k = 0; k < today; ++k, ++bill) {
            if (bill % BillsPerTransaction == 0) {
                if (bill > 0)
                    w.commit();
                w.begin();
            }
            const QString number = QString::number(bill + 1);
            // Settled between 10:30 and 23:50, in order through the day.
            const QDateTime leaving =
                opening.addSecs(1800 + (k * 48000 + rnd.below(600)) / std::max<qint64>(1, today));
            const QDateTime arrival = leaving.addSecs(-60 * rnd.between(30, 240));
            const QString tag = rnd.pick(model.tags);
            const QString customer = rnd.percent(20) ? personName(rnd) : QString();
            const QString clerk = rnd.pick(clerks());
            const bool isFree = rnd.percent(2);
            const Model::Member *member =
                !isFree && !model.members.isEmpty() && rnd.percent(30) ? &rnd.pick(model.members) : nullptr;
            const bool byCard = member && rnd.percent(50);
            const QString state = isFree ? free : settled;

            const int lines = rnd.between(1, 9);
            Money consumption;
            QList<Row> details, commissions;
            for (int l = 0; l < lines; ++l) {
                const bool service = !model.services.isEmpty() && (model.goods.isEmpty() || rnd.percent(60));
                const Model::Item &item = rnd.pick(service ? model.services : model.goods);
                const qint64 quantity = service ? 1 : rnd.between(1, 3);
                const Money amount = item.price * quantity;
                consumption += amount;
                const QDateTime at = arrival.addSecs(qint64(arrival.secsTo(leaving)) * l / lines);
                QString waiterNumber = clerk, waiterName = clerk;
                if (service) {
                    const Model::Waiter &waiter = rnd.pick(model.waiters);
                    waiterNumber = waiter.number;
                    waiterName = waiter.name;
                }
                details.append({{u"单据号"_s, SqlValue::text(number)},
                                {u"手牌号码"_s, SqlValue::text(tag)},
                                {u"顾客姓名"_s, SqlValue::text(customer)},
                                {u"消费项目"_s, SqlValue::text(item.name)},
                                {u"消费单价"_s, SqlValue::money(item.price)},
                                {u"消费数量"_s, SqlValue::integer(quantity)},
                                {u"消费金额"_s, SqlValue::money(amount)},
                                {u"消费时间"_s, SqlValue::dateTime(at)},
                                {u"是否计时"_s, SqlValue::text(no)},
                                {u"服务生编号"_s, SqlValue::text(waiterNumber)},
                                {u"服务生姓名"_s, SqlValue::text(waiterName)},
                                {u"营业员"_s, SqlValue::text(clerk)},
                                {u"状态"_s, SqlValue::text(state)}});
                if (!isFree && item.commission > Money())
                    commissions.append({{u"编号"_s, SqlValue::text(waiterNumber)},
                                        {u"姓名"_s, SqlValue::text(waiterName)},
                                        {u"结帐时间"_s, SqlValue::date(leaving.date())},
                                        {u"提成金额"_s, SqlValue::money(item.commission)},
                                        {u"单据号"_s, SqlValue::text(number)},
                                        {u"手牌号码"_s, SqlValue::text(tag)}});
            }
            const Money received = isFree   ? Money()
                                   : member ? consumption.multipliedBy(member->rate)
                                            : consumption;
            // As settling writes them: the record, then the details with their commission.
            w.write(u"结帐管理"_s,
                    {{u"结帐单号"_s, SqlValue::text(number)},
                     {u"手牌号码"_s, SqlValue::text(tag)},
                     {u"进店时间"_s, SqlValue::dateTime(arrival)},
                     {u"离店时间"_s, SqlValue::dateTime(leaving)},
                     {u"实收金额"_s, SqlValue::money(received)},
                     {u"消费金额"_s, SqlValue::money(consumption)},
                     {u"结帐方式"_s, SqlValue::text(byCard ? card : cash)},
                     {u"状态"_s, SqlValue::text(state)},
                     {u"结帐时间"_s, SqlValue::dateTime(leaving)},
                     {u"顾客姓名"_s, SqlValue::text(customer)},
                     {u"备注"_s, SqlValue::text(QString())},
                     {u"营业员"_s, SqlValue::text(clerk)},
                     {u"会员卡号"_s,
                      isFree ? SqlValue::null() : SqlValue::text(member ? member->card : nonMember)}});
            ++counts.bills;
            for (const Row &r : std::as_const(details)) {
                w.write(u"结帐明细"_s, r);
                ++counts.details;
            }
            for (const Row &r : std::as_const(commissions)) {
                w.write(u"服务生提成"_s, r);
                ++counts.commissions;
            }
        }
    }
    if (bill > 0)
        w.commit();
    return counts;
}

QString sizeTag(const Size &size)
{
    if (size == Size::full())
        return u"full"_s;
    return u"%1x%2x%3x%4x%5x%6x%7"_s.arg(size.roomTypes)
        .arg(size.tags)
        .arg(size.items)
        .arg(size.waiters)
        .arg(size.members)
        .arg(size.bills)
        .arg(size.years);
}

// What makes a venue: the generator, the schema and delivered rows, the seed and the size. The
// day it ends on is the day it was made, kept beside it.
QString venueKey(DbKind kind, quint64 seed, const Size &size)
{
    QCryptographicHash schema(QCryptographicHash::Sha1);
    schema.addData(DeliveredDatabase::schemaScript(kind).toUtf8());
    QFile delivered(u":/data/delivered.sql"_s);
    if (delivered.open(QIODevice::ReadOnly))
        schema.addData(delivered.readAll());
    return u"venue-%1-g%2-%3-%4"_s.arg(seed)
        .arg(GeneratorVersion)
        .arg(QString::fromLatin1(schema.result().toHex().left(8)), sizeTag(size));
}

QJsonObject timesToJson(const WritingTimes &t, const QDate &lastDay)
{
    return {{u"lastDay"_s, lastDay.toString(Qt::ISODate)},
            {u"bills"_s, t.bills},
            {u"details"_s, t.details},
            {u"commissions"_s, t.commissions},
            {u"dataLayerMs"_s, t.dataLayerMs},
            {u"rawMs"_s, t.rawMs},
            {u"buildMs"_s, t.buildMs}};
}

WritingTimes timesFromJson(const QJsonObject &o)
{
    WritingTimes t;
    t.bills = o.value(u"bills"_s).toInteger();
    t.details = o.value(u"details"_s).toInteger();
    t.commissions = o.value(u"commissions"_s).toInteger();
    t.dataLayerMs = o.value(u"dataLayerMs"_s).toDouble(-1);
    t.rawMs = o.value(u"rawMs"_s).toDouble(-1);
    t.buildMs = o.value(u"buildMs"_s).toDouble(-1);
    return t;
}

QString sqliteConnection(const QString &path)
{
    return ConnectionString::compose({{u"Provider"_s, u"SQLite"_s}, {u"Data Source"_s, path}});
}

// Durability is only relaxed on the generator's own connection, and only while it writes.
void relaxSqlite(const Database &db)
{
    QSqlQuery q(db.handle());
    q.exec(u"pragma journal_mode=OFF"_s);
    q.exec(u"pragma synchronous=OFF"_s);
    q.exec(u"pragma cache_size=-1000000"_s);
}

Place ensureSqlite(quint64 seed, const Size &size, QTextStream *log)
{
    const QString key = venueKey(DbKind::Sqlite, seed, size);
    QDir dir(cacheDir());
    if (!dir.mkpath(u"."_s))
        throw std::runtime_error("cannot make " + dir.path().toStdString());
    const QString path = dir.filePath(key + u".mdb"_s);
    const QString timesPath = dir.filePath(key + u".json"_s);
    Place place;
    place.path = path;
    place.connectionString = sqliteConnection(path);
    QFile timesFile(timesPath);
    if (QFileInfo::exists(path) && timesFile.open(QIODevice::ReadOnly)) {
        const QJsonObject o = QJsonDocument::fromJson(timesFile.readAll()).object();
        place.writing = timesFromJson(o);
        place.lastDay = QDate::fromString(o.value(u"lastDay"_s).toString(), Qt::ISODate);
        return place;
    }

    say(log, u"generating %1"_s.arg(QDir::toNativeSeparators(path)));
    place.lastDay = QDate::currentDate();
    const QString part = path + u".part"_s;
    const QString rawPart = dir.filePath(key + u".raw.part"_s);
    QFile::remove(part);
    QFile::remove(rawPart);
    DeliveredDatabase::createAt(part, {});
    DeliveredDatabase::createAt(rawPart, {});
    const QString connection = u"vesk-bench-venue"_s;
    {
        const Database db = Database::open(sqliteConnection(part), {}, connection);
        relaxSqlite(db);
        place.writing = generate(db, seed, size, place.lastDay, log, rawPart);
        QSqlQuery q(db.handle());
        // Back to the form a delivered file has, one file that a copy takes whole.
        q.exec(u"pragma journal_mode=DELETE"_s);
    }
    Database::remove(connection);
    QFile::remove(rawPart);
    if (!QFile::rename(part, path))
        throw std::runtime_error("cannot rename " + part.toStdString());
    if (!timesFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + timesPath.toStdString());
    timesFile.write(QJsonDocument(timesToJson(place.writing, place.lastDay)).toJson());
    timesFile.close();
    // Venues of the same seed and size made by another generator or for another schema are stale.
    const QString stem = u"venue-%1-"_s.arg(seed);
    for (const QFileInfo &old : dir.entryInfoList({stem + u"*"_s}, QDir::Files)) {
        if (old.completeBaseName() != key && old.completeBaseName().endsWith(u"-"_s + sizeTag(size))) {
            say(log, u"removing the stale %1"_s.arg(old.fileName()));
            QFile::remove(old.filePath());
        }
    }
    place.generated = true;
    return place;
}

QString withCatalog(const QString &connectionString, const QString &catalog)
{
    const ConnectionString cs = ConnectionString::parse(connectionString);
    QList<std::pair<QString, QString>> pairs;
    for (const QString &k : {u"Provider"_s, u"Data Source"_s, u"Port"_s, u"User ID"_s, u"Password"_s}) {
        if (cs.contains(k))
            pairs.append({k, cs.value(k)});
    }
    pairs.append({u"Initial Catalog"_s, catalog});
    return ConnectionString::compose(pairs);
}

Place ensurePostgreSql(quint64 seed, const Size &size, QTextStream *log)
{
    const QString connectionString = qEnvironmentVariable("VESK_BENCH_PG");
    if (connectionString.isEmpty())
        throw std::runtime_error(
            "VESK_BENCH_PG names no PostgreSQL database (a connection string such as "
            "\"Provider=PostgreSQL;Data Source=/tmp/mypg;User ID=postgres;Initial Catalog=vesk_bench\")");
    const QString catalog = ConnectionString::parse(connectionString).value(u"Initial Catalog"_s);
    if (catalog.isEmpty())
        throw std::runtime_error("VESK_BENCH_PG names no Initial Catalog");
    const QString key = venueKey(DbKind::PostgreSql, seed, size);
    const QString connection = u"vesk-bench-venue"_s;
    Place place;
    place.connectionString = connectionString;

    // The mark the generator leaves: a table of its own beside the program's.
    try {
        const Database db = Database::open(connectionString, {}, connection);
        bool ready = false;
        if (db.tableNames().contains(u"vesk_bench_venue"_s)) {
            Cursor c = db.query(Statement(u"select * from vesk_bench_venue"_s));
            if (c.next() && c.text(u"venue"_s) == key) {
                ready = true;
                place.writing.bills = c.integer(u"bills"_s);
                place.writing.details = c.integer(u"details"_s);
                place.writing.commissions = c.integer(u"commissions"_s);
                place.writing.dataLayerMs = c.real(u"data_layer_ms"_s);
                place.lastDay = c.date(u"last_day"_s);
            }
        }
        Database::remove(connection);
        if (ready)
            return place;
    } catch (const DbError &) {
        Database::remove(connection); // no such database yet
    }

    say(log, u"generating the PostgreSQL database %1"_s.arg(catalog));
    place.lastDay = QDate::currentDate();
    {
        const Database maintenance =
            Database::open(withCatalog(connectionString, u"postgres"_s), {}, connection);
        // The server prepares only queries and row changes: what makes or drops a database, a
        // table or a setting runs as a script.
        maintenance.executeScript(u"drop database if exists "_s + quoteIdentifier(catalog) + u" with (force);"_s);
        maintenance.executeScript(u"create database "_s + quoteIdentifier(catalog) + u";"_s);
    }
    Database::remove(connection);
    {
        const Database db = Database::open(connectionString, {}, connection);
        DeliveredDatabase::create(db);
        db.executeScript(u"set synchronous_commit = off;"_s);
        place.writing = generate(db, seed, size, place.lastDay, log);
        db.executeScript(u"create table vesk_bench_venue (venue text, last_day date, bills bigint, "
                         u"details bigint, commissions bigint, data_layer_ms double precision);"_s);
        db.execute(Statement(u"insert into vesk_bench_venue values ("_s)
                       .text(key)
                       .sql(u", "_s)
                       .date(place.lastDay)
                       .sql(u", "_s)
                       .integer(place.writing.bills)
                       .sql(u", "_s)
                       .integer(place.writing.details)
                       .sql(u", "_s)
                       .integer(place.writing.commissions)
                       .sql(u", "_s)
                       .real(place.writing.dataLayerMs)
                       .sql(u")"_s));
        QSqlQuery(db.handle()).exec(u"analyze"_s);
    }
    Database::remove(connection);
    place.generated = true;
    return place;
}

} // namespace

QString cacheDir()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty())
        base = QDir::home().filePath(u".cache"_s);
    return QDir(base).filePath(u"vesk-bench"_s);
}

QString memberCard(int index)
{
    return QString::number(80000001 + index);
}

QString memberPassword(int index)
{
    return passwords().at(index % passwords().size());
}

QString operatorName()
{
    return DeliveredDatabase::defaultOperatorName();
}

WritingTimes generate(const Database &db, quint64 seed, const Size &size, const QDate &lastDay,
                      QTextStream *log, const QString &rawPath)
{
    // A server is written many rows to a statement; the embedded file one row to a statement,
    // as the program itself writes, which is what the timing below is about.
    const int rowsPerStatement = db.kind() == DbKind::Sqlite ? 1 : 200;
    DataLayerWriter writer(db, rowsPerStatement);
    QElapsedTimer timer;
    timer.start();
    const Model model = writeVenue(writer, seed, size, lastDay, log);
    say(log, u"venue without history written in %1 s"_s.arg(timer.elapsed() / 1000.0, 0, 'f', 1));

    timer.restart();
    WritingTimes times = writeHistory(writer, model, seed, size, lastDay);
    times.dataLayerMs = double(timer.nsecsElapsed()) / 1e6;
    db.execute(Statement(u"update 单据号 set 单据号="_s).integer(times.bills));
    say(log,
        u"history through the data layer: %1 bills, %2 details, %3 commission rows in %4 s"_s.arg(times.bills)
            .arg(times.details)
            .arg(times.commissions)
            .arg(times.dataLayerMs / 1000, 0, 'f', 1));

    if (!rawPath.isEmpty()) {
        NullWriter none;
        timer.restart();
        writeHistory(none, model, seed, size, lastDay);
        times.buildMs = double(timer.nsecsElapsed()) / 1e6;
        RawWriter raw(rawPath);
        timer.restart();
        writeHistory(raw, model, seed, size, lastDay);
        times.rawMs = double(timer.nsecsElapsed()) / 1e6;
        say(log, u"the same history through the sqlite3 C API in %1 s"_s.arg(times.rawMs / 1000, 0, 'f', 1));
    }
    return times;
}

Place ensure(Kind kind, quint64 seed, const Size &size, QTextStream *log)
{
    return kind == Kind::Sqlite ? ensureSqlite(seed, size, log) : ensurePostgreSql(seed, size, log);
}

} // namespace Venue
