#include "Permissions.h"

using namespace Qt::StringLiterals;

QString permissionColumn(Permission p)
{
    static const std::array<QString, PermissionCount> columns{
        u"收银结算"_s, u"消费管理"_s, u"来宾登记"_s,   u"营业查询"_s, u"会员管理"_s, u"数据初始化"_s,
        u"管理员设置"_s, u"会员开户"_s, u"会员充值"_s, u"项目商品管理"_s, u"手牌管理"_s, u"服务生管理"_s,
        u"数据备份"_s, u"数据恢复"_s, u"免单"_s,       u"撤单"_s,
    };
    return columns[std::size_t(p)];
}

Permissions Permissions::all()
{
    Permissions p;
    p.m_flags.fill(true);
    return p;
}
