#include "MemberUt.h"

#include "members/AddMemberUt.h"
#include "members/ChongZhiUt.h"
#include "members/EditMemberUt.h"
#include "members/Members.h"

using namespace Qt::StringLiterals;

TMemberFm::TMemberFm(const ScreenContext &ctx, QWidget *parent) : ListScreen(ctx, declaration(), parent) {}

ListSpec TMemberFm::declaration()
{
    const QString &table = Members::Table;
    return {
        .objectName = u"TMemberFm"_s,
        .caption = u"会员管理"_s,
        .table = table,
        // The password is never shown.
        .columns = GridColumns(table)
                       .rowNumber()
                       .add(u"会员卡号"_s, 164)
                       .add(u"会员姓名"_s, 84)
                       .add(u"会员类型"_s, 164)
                       .add(u"会员性别"_s, 85)
                       .summed(u"卡内金额"_s, 164)
                       .add(u"当前积分"_s, 84)
                       .add(u"当前状态"_s, 84)
                       .add(u"出生日期"_s, 148)
                       .add(u"联系电话"_s, 244)
                       .add(u"备注"_s, 84)
                       .add(u"登记日期"_s, 148),
        .searchFields = {u"会员卡号"_s, u"会员姓名"_s, u"会员类型"_s, u"联系电话"_s, u"备注"_s},
        .base = Members::listQuery(),
        .printTemplate = u":/report_templates/member_list.json"_s,
        .nameField = u"会员姓名"_s,
        .editor =
            [](const ScreenContext &c, QWidget *screen, std::optional<qint64> row) {
                return row ? TEditMemberFm::edit(c, screen, *row) : TAddMemberFm::enrol(c, screen);
            },
        .deleteRule = [](const ScreenContext &c, qint64 row) { Members(c.db).remove(row); },
        .extras = {{u"actRecharge"_s, u"充值"_s, &TChongZhiFm::recharge}},
    };
}
