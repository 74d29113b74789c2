// How quickly the member register and the recharge records answer at venue scale: 50,000 members
// and 500,000 recharges on the embedded database, through the real screens (offscreen).
// Usage: bench_members [members] [recharges] [runs]
#include "card/CardReader.h"
#include "data/DeliveredDatabase.h"
#include "db/IniFile.h"
#include "db/PasswordHash.h"
#include "db/Transaction.h"
#include "members/ChongZhiRecordUt.h"
#include "members/MemberUt.h"
#include "session/RunState.h"
#include "widgets/DataGrid.h"
#include "widgets/Prompt.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Answers nothing and shows nothing: a bench has nobody to ask.
class SilentPrompt : public Prompt
{
public:
    void message(QWidget *, const QString &, Icon) override {}
    bool confirm(QWidget *, const QString &, const QString &) override { return false; }
    std::optional<QString> inputText(QWidget *, const QString &, const QString &, const QString &, bool) override
    {
        return std::nullopt;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};

QString card(int i)
{
    return u"8%1"_s.arg(i, 7, 10, QChar(u'0'));
}

const QStringList Surnames{u"王"_s, u"李"_s, u"张"_s, u"刘"_s, u"陈"_s, u"杨"_s, u"赵"_s, u"黄"_s, u"周"_s, u"吴"_s};
const QStringList Given{u"伟"_s, u"芳"_s, u"娜"_s, u"敏"_s, u"静"_s, u"丽"_s, u"强"_s, u"磊"_s, u"军"_s, u"洋"_s,
                        u"勇"_s, u"艳"_s, u"杰"_s, u"娟"_s, u"涛"_s, u"明"_s, u"超"_s, u"秀"_s, u"霞"_s, u"平"_s};

QString name(int i)
{
    return Surnames.at(i % 10) + Given.at((i / 10) % 20) + Given.at((i / 200) % 20);
}

QString phone(int i)
{
    return u"139%1"_s.arg((i * 7919) % 100000000, 8, 10, QChar(u'0'));
}

void fill(const Database &db, int members, int recharges, QTextStream &out)
{
    QElapsedTimer timer;
    timer.start();
    const QString hash = PasswordHash::hash(u"1234"_s);
    const QStringList types{u"普通卡"_s, u"银卡"_s, u"金卡"_s, u"钻石卡"_s, u"员工卡"_s};
    Transaction tx(db);
    for (const QString &type : types)
        db.insert(u"会员类型"_s, {{u"类型名称"_s, SqlValue::text(type)}, {u"打折率"_s, SqlValue::real(0.9)}});
    for (int i = 0; i < members; ++i) {
        db.insert(u"会员管理"_s, {{u"会员卡号"_s, SqlValue::text(card(i))},
                                  {u"会员姓名"_s, SqlValue::text(name(i))},
                                  {u"密码"_s, SqlValue::text(hash)},
                                  {u"当前状态"_s, SqlValue::text(u"可用"_s)},
                                  {u"卡内金额"_s, SqlValue::money(Money::fromRaw(qint64(i % 9973) * 10000))},
                                  {u"当前积分"_s, SqlValue::integer(i % 5000)},
                                  {u"会员性别"_s, SqlValue::text(i % 3 ? u"女"_s : u"男"_s)},
                                  {u"会员类型"_s, SqlValue::text(types.at(i % 5))},
                                  {u"出生日期"_s, SqlValue::date(QDate(1960, 1, 1).addDays(i % 15000))},
                                  {u"联系电话"_s, SqlValue::text(phone(i))},
                                  {u"备注"_s, SqlValue::text(u"无"_s)},
                                  {u"登记日期"_s, SqlValue::date(QDate(2021, 1, 1).addDays(i % 1800))}});
    }
    const QDateTime start(QDate(2021, 1, 1), QTime(9, 0));
    for (int i = 0; i < recharges; ++i) {
        const int m = (i * 31) % members;
        db.insert(u"会员充值"_s, {{u"会员卡号"_s, SqlValue::text(card(m))},
                                  {u"会员姓名"_s, SqlValue::text(name(m))},
                                  {u"会员类型"_s, SqlValue::text(types.at(m % 5))},
                                  {u"充值金额"_s, SqlValue::money(Money::fromUnits(i % 20 ? 100 * (1 + i % 10) : -50))},
                                  {u"充值日期"_s, SqlValue::dateTime(start.addSecs(qint64(i) * 300))},
                                  {u"备注"_s, SqlValue::text(QString())},
                                  {u"营业员"_s, SqlValue::text(u"收银员%1"_s.arg(i % 12))}});
    }
    tx.commit();
    out << members << " members and " << recharges << " recharges written in " << timer.elapsed() << " ms\n";
}

struct Figures
{
    QString action;
    QList<double> ms;
};

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v.at(v.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int members = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50000;
    const int recharges = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 500000;
    const int runs = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 9;
    QTextStream out(stdout);
    QTemporaryDir dir;
    DeliveredDatabase::createAt(u"data.mdb"_s, dir.path());
    {
        const Database db = Database::open(u"Provider=SQLite;Data Source=data.mdb"_s, dir.path(), u"bench"_s);
        fill(db, members, recharges, out);

        RunState run;
        run.db = db;
        run.appDir = dir.path();
        run.ini = IniFile(dir.path() + u"/system.ini"_s);
        run.CurrentOperator = u"超级管理员"_s;
        run.permissions = Permissions::all();
        SilentPrompt prompt;
        const std::unique_ptr<ReaderDevice> device = makeReaderDevice(run.ini, dir.path());
        CardReader reader(*device, prompt);
        const ScreenContext ctx{db, SessionView(run), prompt, reader};

        QList<Figures> figures;
        const auto time = [&](const QString &action, const std::function<void()> &prepare,
                              const std::function<void()> &act) {
            Figures f{action, {}};
            for (int i = 0; i < runs; ++i) {
                if (prepare)
                    prepare();
                QElapsedTimer t;
                t.start();
                act();
                QApplication::processEvents();
                f.ms.append(double(t.nsecsElapsed()) / 1e6);
            }
            figures.append(f);
        };
        const auto search = [](ListScreen &screen, const QString &field, const QString &value) {
            screen.findChild<QComboBox *>(u"fieldBox"_s)->setCurrentText(field);
            screen.findChild<QLineEdit *>(u"valueEdit"_s)->setText(value);
            screen.findChild<QPushButton *>(u"searchButton"_s)->click();
        };

        std::unique_ptr<ListScreen> screen;
        time(u"open the register (count, balance sum, first rows)"_s, [&] { screen.reset(); },
             [&] {
                 screen = std::make_unique<TMemberFm>(ctx);
                 screen->show();
             });
        const int probe = members / 2;
        time(u"register: search by card number"_s, {}, [&] { search(*screen, u"会员卡号"_s, card(probe)); });
        time(u"register: search by name"_s, {}, [&] { search(*screen, u"会员姓名"_s, name(probe)); });
        time(u"register: search by telephone"_s, {}, [&] { search(*screen, u"联系电话"_s, phone(probe)); });
        time(u"register: show all again"_s, {},
             [&] { screen->findChild<QAction *>(u"actShowAll"_s)->trigger(); });
        time(u"register: sort by balance, descending"_s, {},
             [&] { screen->grid().sortBy(u"卡内金额"_s, Qt::DescendingOrder); });
        time(u"register: footer (count and balance sum) read again"_s, {}, [&] { screen->grid().refresh(); });
        screen.reset();

        time(u"open the recharge records (count, amount sum, first rows)"_s, [&] { screen.reset(); },
             [&] {
                 screen = std::make_unique<TChongZhiRecordFm>(ctx);
                 screen->show();
             });
        time(u"records: search by card number"_s, {}, [&] { search(*screen, u"会员卡号"_s, card(probe)); });
        time(u"records: search by operator (1 in 12)"_s, {}, [&] { search(*screen, u"营业员"_s, u"收银员5"_s); });
        time(u"records: show all again"_s, {}, [&] { screen->findChild<QAction *>(u"actShowAll"_s)->trigger(); });
        time(u"records: sort by amount"_s, {}, [&] { screen->grid().sortBy(u"充值金额"_s, Qt::AscendingOrder); });
        time(u"records: footer (count and amount sum) read again"_s, {}, [&] { screen->grid().refresh(); });
        screen.reset();

        out << "\n| action | median (min–max), " << runs << " runs |\n|---|---|\n";
        for (const Figures &f : std::as_const(figures)) {
            out << "| " << f.action << " | " << QString::number(median(f.ms), 'f', 1) << " ms ("
                << QString::number(*std::min_element(f.ms.begin(), f.ms.end()), 'f', 1) << "–"
                << QString::number(*std::max_element(f.ms.begin(), f.ms.end()), 'f', 1) << ") |\n";
        }
        out.flush();
    }
    Database::remove(u"bench"_s);
    return 0;
}
