// The login window: the operator list, the pre-filled default password, Enter, right and
// wrong passwords, and exactly one login record per successful login.
#include "app/LgUt.h"
#include "app/MainUt.h"
#include "db/PasswordHash.h"
#include "session/Attempts.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

struct LoginWindow
{
    LoginWindow() : t(u"sqlite"_s)
    {
        Permissions cashier;
        cashier.set(Permission::Checkout, true);
        addOperator(t.db(), u"收银员"_s, u"8888"_s, cashier);
        RunState run = runState(t.db(), t.baseDir());
        run.CurrentOperator.clear();
        run.permissions = Permissions();
        window = std::make_unique<TLgFm>(std::move(run), prompt);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QComboBox *name() const { return window->findChild<QComboBox *>(u"ComboBox1"_s); }
    QLineEdit *password() const { return window->findChild<QLineEdit *>(u"Edit1"_s); }
    QPushButton *button(const QString &n) const { return window->findChild<QPushButton *>(n); }
    qint64 records() const { return count(t.db(), u"启动记录"_s); }

    TestDatabase t;
    ScriptedPrompt prompt;
    std::unique_ptr<TLgFm> window;
};

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void loginWaitsForAnotherCountersWrite();
    void aPrefilledPasswordCountsOnlyWhileItsHashStands();
    void guessingAnOperatorsPasswordIsLimited();
    void listsOperatorsAndPrefillsTheDefault();
    void rightPasswordLogsInOnceAndHoldsTheFlags();
    void wrongPasswordStaysAndWritesNothing();
    void enterLogsInOnlyAfterThePasswordBoxHadFocus();
    void typedNameWorksLikeAChosenOne();
    void changedDefaultIsNotPrefilled();
    void aPasswordChangedBeforeTheFirstShowingIsNotPrefilled();
};

void TestLogin::listsOperatorsAndPrefillsTheDefault()
{
    LoginWindow l;
    QCOMPARE(l.name()->count(), 2);
    QCOMPARE(l.name()->itemText(0), u"超级管理员"_s);
    QCOMPARE(l.name()->itemText(1), u"收银员"_s);
    QCOMPARE(l.name()->currentText(), u"超级管理员"_s);
    QCOMPARE(l.password()->text(), u"1"_s);
    QCOMPARE(l.window->windowTitle(), u"测试系统"_s);
    QCOMPARE(l.password()->echoMode(), QLineEdit::Password);
}

void TestLogin::rightPasswordLogsInOnceAndHoldsTheFlags()
{
    LoginWindow l;
    l.name()->setEditText(u"收银员"_s);
    l.password()->setText(u"8888"_s);
    QTest::mouseClick(l.button(u"Button1"_s), Qt::LeftButton);
    QVERIFY(l.window->mainWindow());
    QVERIFY(l.window->isHidden());
    QCOMPARE(l.window->run().CurrentOperator, u"收银员"_s);
    QVERIFY(l.window->run().has(Permission::Checkout));
    QVERIFY(!l.window->run().has(Permission::OpenBill));
    QCOMPARE(l.records(), 1);
    QCOMPARE(l.t.db().scalar(Statement(u"select 用户名 from 启动记录"_s)).toString(), u"收银员"_s);
    QVERIFY(l.prompt.shown.isEmpty());
    l.prompt.confirmAnswers = {true};
    l.window->mainWindow()->close();
}

void TestLogin::wrongPasswordStaysAndWritesNothing()
{
    LoginWindow l;
    l.name()->setEditText(u"收银员"_s);
    l.password()->setText(u"1"_s); // the default belongs to the other operator
    QTest::mouseClick(l.button(u"Button1"_s), Qt::LeftButton);
    QCOMPARE(l.prompt.shown, QStringList{u"用户名或者密码错误请重新输入！"_s});
    QVERIFY(!l.window->mainWindow());
    QCOMPARE(l.records(), 0);
    QCOMPARE(l.password()->selectedText(), u"1"_s);
    QVERIFY(l.window->isVisible());

    l.name()->setEditText(u"没有这个人"_s);
    l.password()->setText(u"8888"_s);
    QTest::mouseClick(l.button(u"Button1"_s), Qt::LeftButton);
    QCOMPARE(l.prompt.shown.size(), 2);
    QCOMPARE(l.records(), 0);
}

void TestLogin::enterLogsInOnlyAfterThePasswordBoxHadFocus()
{
    LoginWindow l;
    l.name()->setCurrentIndex(1); // no default password: the name box has the focus
    l.window->prepareForLogin();
    l.name()->setEditText(u"收银员"_s);
    l.name()->setFocus();
    QVERIFY(!l.button(u"Button1"_s)->isDefault());
    QTest::keyClick(l.window.get(), Qt::Key_Return);
    QVERIFY(!l.window->mainWindow());
    QCOMPARE(l.records(), 0);

    l.password()->setFocus();
    QVERIFY(l.button(u"Button1"_s)->isDefault());
    l.password()->setText(u"8888"_s);
    QTest::keyClick(l.password(), Qt::Key_Return);
    QVERIFY(l.window->mainWindow());
    QCOMPARE(l.records(), 1);
    l.prompt.confirmAnswers = {true};
    l.window->mainWindow()->close();
}

void TestLogin::typedNameWorksLikeAChosenOne()
{
    LoginWindow l;
    // the pre-filled default with the first name, logged in by Enter at once
    QTest::keyClick(l.password(), Qt::Key_Return);
    QVERIFY(l.window->mainWindow());
    QCOMPARE(l.window->run().CurrentOperator, u"超级管理员"_s);
    QVERIFY(l.window->run().has(Permission::CancelBill));
    l.prompt.confirmAnswers = {true};
    l.window->mainWindow()->close();
}

void TestLogin::changedDefaultIsNotPrefilled()
{
    LoginWindow l;
    l.t.db().execute(Statement(u"delete from 管理员 where 用户名="_s).text(u"超级管理员"_s));
    l.window->prepareForLogin();
    QCOMPARE(l.name()->currentText(), u"收银员"_s);
    QVERIFY(l.password()->text().isEmpty());
}

// The window begins checking the delivered password when it is built; a password changed before
// it first shows is checked again, not taken from that early answer.
void TestLogin::aPasswordChangedBeforeTheFirstShowingIsNotPrefilled()
{
    TestDatabase t(u"sqlite"_s);
    ScriptedPrompt prompt;
    for (const bool changed : {false, true}) {
        TLgFm window(runState(t.db(), t.baseDir()), prompt);
        if (changed)
            t.db().execute(Statement(u"update 管理员 set 密码="_s).text(PasswordHash::hash(u"2"_s))
                               .sql(u" where 用户名="_s).text(u"超级管理员"_s));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.findChild<QLineEdit *>(u"Edit1"_s)->text(), changed ? QString() : u"1"_s);
    }
}

// The login trusts the pre-filled password without deriving it again only while the operator's
// stored hash is the one it was checked against.
void TestLogin::aPrefilledPasswordCountsOnlyWhileItsHashStands()
{
    TestDatabase t(u"sqlite"_s);
    const std::optional<Login::Verified> prefilled = Login::prefilledPassword(t.db());
    QVERIFY(prefilled.has_value());
    QCOMPARE(prefilled->password, u"1"_s);
    QVERIFY(Login::logIn(t.db(), u"超级管理员"_s, u"1"_s, QDateTime::currentDateTime(), prefilled));
    t.db().execute(Statement(u"update 管理员 set 密码="_s).text(PasswordHash::hash(u"2"_s))
                       .sql(u" where 用户名="_s).text(u"超级管理员"_s));
    QVERIFY(!Login::logIn(t.db(), u"超级管理员"_s, u"1"_s, QDateTime::currentDateTime(), prefilled));
    QVERIFY(Login::logIn(t.db(), u"超级管理员"_s, u"2"_s, QDateTime::currentDateTime(), prefilled));
}

void TestLogin::guessingAnOperatorsPasswordIsLimited()
{
    TestDatabase t(u"sqlite"_s);
    const QDateTime at(QDate(2026, 12, 9), QTime(9, 0));
    for (int i = 0; i < 4; ++i)
        QVERIFY(!Login::logIn(t.db(), u"超级管理员"_s, u"wrong"_s, at.addSecs(i)));
    QVERIFY_THROWS_EXCEPTION(Attempts::LockedOut, Login::logIn(t.db(), u"超级管理员"_s, u"wrong"_s, at.addSecs(5)));
    QVERIFY_THROWS_EXCEPTION(Attempts::LockedOut, Login::logIn(t.db(), u"超级管理员"_s, u"1"_s, at.addSecs(60)));
    QCOMPARE(count(t.db(), u"启动记录"_s), 0);
    QVERIFY(Login::logIn(t.db(), u"超级管理员"_s, u"1"_s, at.addSecs(5 + 601)));
}

// Another counter's write holds the file for a moment; a login meanwhile waits for it, as every
// other write does, instead of failing at once with "database is locked".
void TestLogin::loginWaitsForAnotherCountersWrite()
{
    TestDatabase t(u"sqlite"_s);
    std::atomic<bool> locked{false};
    std::thread other([&] {
        const QString name = u"other-counter"_s;
        {
            const Database d = Database::open(t.connectionString(), t.baseDir(), name);
            QSqlQuery q(d.handle());
            q.exec(u"begin immediate"_s);
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            q.exec(u"commit"_s);
        }
        Database::remove(name);
    });
    while (!locked)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    QElapsedTimer waited;
    waited.start();
    std::optional<Login::LoggedIn> in;
    QString failure;
    try {
        in = Login::logIn(t.db(), u"超级管理员"_s, u"1"_s, QDateTime::currentDateTime());
    } catch (const DbError &e) {
        failure = e.text();
    }
    other.join();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(in.has_value());
    QVERIFY(waited.elapsed() >= 300); // it waited for the other counter
    QCOMPARE(count(t.db(), u"启动记录"_s), 1);
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
