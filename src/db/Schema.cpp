#include "Schema.h"

using namespace Qt::StringLiterals;

namespace {

using K = ColumnKind;

QList<TableDef> buildTables()
{
    // Tables whose rows are edited or deleted one at a time from a list carry a row
    // number `id` besides the columns the screens name, so that a row is found again exactly
    // and lists keep the order in which rows were added, whatever the database kind.
    return {
        {u"手牌管理"_s,
         {{u"id"_s, K::RowNumber},
          {u"手牌号码"_s, K::Text},
          {u"所属包厢"_s, K::Text},
          {u"手牌状态"_s, K::Text},
          {u"所在位置"_s, K::Text},
          {u"包厢性质"_s, K::Text}}},
        {u"包厢类型"_s,
         {{u"id"_s, K::RowNumber},
          {u"包厢类型"_s, K::Text},
          {u"包厢性质"_s, K::Text},
          {u"容纳人数"_s, K::Integer},
          {u"计费方式"_s, K::Text},
          {u"门票价格"_s, K::Money},
          {u"初始费用"_s, K::Money}}},
        {u"计费设置"_s, {{u"计费方式"_s, K::Text}}},
        {u"手牌开单"_s,
         {{u"id"_s, K::RowNumber},
          {u"手牌号码"_s, K::Text},
          {u"包厢类型"_s, K::Text},
          {u"包厢性质"_s, K::Text},
          {u"顾客姓名"_s, K::Text},
          {u"押金金额"_s, K::Money},
          {u"合计金额"_s, K::Money},
          {u"进店时间"_s, K::DateTime},
          {u"备注"_s, K::Text},
          {u"主手牌号"_s, K::Text}}},
        {u"手牌消费"_s,
         {{u"id"_s, K::RowNumber},
          {u"手牌号码"_s, K::Text},
          {u"主手牌号"_s, K::Text},
          {u"项目名"_s, K::Text},
          {u"单价"_s, K::Money},
          {u"打折率"_s, K::Factor},
          {u"实际单价"_s, K::Money},
          {u"数量"_s, K::Integer},
          {u"合计"_s, K::Money},
          {u"提成金额"_s, K::Money},
          {u"消费时间"_s, K::DateTime},
          {u"是否计时"_s, K::Text},
          {u"状态"_s, K::Text},
          {u"服务生编号"_s, K::Text},
          {u"服务生姓名"_s, K::Text},
          {u"营业员"_s, K::Text},
          {u"打折对象"_s, K::Text},
          {u"单据号"_s, K::Text},
          {u"服务生"_s, K::Text}}},
        {u"结帐管理"_s,
         {{u"id"_s, K::RowNumber},
          {u"结帐单号"_s, K::Text},
          {u"手牌号码"_s, K::Text},
          {u"进店时间"_s, K::DateTime},
          {u"离店时间"_s, K::DateTime},
          {u"结帐时间"_s, K::DateTime},
          {u"消费金额"_s, K::Money},
          {u"实收金额"_s, K::Money},
          {u"结帐方式"_s, K::Text},
          {u"会员卡号"_s, K::Text},
          {u"状态"_s, K::Text},
          {u"顾客姓名"_s, K::Text},
          {u"备注"_s, K::Text},
          {u"营业员"_s, K::Text}}},
        {u"结帐明细"_s,
         {{u"ID"_s, K::RowNumber},
          {u"单据号"_s, K::Text},
          {u"手牌号码"_s, K::Text},
          {u"顾客姓名"_s, K::Text},
          {u"消费项目"_s, K::Text},
          {u"消费单价"_s, K::Money},
          {u"消费数量"_s, K::Integer},
          {u"消费金额"_s, K::Money},
          {u"消费时间"_s, K::DateTime},
          {u"是否计时"_s, K::Text},
          {u"服务生编号"_s, K::Text},
          {u"服务生姓名"_s, K::Text},
          {u"营业员"_s, K::Text},
          {u"状态"_s, K::Text}}},
        {u"服务生提成"_s,
         {{u"id"_s, K::RowNumber},
          {u"编号"_s, K::Text},
          {u"姓名"_s, K::Text},
          {u"结帐时间"_s, K::Date},
          {u"提成金额"_s, K::Money},
          {u"单据号"_s, K::Text},
          {u"手牌号码"_s, K::Text}}},
        {u"单据号"_s, {{u"单据号"_s, K::Integer}}},
        {u"商品项目库"_s,
         {{u"ID"_s, K::RowNumber},
          {u"项目名"_s, K::Text},
          {u"名称拼音"_s, K::Text},
          {u"单价"_s, K::Money},
          {u"所属类型"_s, K::Text},
          {u"打折率"_s, K::Factor},
          {u"提成金额"_s, K::Money},
          {u"是否允许打折"_s, K::Text},
          {u"是否需要服务"_s, K::Text}}},
        {u"商品项目类型"_s, {{u"类型名称"_s, K::Text}}},
        {u"服务生管理"_s,
         {{u"id"_s, K::RowNumber},
          {u"服务生编号"_s, K::Text},
          {u"服务生姓名"_s, K::Text},
          {u"性别"_s, K::Text},
          {u"服务包厢"_s, K::Text},
          {u"服务生等级"_s, K::Text},
          {u"状态"_s, K::Text},
          {u"联系电话"_s, K::Text},
          {u"证件号码"_s, K::Text},
          {u"备注"_s, K::Text},
          {u"联系地址"_s, K::Text},
          {u"包厢性质"_s, K::Text},
          {u"服务等级"_s, K::Text}}},
        {u"会员管理"_s,
         {{u"id"_s, K::RowNumber},
          {u"会员卡号"_s, K::Text},
          {u"会员姓名"_s, K::Text},
          {u"密码"_s, K::Text},
          {u"当前状态"_s, K::Text},
          {u"卡内金额"_s, K::Money},
          {u"当前积分"_s, K::Integer},
          {u"会员性别"_s, K::Text},
          {u"会员类型"_s, K::Text},
          {u"出生日期"_s, K::Date},
          {u"联系电话"_s, K::Text},
          {u"备注"_s, K::Text},
          {u"登记日期"_s, K::Date}}},
        {u"会员类型"_s,
         {{u"id"_s, K::RowNumber},
          {u"类型名称"_s, K::Text},
          {u"打折率"_s, K::Factor},
          {u"初始积分"_s, K::Integer}}},
        {u"会员充值"_s,
         {{u"id"_s, K::RowNumber},
          {u"会员卡号"_s, K::Text},
          {u"会员姓名"_s, K::Text},
          {u"会员类型"_s, K::Text},
          {u"充值金额"_s, K::Money},
          {u"充值日期"_s, K::DateTime},
          {u"备注"_s, K::Text},
          {u"营业员"_s, K::Text},
          {u"奖励金额"_s, K::Money}}},
        {u"管理员"_s,
         {{u"id"_s, K::RowNumber},
          {u"用户名"_s, K::Text},
          {u"密码"_s, K::Text},
          {u"收银结算"_s, K::Boolean},
          {u"消费管理"_s, K::Boolean},
          {u"来宾登记"_s, K::Boolean},
          {u"营业查询"_s, K::Boolean},
          {u"会员管理"_s, K::Boolean},
          {u"数据初始化"_s, K::Boolean},
          {u"管理员设置"_s, K::Boolean},
          {u"会员开户"_s, K::Boolean},
          {u"会员充值"_s, K::Boolean},
          {u"项目商品管理"_s, K::Boolean},
          {u"手牌管理"_s, K::Boolean},
          {u"服务生管理"_s, K::Boolean},
          {u"数据备份"_s, K::Boolean},
          {u"数据恢复"_s, K::Boolean},
          {u"免单"_s, K::Boolean},
          {u"撤单"_s, K::Boolean}}},
        {u"启动记录"_s,
         {{u"id"_s, K::RowNumber},
          {u"用户名"_s, K::Text},
          {u"登陆时间"_s, K::DateTime},
          {u"退出时间"_s, K::DateTime}}},
        {u"密码错误"_s,
         {{u"id"_s, K::RowNumber}, {u"类别"_s, K::Text}, {u"名称"_s, K::Text}, {u"时间"_s, K::DateTime}}},
        {u"sysinfo"_s, {{u"name"_s, K::Text}, {u"tel"_s, K::Text}, {u"add"_s, K::Text}}},
    };
}

} // namespace

namespace Schema {

const QList<TableDef> &tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef *table(const QString &name)
{
    for (const TableDef &t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

const ColumnDef *column(const QString &tableName, const QString &name)
{
    const TableDef *t = table(tableName);
    if (!t)
        return nullptr;
    for (const ColumnDef &c : t->columns) {
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

QString rowNumberColumn(const QString &tableName)
{
    if (const TableDef *t = table(tableName)) {
        for (const ColumnDef &c : t->columns) {
            if (c.kind == ColumnKind::RowNumber)
                return c.name;
        }
    }
    return {};
}

bool isMoneyColumn(const QString &tableName, const QString &name)
{
    const ColumnDef *c = column(tableName, name);
    return c && c->kind == ColumnKind::Money;
}

} // namespace Schema
