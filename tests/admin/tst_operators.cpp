// The operator screen and the password screen on every database kind: the three states, what a
// new operator is stored with, the refused names, the delete rules, keeping an operator who may
// manage operators, and the old password checked against its hash.
#include "admin/AdminChangePassUt.h"
#include "admin/AdminUt.h"
#include "db/PasswordHash.h"
#include "session/Operators.h"
#include "setup/FormDriver.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace FormDriver;

namespace {

struct Rig
{
    explicit Rig(const QString &kind)
        : t(kind), run(Fixtures::runState(t.db(), t.baseDir())), screens(run, prompt)
    {
    }

    const Database &db() const { return t.db(); }
    const ScreenContext &ctx() const { return screens.context; }
    qint64 operators() const { return Fixtures::count(db(), u"管理员"_s); }
    QVariant stored(const QString &name, const QString &column) const
    {
        Cursor c = db().query(Statement(u"select * from 管理员 where 用户名="_s).text(name));
        if (!c.next())
            return {};
        if (column == u"密码"_s || column == u"用户名"_s)
            return c.text(column);
        return c.boolean(column);
    }
    void addOperator(const QString &name, bool admin) const
    {
        Permissions p;
        p.set(Permission::AdminSettings, admin);
        p.set(Permission::Checkout, true);
        Fixtures::addOperator(db(), name, u"8888"_s, p);
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    Fixtures::ScreenRig screens;
};

struct Screen
{
    explicit Screen(Rig &r) : form(r.ctx())
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    void select(const QString &name)
    {
        auto *grid = form.findChild<DataGrid *>(u"operatorGrid"_s);
        for (int row = 0; row < grid->loadedRowCount(); ++row) {
            if (grid->value(row, u"用户名"_s).toString() == name) {
                grid->setCurrentRow(row);
                return;
            }
        }
        QFAIL("no such operator in the list");
    }
    // On the box itself: a short caption leaves the middle of its cell empty.
    void tick(Permission p)
    {
        QCheckBox *b = form.box(p);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }

    TAdminFm form;
};

} // namespace

class TestOperators : public QObject
{
    Q_OBJECT
private slots:
    void theThreeStatesGateTheButtonsAndBoxes_data() { TestDatabase::addKindRows(); }
    void theThreeStatesGateTheButtonsAndBoxes();
    void aNewOperatorGetsTheDefaultsAndTheHashedDefaultPassword_data() { TestDatabase::addKindRows(); }
    void aNewOperatorGetsTheDefaultsAndTheHashedDefaultPassword();
    void editingWritesTheBoxesAndKeepsThePassword_data() { TestDatabase::addKindRows(); }
    void editingWritesTheBoxesAndKeepsThePassword();
    void anEmptyOrTakenNameIsRefused_data() { TestDatabase::addKindRows(); }
    void anEmptyOrTakenNameIsRefused();
    void deleteRulesInTheirOrder_data() { TestDatabase::addKindRows(); }
    void deleteRulesInTheirOrder();
    void theLastOperatorWhoManagesOperatorsStays_data() { TestDatabase::addKindRows(); }
    void theLastOperatorWhoManagesOperatorsStays();
    void thePasswordChangeChecksTheOldOneAgainstTheHash_data() { TestDatabase::addKindRows(); }
    void thePasswordChangeChecksTheOldOneAgainstTheHash();
};

void TestOperators::theThreeStatesGateTheButtonsAndBoxes()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Screen s(r);
    TAdminFm &f = s.form;
    QCOMPARE(f.windowTitle(), u"管理员管理 （新用户默认初始密码为：%1）"_s.arg(Operators::defaultPassword()));
    auto *name = qobject_cast<QLineEdit *>(box(&f, u"用户名:"_s));
    auto *rights = f.findChild<QGroupBox *>(u"permissionGroup"_s);
    const auto expect = [&](bool browsing) {
        for (const QString &b : {u"添加"_s, u"修改"_s, u"删除"_s})
            QCOMPARE(button(&f, b)->isEnabled(), browsing);
        for (const QString &b : {u"保存"_s, u"取消"_s})
            QCOMPARE(button(&f, b)->isEnabled(), !browsing);
        QCOMPARE(name->isEnabled(), !browsing);
        QCOMPARE(rights->isEnabled(), !browsing);
        QVERIFY(button(&f, u"退出"_s)->isEnabled());
    };
    QCOMPARE(f.state(), TAdminFm::State::Browsing);
    expect(true);
    QCOMPARE(name->text(), u"超级管理员"_s);
    QVERIFY(f.box(Permission::FreeBill)->isChecked());

    click(&f, u"修改"_s);
    QCOMPARE(f.state(), TAdminFm::State::Editing);
    expect(false);
    type(&f, u"用户名:"_s, u"老板"_s);
    click(&f, u"取消"_s);
    QCOMPARE(f.state(), TAdminFm::State::Browsing);
    expect(true);
    QCOMPARE(name->text(), u"超级管理员"_s);

    click(&f, u"添加"_s);
    QCOMPARE(f.state(), TAdminFm::State::Adding);
    expect(false);
    QCOMPARE(name->text(), QString());
    QVERIFY(!f.box(Permission::FreeBill)->isChecked());
    type(&f, u"用户名:"_s, u"夜班"_s);
    click(&f, u"退出"_s); // drops the pending operator
    QCOMPARE(r.prompt.shown, QStringList{u"重启软件后,新的设置才能生效!"_s});
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(r.operators(), 1);
}

void TestOperators::aNewOperatorGetsTheDefaultsAndTheHashedDefaultPassword()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Screen s(r);
    // The shown operator holds every flag: none of them may pass to the new one.
    click(&s.form, u"添加"_s);
    type(&s.form, u"用户名:"_s, u"收银员"_s);
    click(&s.form, u"保存"_s);
    QVERIFY(r.prompt.shown.isEmpty());
    QCOMPARE(s.form.state(), TAdminFm::State::Browsing);
    QCOMPARE(r.operators(), 2);
    for (int i = 0; i < PermissionCount; ++i)
        QCOMPARE(r.stored(u"收银员"_s, permissionColumn(Permission(i))).toBool(), false);
    const QString password = r.stored(u"收银员"_s, u"密码"_s).toString();
    QVERIFY(password != Operators::defaultPassword());
    QVERIFY(PasswordHash::verify(Operators::defaultPassword(), password));
    QCOMPARE(qobject_cast<QLineEdit *>(box(&s.form, u"用户名:"_s))->text(), u"收银员"_s);

    // A box the operator ticked is written; the untouched ones still take the defaults.
    click(&s.form, u"添加"_s);
    type(&s.form, u"用户名:"_s, u"前台"_s);
    s.tick(Permission::OpenBill);
    click(&s.form, u"保存"_s);
    QCOMPARE(r.stored(u"前台"_s, u"来宾登记"_s).toBool(), true);
    QCOMPARE(r.stored(u"前台"_s, u"收银结算"_s).toBool(), false);
}

void TestOperators::editingWritesTheBoxesAndKeepsThePassword()
{
    QFETCH(QString, kind);
    Rig r(kind);
    r.addOperator(u"收银员"_s, false);
    const QString password = r.stored(u"收银员"_s, u"密码"_s).toString();
    Screen s(r);
    s.select(u"收银员"_s);
    QVERIFY(s.form.box(Permission::Checkout)->isChecked());
    QVERIFY(!s.form.box(Permission::CancelBill)->isChecked());
    click(&s.form, u"修改"_s);
    type(&s.form, u"用户名:"_s, u"夜班收银"_s);
    s.tick(Permission::Checkout);
    s.tick(Permission::CancelBill);
    click(&s.form, u"保存"_s);
    QVERIFY(r.prompt.shown.isEmpty());
    QVERIFY(!r.stored(u"收银员"_s, u"用户名"_s).isValid());
    QCOMPARE(r.stored(u"夜班收银"_s, u"收银结算"_s).toBool(), false);
    QCOMPARE(r.stored(u"夜班收银"_s, u"撤单"_s).toBool(), true);
    QCOMPARE(r.stored(u"夜班收银"_s, u"密码"_s).toString(), password);
}

void TestOperators::anEmptyOrTakenNameIsRefused()
{
    QFETCH(QString, kind);
    Rig r(kind);
    r.addOperator(u"收银员"_s, false);
    Screen s(r);
    click(&s.form, u"添加"_s);
    click(&s.form, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"用户名必须填写！"_s);
    QCOMPARE(s.form.state(), TAdminFm::State::Adding);

    // The login takes the first operator of a name: a second one could never log in.
    type(&s.form, u"用户名:"_s, u"收银员 "_s);
    click(&s.form, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"用户名“收银员”已被其他操作员使用，请换一个用户名！"_s);
    QCOMPARE(s.form.state(), TAdminFm::State::Adding);
    QCOMPARE(r.operators(), 2);
    click(&s.form, u"取消"_s);

    s.select(u"超级管理员"_s);
    click(&s.form, u"修改"_s);
    type(&s.form, u"用户名:"_s, u"收银员"_s);
    click(&s.form, u"保存"_s);
    QCOMPARE(r.prompt.shown.size(), 3);
    QCOMPARE(s.form.state(), TAdminFm::State::Editing);
    QVERIFY(r.stored(u"超级管理员"_s, u"用户名"_s).isValid());

    // Keeping one's own name is no clash.
    type(&s.form, u"用户名:"_s, u"超级管理员"_s);
    click(&s.form, u"保存"_s);
    QCOMPARE(r.prompt.shown.size(), 3);
    QCOMPARE(s.form.state(), TAdminFm::State::Browsing);
}

void TestOperators::deleteRulesInTheirOrder()
{
    QFETCH(QString, kind);
    Rig r(kind);
    r.addOperator(u"收银员"_s, false);
    Screen s(r);
    s.select(u"超级管理员"_s);
    click(&s.form, u"删除"_s);
    QCOMPARE(r.prompt.shown, QStringList{u"超级管理员 用户不能删除！"_s});

    s.select(u"收银员"_s);
    click(&s.form, u"删除"_s); // answered No
    QCOMPARE(r.prompt.last(), u"您是否要删除\" 收银员\""_s);
    QCOMPARE(r.operators(), 2);
    r.prompt.confirmAnswers = {true};
    click(&s.form, u"删除"_s);
    QCOMPARE(r.operators(), 1);

    s.select(u"超级管理员"_s);
    click(&s.form, u"删除"_s);
    QCOMPARE(r.prompt.last(), u"至少留有一个管理员！！"_s);
    QCOMPARE(r.operators(), 1);
}

void TestOperators::theLastOperatorWhoManagesOperatorsStays()
{
    QFETCH(QString, kind);
    Rig r(kind);
    r.addOperator(u"经理"_s, true);
    r.addOperator(u"收银员"_s, false);
    Screen s(r);
    const QString lockOut = u"至少要有一个管理员拥有“管理员管理”权限，否则没有人能再管理操作员！"_s;

    // While the manager holds the flag too, the delivered operator may give it up.
    s.select(u"超级管理员"_s);
    click(&s.form, u"修改"_s);
    s.tick(Permission::AdminSettings);
    click(&s.form, u"保存"_s);
    QVERIFY(r.prompt.shown.isEmpty());
    QCOMPARE(r.stored(u"超级管理员"_s, u"管理员设置"_s).toBool(), false);

    // Now the manager is the last: neither deleted, with others left, nor stripped of it.
    s.select(u"经理"_s);
    r.prompt.confirmAnswers = {true};
    click(&s.form, u"删除"_s);
    QCOMPARE(r.prompt.shown, QStringList{lockOut}); // refused before the question
    QCOMPARE(r.operators(), 3);

    click(&s.form, u"修改"_s);
    s.tick(Permission::AdminSettings);
    click(&s.form, u"保存"_s);
    QCOMPARE(r.prompt.last(), lockOut);
    QCOMPARE(s.form.state(), TAdminFm::State::Editing);
    QCOMPARE(r.stored(u"经理"_s, u"管理员设置"_s).toBool(), true);
    click(&s.form, u"取消"_s);

    // An operator without the flag is deleted as before.
    s.select(u"收银员"_s);
    click(&s.form, u"删除"_s);
    QCOMPARE(r.operators(), 2);
}

void TestOperators::thePasswordChangeChecksTheOldOneAgainstTheHash()
{
    QFETCH(QString, kind);
    Rig r(kind);
    TAdminChangePassFm f(r.ctx());
    f.show();
    QCOMPARE(f.windowTitle(), u"更改密码"_s);
    QCOMPARE(f.findChild<QLabel *>(u"operatorName"_s)->text(), u"超级管理员"_s);
    QCOMPARE(qobject_cast<QLineEdit *>(box(&f, u"旧密码:"_s))->echoMode(), QLineEdit::Password);
    const QString before = r.stored(u"超级管理员"_s, u"密码"_s).toString();
    const auto guesses = [&] { return Fixtures::count(r.db(), u"密码错误"_s); };

    // The stored text itself is no password: only what it was made from.
    type(&f, u"旧密码:"_s, before);
    type(&f, u"新密码:"_s, u"5678"_s);
    type(&f, u"确认新密码:"_s, u"5678"_s);
    click(&f, u"保存"_s);
    QCOMPARE(r.prompt.shown, QStringList{u"旧密码输入错误！"_s});
    QCOMPARE(guesses(), 1);
    QCOMPARE(text(&f, u"新密码:"_s), u"5678"_s); // the boxes are kept

    type(&f, u"旧密码:"_s, u"1"_s);
    type(&f, u"确认新密码:"_s, u"5679"_s);
    click(&f, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"两次输入的新密码不一致！"_s);
    QCOMPARE(r.stored(u"超级管理员"_s, u"密码"_s).toString(), before);
    QCOMPARE(guesses(), 0); // the right old password cleared the count

    type(&f, u"确认新密码:"_s, u"5678"_s);
    click(&f, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"修改成功！"_s);
    QCOMPARE(f.result(), int(QDialog::Accepted));
    const QString after = r.stored(u"超级管理员"_s, u"密码"_s).toString();
    QVERIFY(after != u"5678"_s);
    QVERIFY(PasswordHash::verify(u"5678"_s, after));
    QVERIFY(!PasswordHash::verify(u"1"_s, after));
}

QTEST_MAIN(TestOperators)
#include "tst_operators.moc"
