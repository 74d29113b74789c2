#include "ScreenRegistry.h"

#include "admin/AdminChangePassUt.h"
#include "admin/AboutUt.h"
#include "admin/AdminUt.h"
#include "admin/SysInfoUt.h"
#include "billing/AddConsumeUt.h"
#include "billing/CheckOutUt.h"
#include "billing/OpenDanUt.h"
#include "card/SeticmUt.h"
#include "data/Backup.h"
#include "data/DataClearUt.h"
#include "data/Restore.h"
#include "data/SetDataUt.h"
#include "db/IniFile.h"
#include "members/ChongZhiRecordUt.h"
#include "members/HYChangePassUt.h"
#include "members/HYConsumeCXUt.h"
#include "members/MemBerTypeUt.h"
#include "members/MemberUt.h"
#include "queries/CountMingXiUt.h"
#include "queries/CountProfitUt.h"
#include "queries/CxJzJlUt.h"
#include "queries/FwsTcMxUt.h"
#include "queries/FwsTcTjUt.h"
#include "queries/ItemCountUt.h"
#include "queries/XfCxUt.h"
#include "setup/FwsGlUt.h"
#include "setup/SpSetUt.h"
#include "setup/SpStatusUt.h"
#include "setup/XmUt.h"

#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RunAside.h"

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QDir>

using namespace Qt::StringLiterals;

namespace {

using Where = BoardPlace::Where;
using Tool = Icons::Tool;

BoardPlace menuItem(const QString &menu, const QString &objectName, const QString &text)
{
    BoardPlace p;
    p.where = Where::Menu;
    p.menu = menu;
    p.objectName = objectName;
    p.text = text;
    return p;
}

BoardPlace toolButton(const QString &objectName, const QString &text, Tool icon, BoardCheck check = {})
{
    BoardPlace p;
    p.where = Where::ToolBar;
    p.objectName = objectName;
    p.text = text;
    p.icon = icon;
    p.check = std::move(check);
    return p;
}

BoardPlace popupItem(const QString &objectName, const QString &text, bool Board::PopupItems::*enabledBy,
                     BoardCheck check = {})
{
    BoardPlace p;
    p.where = Where::Popup;
    p.objectName = objectName;
    p.text = text;
    p.enabledBy = enabledBy;
    p.check = std::move(check);
    return p;
}

BoardPlace hiddenPlace(BoardPlace p)
{
    p.hidden = true;
    return p;
}

ScreenEntry screen(const QString &name, std::optional<Permission> gate, QList<BoardPlace> places,
                   ScreenOpener open = {}, AfterClose after = AfterClose::Nothing)
{
    return ScreenEntry{name, gate, std::move(places), std::move(open), BoardCommand::None, after};
}

ScreenEntry command(const QString &name, BoardCommand command, QList<BoardPlace> places)
{
    return ScreenEntry{name, std::nullopt, std::move(places), {}, command, AfterClose::Nothing};
}

// Most screens are made from the context and their parent alone.
template<class Screen> ScreenOpener opener()
{
    return [](const ScreenContext &ctx, const BoardSelection &, QWidget *parent) {
        Screen s(ctx, parent);
        return s.exec();
    };
}

const QString Query = u"menuQuery"_s;
const QString System = u"menuSystem"_s;
const QString Member = u"menuMember"_s;
const QString Waiter = u"menuWaiter"_s;
const QString Maintain = u"menuMaintain"_s;
const QString Help = u"menuHelp"_s;

QList<ScreenEntry> buildEntries()
{
    using B = Board::PopupItems;
    return {
        // The front desk, on the board's selected tag.
        screen(u"TOpenDanFm"_s, Permission::OpenBill,
               {toolButton(u"toolOpenBill"_s, u"开单"_s, Tool::OpenBill,
                           [](const BoardSelection &s) { return Board::openBillButton(s.state); }),
                popupItem(u"popOpenBill"_s, u"开    单"_s, &B::openBill)},
               [](const ScreenContext &ctx, const BoardSelection &s, QWidget *parent) {
                   TOpenDanFm form(ctx, s.tag, s.roomType, parent);
                   return form.exec();
               },
               AfterClose::TagsAndSelect),
        screen(u"TAddConsumeFm"_s, Permission::AddConsumption,
               {toolButton(u"toolAddConsume"_s, u"追加消费"_s, Tool::AddConsumption,
                           [](const BoardSelection &s) { return Board::addConsumptionButton(s.state); }),
                popupItem(u"popAddConsume"_s, u"追加消费"_s, &B::addConsumption)},
               [](const ScreenContext &ctx, const BoardSelection &s, QWidget *parent) {
                   TAddConsumeFm form(ctx, s.tag, parent);
                   return form.exec();
               }),
        screen(u"TCheckOutFm"_s, Permission::Checkout,
               {toolButton(u"toolCheckout"_s, u"结帐"_s, Tool::Checkout,
                           [](const BoardSelection &s) {
                               // A bill of nothing is cancelled, not settled, by either path.
                               const Board::ToolOutcome o = Board::checkoutButton(s.state);
                               return o.kind == Board::ToolOutcome::Kind::Screen ? Board::popupCheckout(s.amount) : o;
                           }),
                popupItem(u"popCheckout"_s, u"结    帐"_s, &B::checkout,
                          [](const BoardSelection &s) { return Board::popupCheckout(s.amount); })},
               [](const ScreenContext &ctx, const BoardSelection &s, QWidget *parent) {
                   TCheckOutFm form(ctx, s.tag, parent);
                   return form.exec();
               },
               AfterClose::TagsIfAccepted),
        screen(u"TSpStatusFm"_s, std::nullopt, {popupItem(u"popChangeState"_s, u"修改状态"_s, &B::changeState)},
               [](const ScreenContext &ctx, const BoardSelection &s, QWidget *parent) {
                   TSpStatusFm form(ctx, s.tag, parent);
                   return form.exec();
               },
               AfterClose::TagsAndSelect),
        command(u"撤单"_s, BoardCommand::CancelBill, {popupItem(u"popCancel"_s, u"撤单"_s, &B::cancelBill)}),
        screen(u"预定"_s, std::nullopt, {hiddenPlace(popupItem(u"popReserve"_s, u"预    定"_s, nullptr))}),

        screen(u"TXfCxFm"_s, std::nullopt, {menuItem(Query, u"actXfCx"_s, u"当前消费查询"_s)},
               opener<TXfCxFm>()),
        screen(u"TCountProfitFm"_s, std::nullopt, {menuItem(Query, u"actCountProfit"_s, u"营业额查询"_s)},
               opener<TCountProfitFm>()),
        screen(u"TCountMingXiFm"_s, std::nullopt, {menuItem(Query, u"actCountMingXi"_s, u"历史消费明细查询"_s)},
               opener<TCountMingXiFm>()),
        screen(u"TCxJzJlFm"_s, std::nullopt, {menuItem(Query, u"actCxJzJl"_s, u"历史帐单信息查询"_s)},
               opener<TCxJzJlFm>()),
        screen(u"TItemCountFm"_s, std::nullopt, {menuItem(Query, u"actItemCount"_s, u"营业项目统计"_s)},
               opener<TItemCountFm>()),

        screen(u"TXmFm"_s, Permission::Catalogue,
               {menuItem(System, u"actXm"_s, u"营业项目管理"_s), toolButton(u"toolXm"_s, u"营业项目"_s, Tool::Catalogue)},
               opener<TXmFm>()),
        screen(u"TSpSetFm"_s, Permission::Tags, {menuItem(System, u"actSpSet"_s, u"手牌与包厢设置"_s)},
               opener<TSpSetFm>(), AfterClose::Venue),
        screen(u"TSetDataFm"_s, Permission::AdminSettings, {menuItem(System, u"actSetData"_s, u"数据库设置"_s)},
               [](const ScreenContext &ctx, const BoardSelection &, QWidget *parent) {
                   // The choice is stored in system.ini for the next start; the run keeps its own.
                   IniFile ini(ctx.session.iniPath());
                   TSetDataFm form(ini, ctx.session.databaseKind(), ctx.prompt, parent);
                   return form.exec();
               }),

        screen(u"TMemberFm"_s, Permission::Members,
               {menuItem(Member, u"actMember"_s, u"会员信息管理"_s), toolButton(u"toolMember"_s, u"会员管理"_s, Tool::Members)},
               opener<TMemberFm>()),
        screen(u"TMemBerTypeFm"_s, Permission::Members, {menuItem(Member, u"actMemberType"_s, u"会员类型管理"_s)},
               opener<TMemBerTypeFm>()),
        screen(u"THYConsumeCXFm"_s, std::nullopt, {menuItem(Member, u"actHyConsume"_s, u"会员消费查询"_s)},
               opener<THYConsumeCXFm>()),
        screen(u"TChongZhiRecordFm"_s, std::nullopt, {menuItem(Member, u"actChongZhiRecord"_s, u"充值记录统计"_s)},
               opener<TChongZhiRecordFm>()),

        screen(u"TFwsGlFm"_s, Permission::Waiters, {menuItem(Waiter, u"actFwsGl"_s, u"服务生信息管理"_s)},
               opener<TFwsGlFm>()),
        screen(u"TFwsTcTjFm"_s, std::nullopt, {menuItem(Waiter, u"actFwsTcTj"_s, u"服务生提成统计"_s)},
               opener<TFwsTcTjFm>()),
        screen(u"TFwsTcMxFm"_s, std::nullopt, {menuItem(Waiter, u"actFwsTcMx"_s, u"服务生提成明细"_s)},
               opener<TFwsTcMxFm>()),

        screen(u"TAdminFm"_s, Permission::AdminSettings, {menuItem(Maintain, u"actAdmin"_s, u"管理员设置"_s)},
               opener<TAdminFm>()),
        screen(u"TAdminChangePassFm"_s, std::nullopt, {menuItem(Maintain, u"actAdminChangePass"_s, u"管理密码修改"_s)},
               opener<TAdminChangePassFm>()),
        screen(u"THYChangePassFm"_s, std::nullopt, {menuItem(Maintain, u"actHyChangePass"_s, u"会员密码修改"_s)},
               opener<THYChangePassFm>()),
        screen(u"TDataClearFm"_s, Permission::DataClear, {menuItem(Maintain, u"actDataClear"_s, u"数据初始化"_s)},
               opener<TDataClearFm>()),
        screen(u"数据备份"_s, Permission::Backup, {menuItem(Maintain, u"actBackup"_s, u"数据备份"_s)},
               [](const ScreenContext &ctx, const BoardSelection &, QWidget *parent) {
                   const QString proposed =
                       QDir(ctx.session.appDir()).filePath(Backup::proposedName(QDate::currentDate()));
                   const QString target = ctx.prompt.saveFileName(parent, u"数据备份"_s, proposed, QString());
                   if (target.isEmpty())
                       return int(QDialog::Rejected);
                   const bool done = guard(ctx.prompt, parent, [&] {
                       const QString file = Backup::embeddedFile(ctx.db);
                       runAside(parent, u"正在备份数据,请稍候..."_s, [&] { Backup::backUpFile(file, target); });
                   });
                   if (done)
                       ctx.prompt.message(parent, Backup::doneMessage(target));
                   return int(done ? QDialog::Accepted : QDialog::Rejected);
               }),
        screen(u"数据恢复"_s, Permission::Restore, {menuItem(Maintain, u"actRestore"_s, u"数据恢复"_s)},
               [](const ScreenContext &ctx, const BoardSelection &, QWidget *parent) {
                   if (!guard(ctx.prompt, parent, [&] { Restore::checkEmbedded(ctx.db); }))
                       return int(QDialog::Rejected);
                   const QString chosen = ctx.prompt.openFileName(parent, u"数据恢复"_s, ctx.session.appDir(), QString());
                   if (chosen.isEmpty())
                       return int(QDialog::Rejected);
                   QString kept;
                   if (!guard(ctx.prompt, parent, [&] { kept = Restore::restore(ctx.db, chosen, QDateTime::currentDateTime()); }))
                       return int(QDialog::Rejected);
                   ctx.prompt.message(parent, Restore::doneMessage(kept));
                   return int(QDialog::Accepted);
               },
               AfterClose::EndIfAccepted),
        screen(u"TSeticmFm"_s, std::nullopt, {hiddenPlace(menuItem(Maintain, u"actSeticm"_s, u"IC卡设备设置"_s))},
               [](const ScreenContext &ctx, const BoardSelection &, QWidget *parent) {
                   TSeticmFm form(ctx.reader, parent);
                   return form.exec();
               }),
        screen(u"TSysInfoFm"_s, Permission::AdminSettings, {menuItem(Maintain, u"actSysInfo"_s, u"系统信息设置"_s)},
               opener<TSysInfoFm>()),

        command(u"帮助"_s, BoardCommand::Help, {menuItem(Help, u"actHelp"_s, u"帮助"_s)}),
        screen(u"TAboutFm"_s, std::nullopt, {menuItem(Help, u"actAbout"_s, u"关于"_s)}, opener<TAboutFm>()),

        command(u"系统提示"_s, BoardCommand::Reminder, {toolButton(u"toolReminder"_s, u"系统提示"_s, Tool::Reminder)}),
        command(u"交班管理"_s, BoardCommand::ShiftChange, {toolButton(u"toolShift"_s, u"交班管理"_s, Tool::ShiftChange)}),
        command(u"退出系统"_s, BoardCommand::Exit, {toolButton(u"toolExit"_s, u"退出系统"_s, Tool::Exit)}),
    };
}

} // namespace

namespace ScreenRegistry {

const QList<BoardMenu> &menus()
{
    static const QList<BoardMenu> all{
        {Query, u"营业查询"_s, Permission::Queries},
        {System, u"系统管理"_s, std::nullopt},
        {Member, u"会员管理"_s, std::nullopt},
        {Waiter, u"服务生管理"_s, std::nullopt},
        {Maintain, u"系统维护"_s, std::nullopt},
        {Help, u"帮助"_s, std::nullopt},
    };
    return all;
}

const QList<ScreenEntry> &entries()
{
    static const QList<ScreenEntry> all = buildEntries();
    return all;
}

const ScreenEntry *find(const QString &screen)
{
    for (const ScreenEntry &e : entries()) {
        if (e.screen == screen)
            return &e;
    }
    return nullptr;
}

void openDatabaseSettingsAtStart(IniFile &ini, const QString &databaseKind, Prompt &prompt)
{
    TSetDataFm form(ini, databaseKind, prompt);
    form.exec();
}

} // namespace ScreenRegistry
