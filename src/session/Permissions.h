#pragma once
// The sixteen permission flags an operator holds, named by the 管理员 columns that store them.

#include <QString>
#include <array>
#include <cstddef>

// In the order the flags are read from the operator's row.
enum class Permission {
    Checkout,        // 收银结算
    AddConsumption,  // 消费管理
    OpenBill,        // 来宾登记
    Queries,         // 营业查询
    Members,         // 会员管理
    DataClear,       // 数据初始化
    AdminSettings,   // 管理员设置
    MemberEnrol,     // 会员开户
    MemberRecharge,  // 会员充值
    Catalogue,       // 项目商品管理
    Tags,            // 手牌管理
    Waiters,         // 服务生管理
    Backup,          // 数据备份
    Restore,         // 数据恢复
    FreeBill,        // 免单
    CancelBill,      // 撤单
};
inline constexpr int PermissionCount = 16;

// The 管理员 column that holds the flag.
QString permissionColumn(Permission p);

class Permissions
{
public:
    Permissions() { m_flags.fill(false); }
    static Permissions all();
    bool has(Permission p) const { return m_flags[std::size_t(p)]; }
    void set(Permission p, bool on) { m_flags[std::size_t(p)] = on; }

private:
    std::array<bool, PermissionCount> m_flags;
};
