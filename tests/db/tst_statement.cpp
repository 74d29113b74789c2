// Statements: holes are bound, never pasted; the display form carries the delimiters.
#include "session/GgUt.h"
#include "db/DbError.h"
#include "db/Refusal.h"
#include "db/Statement.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestStatement : public QObject
{
    Q_OBJECT
private slots:
    void holesBecomePlaceholders();
    void displayUsesTheKindsDelimiters_data();
    void displayUsesTheKindsDelimiters();
    void operatorTypedColumnIsCheckedBeforeAnythingRuns();
    void knownColumnIsQuoted();
    void insertQuotesEveryColumn();
};

void TestStatement::holesBecomePlaceholders()
{
    Statement st;
    st.sql(u"select * from 管理员 where 用户名="_s).text(u"a' or '1'='1"_s).sql(u" and 密码="_s).text(u"x"_s);
    QCOMPARE(st.preparedText(), u"select * from 管理员 where 用户名=? and 密码=?"_s);
    QCOMPARE(st.values().size(), 2);
    QCOMPARE(st.values().at(0).textValue(), u"a' or '1'='1"_s);
}

void TestStatement::displayUsesTheKindsDelimiters_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("local file") << u"a"_s
                                << u"select * from 结帐管理 where 手牌号码=\"A8\" and 结帐时间>=#2009-01-31#"_s;
    QTest::newRow("server") << u"s"_s
                            << u"select * from 结帐管理 where 手牌号码='A8' and 结帐时间>='2009-01-31'"_s;
    QTest::newRow("upper-case S is no server") << u"S"_s
                                               << u"select * from 结帐管理 where 手牌号码=A8 and 结帐时间>=2009-01-31"_s;
    QTest::newRow("missing setting") << u"0"_s
                                     << u"select * from 结帐管理 where 手牌号码=A8 and 结帐时间>=2009-01-31"_s;
}

void TestStatement::displayUsesTheKindsDelimiters()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    Statement st;
    st.sql(u"select * from 结帐管理 where 手牌号码="_s)
        .text(u"A8"_s)
        .sql(u" and 结帐时间>="_s)
        .date(QDate(2009, 1, 31));
    QCOMPARE(st.display(SqlTextQuote(kind), SqlDateQuote(kind)), expected);
}

void TestStatement::operatorTypedColumnIsCheckedBeforeAnythingRuns()
{
    Statement st(u"select * from 会员管理 where "_s);
    try {
        st.column(u"会员管理"_s, u"会员卡号; drop table 会员管理"_s);
        QFAIL("an unknown column name was accepted");
    } catch (const UnknownColumnError &e) {
        QCOMPARE(e.column(), u"会员卡号; drop table 会员管理"_s);
        QVERIFY(e.text().contains(u"会员卡号; drop table 会员管理"_s));
    }
    // nothing of the refused name reached the statement
    QCOMPARE(st.preparedText(), u"select * from 会员管理 where "_s);
    QVERIFY_THROWS_EXCEPTION(UnknownColumnError, Statement().column(u"没有的表"_s, u"会员卡号"_s));
}

void TestStatement::knownColumnIsQuoted()
{
    Statement st(u"select * from 会员管理 where "_s);
    st.column(u"会员管理"_s, u" 会员姓名 "_s).sql(u" like "_s).text(u"%张%"_s);
    QCOMPARE(st.preparedText(), u"select * from 会员管理 where 会员姓名 like ?"_s);
    QCOMPARE(st.display(u"'"_s, u"'"_s), u"select * from 会员管理 where 会员姓名 like '%张%'"_s);
    // the schema's spelling is used, whatever case the operator typed
    QCOMPARE(Statement().column(u"结帐明细"_s, u"id"_s).preparedText(), u"ID"_s);
}

void TestStatement::insertQuotesEveryColumn()
{
    const Statement st = Statement::insert(u"sysinfo"_s, {{u"name"_s, SqlValue::text(u"店"_s)},
                                                           {u"add"_s, SqlValue::text(u"路"_s)}});
    QCOMPARE(st.preparedText(), u"insert into sysinfo (name, \"add\") values (?, ?)"_s);
    QCOMPARE(st.values().size(), 2);
}

QTEST_GUILESS_MAIN(TestStatement)
#include "tst_statement.moc"
