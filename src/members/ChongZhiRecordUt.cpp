#include "ChongZhiRecordUt.h"

#include "members/Members.h"

using namespace Qt::StringLiterals;

TChongZhiRecordFm::TChongZhiRecordFm(const ScreenContext &ctx, QWidget *parent)
    : ListScreen(ctx, declaration(), parent)
{
}

ListSpec TChongZhiRecordFm::declaration()
{
    const QString &table = Members::RechargeTable;
    return {
        .objectName = u"TChongZhiRecordFm"_s,
        .caption = u"充值记录查询"_s,
        .table = table,
        .columns = GridColumns(table)
                       .add(u"会员卡号"_s, 120)
                       .add(u"会员姓名"_s, 84)
                       .add(u"会员类型"_s, 84)
                       .summed(u"充值金额"_s, 100)
                       .add(u"奖励金额"_s, 84)
                       .add(u"充值日期"_s, 148)
                       .add(u"id"_s, 60)
                       .add(u"备注"_s, 160)
                       .add(u"营业员"_s, 84),
        .searchFields = {u"会员卡号"_s, u"会员姓名"_s, u"会员类型"_s, u"备注"_s, u"营业员"_s},
        .base = Members::rechargeQuery(),
        .printTemplate = u":/report_templates/recharge_list.json"_s,
        .nameField = u"会员姓名"_s,
        .maximized = false,
        .deletable = false,
        .emptySearchMessage = u"请输入查询条件!"_s,
        .notFoundMessage = u"没有符合条件的记录!"_s,
        .trimSearchValue = true,
    };
}
