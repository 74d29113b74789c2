#include "MainUt.h"

#include "app/Board.h"
#include "card/CardReader.h"
#include "billing/AddConsumeUt.h"
#include "billing/CheckOutUt.h"
#include "billing/OpenDanUt.h"
#include "card/SeticmUt.h"
#include "data/SetDataUt.h"
#include "ui_MainUt.h"
#include "widgets/Icons.h"
#include "widgets/Prompt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int IconRole = Qt::UserRole + 1;
constexpr int ClockInterval = 60000;

QString clockText()
{
    return QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm"_s);
}

} // namespace

TMainFm::TMainFm(RunState &run, Prompt &prompt, CardReader &reader, TSeticmFm &seticm, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TMainFm>()), m_run(run), m_prompt(prompt), m_reader(reader),
      m_seticm(seticm)
{
    m_ui->setupUi(this);
    setWindowIcon(Icons::application());
    m_ui->SplitterMain->setStretchFactor(0, 3);
    m_ui->SplitterMain->setStretchFactor(1, 1);

    const std::pair<QAction *, Icons::Tool> toolIcons[] = {
        {m_ui->toolOpenBill, Icons::Tool::OpenBill},   {m_ui->toolAddConsume, Icons::Tool::AddConsumption},
        {m_ui->toolCheckout, Icons::Tool::Checkout},   {m_ui->toolXm, Icons::Tool::Catalogue},
        {m_ui->toolMember, Icons::Tool::Members},      {m_ui->toolReminder, Icons::Tool::Reminder},
        {m_ui->toolShift, Icons::Tool::ShiftChange},   {m_ui->toolExit, Icons::Tool::Exit},
    };
    for (const auto &[action, tool] : toolIcons)
        action->setIcon(Icons::toolbar(tool));

    // Hidden entries are never shown.
    m_ui->actSeticm->setVisible(false);
    m_ui->popReserve->setVisible(false);

    m_popup = new QMenu(this);
    m_popup->addActions({m_ui->popOpenBill, m_ui->popAddConsume, m_ui->popCheckout, m_ui->popChangeState,
                         m_ui->popCancel, m_ui->popReserve});

    // Entries that open a screen of this program; the others stay disabled until theirs exists.
    m_available = {m_ui->actSetData,    m_ui->actSeticm,      m_ui->actHelp,      m_ui->toolOpenBill,
                   m_ui->toolAddConsume, m_ui->toolCheckout,   m_ui->toolReminder, m_ui->toolShift,
                   m_ui->toolExit,      m_ui->popOpenBill,    m_ui->popAddConsume, m_ui->popCheckout,
                   m_ui->popCancel};
    const QList<QMenu *> menus{m_ui->menuQuery, m_ui->menuSystem, m_ui->menuMember,
                               m_ui->menuWaiter, m_ui->menuMaintain, m_ui->menuHelp};
    for (QMenu *menu : menus) {
        for (QAction *a : menu->actions())
            a->setEnabled(m_available.contains(a));
    }
    for (QAction *a : m_ui->ToolBar1->actions())
        a->setEnabled(m_available.contains(a));

    connect(m_ui->PageControl1, &QTabBar::currentChanged, this, &TMainFm::PageControl1Change);
    connect(m_ui->ListView1, &QListWidget::itemClicked, this, &TMainFm::boardClicked);
    connect(m_ui->ListView1, &QListWidget::itemDoubleClicked, this, &TMainFm::boardDoubleClicked);
    connect(m_ui->ListView1, &QWidget::customContextMenuRequested, this, &TMainFm::showPopup);
    connect(m_ui->EditFind, &QLineEdit::returnPressed, this, &TMainFm::quickFind);
    auto *f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, this, [this] {
        m_ui->EditFind->setFocus();
        m_ui->EditFind->selectAll();
    });

    connect(m_ui->toolOpenBill, &QAction::triggered, this, [this] {
        const Board::ToolOutcome o = Board::openBillButton(selectedIcon());
        toolOutcome(int(o.kind), o.message, &TMainFm::openBillRequested);
    });
    connect(m_ui->toolAddConsume, &QAction::triggered, this, [this] {
        const Board::ToolOutcome o = Board::addConsumptionButton(selectedIcon());
        toolOutcome(int(o.kind), o.message, &TMainFm::addConsumptionRequested);
    });
    connect(m_ui->toolCheckout, &QAction::triggered, this, [this] {
        const Board::ToolOutcome o = Board::checkoutButton(selectedIcon());
        toolOutcome(int(o.kind), o.message, &TMainFm::checkoutRequested);
    });
    connect(m_ui->toolReminder, &QAction::triggered, this,
            [this] { m_prompt.message(this, u"为了您的数据安全 请注意备份您的数据！"_s); });
    connect(m_ui->toolShift, &QAction::triggered, this, &TMainFm::shiftChange);
    connect(m_ui->toolExit, &QAction::triggered, this, &TMainFm::exitSystem);
    connect(m_ui->popOpenBill, &QAction::triggered, this, [this] { emit openBillRequested(selectedTag()); });
    connect(m_ui->popAddConsume, &QAction::triggered, this,
            [this] { emit addConsumptionRequested(selectedTag()); });
    connect(m_ui->popCheckout, &QAction::triggered, this, &TMainFm::popupCheckout);
    connect(m_ui->popChangeState, &QAction::triggered, this, [this] { emit tagStateRequested(selectedTag()); });
    connect(m_ui->popCancel, &QAction::triggered, this, &TMainFm::cancelBill);
    connect(m_ui->actSetData, &QAction::triggered, this, &TMainFm::openSetData);
    connect(m_ui->actSeticm, &QAction::triggered, this, [this] { m_seticm.exec(); });
    connect(m_ui->actHelp, &QAction::triggered, this, &TMainFm::openHelp);
    connect(this, &TMainFm::checkoutRequested, this, &TMainFm::openCheckout);
    connect(this, &TMainFm::openBillRequested, this, &TMainFm::openOpenBill);
    connect(this, &TMainFm::addConsumptionRequested, this, &TMainFm::openAddConsumption);

    m_clock = new QTimer(this);
    m_clock->setInterval(ClockInterval);
    connect(m_clock, &QTimer::timeout, this, &TMainFm::tick);

    setUpLineGrid();
    buildStatusBar();
    try {
        buildTabs();
        RefreshBoard(); // the counts; nothing is selected yet
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
    }
}

TMainFm::~TMainFm() = default;

void TMainFm::buildTabs()
{
    const QSignalBlocker block(m_ui->PageControl1);
    while (m_ui->PageControl1->count() > 0)
        m_ui->PageControl1->removeTab(0);
    for (const QString &name : Board::roomTypes(m_run.db))
        m_ui->PageControl1->addTab(name);
    // A hidden tab bar does not tell its layout that it grew.
    m_ui->PageControl1->updateGeometry();
}

void TMainFm::buildStatusBar()
{
    const int widths[] = {300, 200, 50};
    for (int w : widths) {
        auto *panel = new QLabel(this);
        panel->setMinimumWidth(w);
        panel->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(panel);
        m_statusPanels.append(panel);
    }
}

void TMainFm::setUpLineGrid()
{
    DataGrid *grid = m_ui->DBGrid1;
    grid->setDatabase(m_run.db);
    grid->setColumns({
        {u"id"_s, {}, 0, ColumnKind::RowNumber, false, false},
        {u"单据号"_s, {}, 150, ColumnKind::Text},
        {u"项目名"_s, {}, 100, ColumnKind::Text},
        {u"单价"_s, {}, 30, ColumnKind::Money},
        {u"打折率"_s, {}, 45, ColumnKind::Factor},
        {u"数量"_s, {}, 30, ColumnKind::Integer},
        {u"合计"_s, {}, 40, ColumnKind::Money},
        {u"消费时间"_s, {}, 140, ColumnKind::DateTime},
        {u"服务生"_s, {}, 60, ColumnKind::Text},
        {u"营业员"_s, {}, 70, ColumnKind::Text},
    });
    connect(grid, &DataGrid::queryFailed, this,
            [this](const QString &text) { m_prompt.message(this, text, Prompt::Icon::Error); });
}

void TMainFm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        firstShow();
    }
}

void TMainFm::firstShow()
{
    tick();
    m_clock->start();
    setWindowTitle(m_run.settings.softname);
    if (m_run.startCardReader)
        m_reader.initReader(this);
    m_statusPanels[0]->setText(m_run.settings.company);
    m_statusPanels[1]->setText(m_run.settings.web);
    m_statusPanels[2]->setText(m_run.settings.tel);
    applyPermissions();
    m_ui->EditFind->clear();
    clearDetails();
    try {
        PageControl1Change();
        showAllLines();
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
    }
}

void TMainFm::gate(QAction *action, Permission permission)
{
    action->setEnabled(m_available.contains(action) && m_run.has(permission));
}

void TMainFm::applyPermissions()
{
    gate(m_ui->toolCheckout, Permission::Checkout);
    gate(m_ui->popCheckout, Permission::Checkout);
    gate(m_ui->toolAddConsume, Permission::AddConsumption);
    gate(m_ui->popAddConsume, Permission::AddConsumption);
    gate(m_ui->toolOpenBill, Permission::OpenBill);
    gate(m_ui->popOpenBill, Permission::OpenBill);
    m_ui->menuQuery->menuAction()->setEnabled(m_run.has(Permission::Queries));
    gate(m_ui->toolMember, Permission::Members);
    gate(m_ui->actMember, Permission::Members);
    gate(m_ui->actMemberType, Permission::Members);
    gate(m_ui->actDataClear, Permission::DataClear);
    gate(m_ui->actAdmin, Permission::AdminSettings);
    gate(m_ui->actSetData, Permission::AdminSettings);
    gate(m_ui->actSysInfo, Permission::AdminSettings);
    gate(m_ui->toolXm, Permission::Catalogue);
    gate(m_ui->actXm, Permission::Catalogue);
    gate(m_ui->actSpSet, Permission::Tags);
    gate(m_ui->actFwsGl, Permission::Waiters);
    gate(m_ui->actBackup, Permission::Backup);
    gate(m_ui->actRestore, Permission::Restore);
}

void TMainFm::clearDetails()
{
    for (QLabel *l : {m_ui->lblTagNumber, m_ui->lblState, m_ui->lblStandard, m_ui->lblArrival, m_ui->lblElapsed,
                      m_ui->lblDeposit, m_ui->lblAmount})
        l->clear();
}

void TMainFm::tick()
{
    m_ui->lblClock->setText(clockText());
}

QString TMainFm::activeRoomType() const
{
    const int i = m_ui->PageControl1->currentIndex();
    return i < 0 ? QString() : m_ui->PageControl1->tabText(i);
}

QString TMainFm::selectedTag() const
{
    const QList<QListWidgetItem *> selected = m_ui->ListView1->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

std::optional<int> TMainFm::selectedIcon() const
{
    const QList<QListWidgetItem *> selected = m_ui->ListView1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first()->data(IconRole).toInt();
}

void TMainFm::setItemIcon(QListWidgetItem *item, int icon)
{
    item->setIcon(Icons::tagState(icon));
    item->setData(IconRole, icon);
}

void TMainFm::PageControl1Change()
{
    m_ui->lblRoomType->setText(activeRoomType());
    m_ui->ListView1->clear();
    const QString roomType = activeRoomType();
    if (m_ui->PageControl1->currentIndex() < 0)
        return;
    for (const Board::Tag &tag : Board::tagsOf(m_run.db, roomType)) {
        auto *item = new QListWidgetItem(tag.number, m_ui->ListView1);
        setItemIcon(item, tag.icon);
    }
}

void TMainFm::RefreshBoard()
{
    const Board::Counts n = Board::counts(m_run.db);
    m_ui->lblTotal->setText(QString::number(n.total));
    m_ui->lblOccupied->setText(QString::number(n.occupied));
    m_ui->lblFree->setText(QString::number(n.free));
    m_ui->lblReserved->setText(QString::number(n.reserved));
    m_ui->lblDisabled->setText(QString::number(n.disabled));

    const QList<QListWidgetItem *> selected = m_ui->ListView1->selectedItems();
    if (selected.isEmpty())
        return;
    const std::optional<QString> state = Board::storedState(m_run.db, selected.first()->text());
    if (!state)
        return;
    static const QStringList words{u"可用"_s, u"占用"_s, u"预定"_s, u"停用"_s};
    const int icon = int(words.indexOf(*state));
    if (icon >= 0) {
        setItemIcon(selected.first(), icon);
        m_ui->lblState->setText(*state);
    }
}

void TMainFm::showLines(const Statement &query)
{
    m_ui->DBGrid1->setQuery(query);
}

void TMainFm::showAllLines()
{
    showLines(Board::allLinesQuery());
}

void TMainFm::LoadTagLines()
{
    if (selectedIcon() == Board::OccupiedIcon)
        showLines(Board::tagLinesQuery(selectedTag()));
    else
        m_ui->DBGrid1->setColumns(m_ui->DBGrid1->columns()); // empties the grid
}

void TMainFm::boardClicked()
{
    const QString tag = selectedTag();
    if (tag.isEmpty())
        return;
    m_ui->lblTagNumber->setText(tag);
    const std::optional<Board::Details> d = Board::details(m_run.db, tag, QDateTime::currentDateTime());
    if (!d)
        return;
    try {
        LoadTagLines();
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
    }
    m_ui->lblState->setText(d->state);
    m_ui->lblStandard->setText(d->standard);
    m_ui->lblArrival->setText(d->arrival);
    m_ui->lblElapsed->setText(d->elapsed);
    m_ui->lblDeposit->setText(d->deposit);
    m_ui->lblAmount->setText(d->amount);
}

void TMainFm::boardDoubleClicked()
{
    try {
        RefreshBoard();
        const QString tag = selectedTag();
        m_ui->lblTagNumber->setText(tag);
        if (tag.isEmpty())
            return;
        LoadTagLines();
        m_ui->ListView1->viewport()->update();
        if (m_ui->lblState->text() == u"占用"_s && m_run.has(Permission::AddConsumption))
            emit addConsumptionRequested(tag);
        if (m_ui->lblState->text() == u"可用"_s && m_run.has(Permission::OpenBill))
            emit openBillRequested(tag);
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
    }
}

bool TMainFm::selectTag(const QString &number)
{
    for (int i = 0; i < m_ui->ListView1->count(); ++i) {
        QListWidgetItem *item = m_ui->ListView1->item(i);
        if (item->text() == number) {
            m_ui->ListView1->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
            m_ui->ListView1->scrollToItem(item);
            boardClicked();
            return true;
        }
    }
    return false;
}

void TMainFm::quickFind()
{
    QStringList numbers;
    for (int i = 0; i < m_ui->ListView1->count(); ++i)
        numbers << m_ui->ListView1->item(i)->text();
    const int found = Board::findTag(numbers, m_ui->EditFind->text());
    if (found < 0) {
        m_prompt.message(this, u"没有找到！注意字符大小写！"_s, Prompt::Icon::Warning);
        return;
    }
    selectTag(numbers.at(found));
}

void TMainFm::showPopup(const QPoint &pos)
{
    const QString tag = selectedTag();
    if (!tag.isEmpty()) {
        try {
            LoadTagLines();
            m_ui->lblTagNumber->setText(tag);
            m_ui->lblAmount->setText(Board::amountText(m_run.db, tag));
        } catch (const DbError &e) {
            m_prompt.message(this, e.text(), Prompt::Icon::Error);
        }
    }
    const Board::PopupItems items = Board::popupItems(selectedIcon(), m_run.permissions);
    m_ui->popOpenBill->setEnabled(items.openBill);
    m_ui->popAddConsume->setEnabled(items.addConsumption);
    m_ui->popCheckout->setEnabled(items.checkout);
    m_ui->popChangeState->setEnabled(items.changeState && m_available.contains(m_ui->popChangeState));
    m_ui->popCancel->setEnabled(items.cancelBill);
    if (!pos.isNull())
        m_popup->popup(m_ui->ListView1->viewport()->mapToGlobal(pos));
}

void TMainFm::popupCheckout()
{
    const Board::ToolOutcome o = Board::popupCheckout(m_ui->lblAmount->text());
    toolOutcome(int(o.kind), o.message, &TMainFm::checkoutRequested);
}

void TMainFm::toolOutcome(int outcomeKind, const QString &message, void (TMainFm::*request)(const QString &))
{
    switch (Board::ToolOutcome::Kind(outcomeKind)) {
    case Board::ToolOutcome::Kind::Nothing:
        break;
    case Board::ToolOutcome::Kind::Message:
        m_prompt.message(this, message, Prompt::Icon::Warning);
        break;
    case Board::ToolOutcome::Kind::Screen:
        emit(this->*request)(selectedTag());
        break;
    }
}

void TMainFm::cancelBill()
{
    if (!m_run.has(Permission::CancelBill)) {
        m_prompt.message(this, Board::noCancelPermissionMessage(), Prompt::Icon::Warning);
        return;
    }
    const QString tag = selectedTag();
    if (tag.isEmpty())
        return;
    try {
        Board::cancelBill(m_run.db, tag);
        RefreshBoard();
        LoadTagLines();
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
        return;
    }
    m_prompt.message(this, Board::cancelledMessage());
}

void TMainFm::shiftChange()
{
    // The next operator meets a fresh login window; no exit time is written.
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {}, QCoreApplication::applicationDirPath());
    m_leaving = true;
    close();
}

void TMainFm::exitSystem()
{
    if (!m_prompt.confirm(this, u"您是否要退出本系统?"_s))
        return;
    try {
        Login::recordExit(m_run.db, m_run.loginRecord, QDateTime::currentDateTime());
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
    }
    m_prompt.message(this, u"谢谢使用！"_s);
    m_leaving = true;
    close();
}

void TMainFm::closeEvent(QCloseEvent *event)
{
    if (!m_leaving && !m_prompt.confirm(this, u"确认要退出吗?"_s, u"请确认"_s)) {
        event->ignore();
        return;
    }
    m_clock->stop();
    event->accept();
    emit closed();
}

void TMainFm::openHelp()
{
    // A missing guide or viewer is not worth a message.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(m_run.appDir).filePath(u"help.html"_s)));
}

void TMainFm::openSetData()
{
    TSetDataFm screen(m_run.ini, m_run.DatabaseKind(), m_prompt, this);
    screen.exec();
}

void TMainFm::openCheckout(const QString &tag)
{
    TCheckOutFm screen(m_run, m_prompt, m_reader, tag, this);
    if (screen.exec() != QDialog::Accepted)
        return;
    try {
        PageControl1Change();
        RefreshBoard();
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
    }
}

void TMainFm::openOpenBill(const QString &tag)
{
    TOpenDanFm screen(m_run, m_prompt, tag, activeRoomType(), this);
    const bool opened = screen.exec() == QDialog::Accepted;
    try {
        PageControl1Change();
        if (opened) {
            selectTag(tag);
            RefreshBoard();
        }
    } catch (const DbError &e) {
        m_prompt.message(this, e.text(), Prompt::Icon::Error);
    }
}

void TMainFm::openAddConsumption(const QString &tag)
{
    TAddConsumeFm screen(m_run, m_prompt, tag, this);
    screen.exec();
}
