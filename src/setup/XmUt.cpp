#include "XmUt.h"

#include "setup/Catalogue.h"
#include "setup/XmEditUt.h"

using namespace Qt::StringLiterals;

TXmFm::TXmFm(const ScreenContext &ctx, QWidget *parent) : ListScreen(ctx, declaration(), parent) {}

ListSpec TXmFm::declaration()
{
    const QString &table = Catalogue::Table;
    return {
        .objectName = u"TXmFm"_s,
        .caption = u"项目/商品库管理"_s,
        .table = table,
        .columns = GridColumns(table)
                       .rowNumber()
                       .add(u"项目名"_s, 160)
                       .add(u"单价"_s, 80)
                       .add(u"所属类型"_s, 100)
                       .add(u"是否需要服务"_s, 90)
                       .add(u"打折率"_s, 60),
        .searchFields = {u"项目名"_s, u"名称拼音"_s, u"所属类型"_s, u"是否需要服务"_s, u"单价"_s},
        .base = Catalogue::listQuery(),
        .printTemplate = u":/report_templates/item_list.json"_s,
        .nameField = u"项目名"_s,
        .editor = &TXmEditFm::edit,
    };
}
