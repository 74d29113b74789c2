#include "FwsGlUt.h"

#include "setup/FwsEditUt.h"
#include "setup/Waiters.h"

using namespace Qt::StringLiterals;

TFwsGlFm::TFwsGlFm(const ScreenContext &ctx, QWidget *parent) : ListScreen(ctx, declaration(), parent) {}

ListSpec TFwsGlFm::declaration()
{
    const QString &table = Waiters::Table;
    return {
        .objectName = u"TFwsGlFm"_s,
        .caption = u"服务生管理"_s,
        .table = table,
        // The grade shown is the one the dialog writes and the printed list prints (服务生等级),
        // under the title the list has always given it.
        .columns = GridColumns(table)
                       .rowNumber()
                       .add(u"服务生编号"_s, 80)
                       .add(u"服务生姓名"_s, 90)
                       .add(u"性别"_s, 40)
                       .add(u"状态"_s, 60)
                       .add(u"服务包厢"_s, 90)
                       .add(u"包厢性质"_s, 80)
                       .add(u"服务生等级"_s, 70, u"服务等级"_s)
                       .add(u"联系电话"_s, 110)
                       .add(u"证件号码"_s, 160)
                       .add(u"联系地址"_s, 200),
        .searchFields = {u"服务生编号"_s, u"服务生姓名"_s, u"性别"_s, u"状态"_s, u"服务包厢"_s, u"服务生等级"_s,
                         u"联系电话"_s},
        .base = Waiters::listQuery(),
        .printTemplate = u":/report_templates/waiter_list.json"_s,
        .nameField = u"服务生姓名"_s,
        .editor = &TFwsEditFm::edit,
    };
}
