#pragma once
// What the login establishes for the whole run: the operator, the sixteen permission
// flags, the database kind, the system.ini texts and the shop's name and telephone.
// The login window owns the one instance; screens receive what they need from it.

#include "app/Startup.h"
#include "db/Database.h"
#include "db/IniFile.h"

#include <QString>
#include <array>
#include <optional>

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

struct RunState
{
    Database db;
    QString appDir;
    IniFile ini{QString()};     // system.ini beside the executable
    StartupSettings settings;  // softname, memo, tel, web, Company, abc, connection
    QString CurrentOperator;
    qint64 loginRecord = 0;       // this run's row of 启动记录
    Permissions permissions;
    QString shopName;
    QString shopTel;
    bool startCardReader = false; // the login's "启动IC读卡器" option; off

    const QString &DatabaseKind() const { return settings.databaseKind; }
    bool has(Permission p) const { return permissions.has(p); }
};

namespace Login {

// Every operator's user name, first to last.
QStringList operatorNames(const Database &db);
// The one-character password pre-filled when the first operator still has it, else empty.
QString prefilledPassword(const Database &db);
struct LoggedIn
{
    Permissions permissions;
    qint64 record = 0; // the 启动记录 row written for this login
};
// Checks name and password; on success records the login (one 启动记录 row) and
// returns the operator's flags. Nothing is written for a failure. Throws DbError.
std::optional<LoggedIn> logIn(const Database &db, const QString &name, const QString &password,
                              const QDateTime &now);
// The shop's name and telephone from the first sysinfo row.
std::pair<QString, QString> shopInfo(const Database &db);
// Writes the exit time into this run's login record. Other counters log in to the same
// database, so the newest record need not be this run's.
void recordExit(const Database &db, qint64 record, const QDateTime &now);

} // namespace Login
