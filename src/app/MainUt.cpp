#include "MainUt.h"

#include "app/Board.h"
#include "app/ScreenRegistry.h"
#include "card/CardReader.h"
#include "ui_MainUt.h"
#include "widgets/Guard.h"
#include "widgets/Icons.h"
#include "widgets/Prompt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int StateRole = Qt::UserRole + 1;
constexpr int ClockInterval = 60000;

QString clockText()
{
    return QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm"_s);
}

} // namespace

TMainFm::TMainFm(RunState &run, Prompt &prompt, CardReader &reader, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TMainFm>()), m_run(run), m_prompt(prompt), m_reader(reader),
      m_context{run.db, SessionView(run), prompt, reader}
{
    m_ui->setupUi(this);
    setWindowIcon(Icons::application());
    m_ui->SplitterMain->setStretchFactor(0, 3);
    m_ui->SplitterMain->setStretchFactor(1, 1);

    m_popup = new QMenu(this);
    buildEntries();

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

    m_clock = new QTimer(this);
    m_clock->setInterval(ClockInterval);
    connect(m_clock, &QTimer::timeout, this, &TMainFm::tick);

    setUpLineGrid();
    buildStatusBar();
    guard(m_prompt, this, [this] {
        buildTabs();
        RefreshBoard(); // the counts; nothing is selected yet
    });
}

TMainFm::~TMainFm() = default;

// One action per place of every registry entry; an entry whose screen is not built yet keeps
// its places, disabled.
void TMainFm::buildEntries()
{
    QHash<QString, QMenu *> menus;
    for (const BoardMenu &m : ScreenRegistry::menus()) {
        QMenu *menu = m_ui->MainMenu1->addMenu(m.title);
        menu->setObjectName(m.objectName);
        menus.insert(m.objectName, menu);
    }
    for (const ScreenEntry &entry : ScreenRegistry::entries()) {
        for (const BoardPlace &place : entry.places) {
            auto *action = new QAction(place.text, this);
            action->setObjectName(place.objectName);
            if (place.icon)
                action->setIcon(Icons::toolbar(*place.icon));
            action->setVisible(!place.hidden);
            action->setEnabled(entry.available());
            switch (place.where) {
            case BoardPlace::Where::Menu:
                menus.value(place.menu)->addAction(action);
                break;
            case BoardPlace::Where::ToolBar:
                m_ui->ToolBar1->addAction(action);
                break;
            case BoardPlace::Where::Popup:
                m_popup->addAction(action);
                break;
            }
            connect(action, &QAction::triggered, this, [this, &entry, &place] { use(entry, place); });
            m_placed.append({action, &entry, &place});
        }
    }
}

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
    grid->setColumns(GridColumns(u"手牌消费"_s)
                         .rowNumber()
                         .add(u"单据号"_s, 150)
                         .add(u"项目名"_s, 100)
                         .add(u"单价"_s, 30)
                         .add(u"打折率"_s, 45)
                         .add(u"数量"_s, 30)
                         .add(u"合计"_s, 40)
                         .add(u"消费时间"_s, 140)
                         .add(u"服务生"_s, 60)
                         .add(u"营业员"_s, 70));
    guard(m_prompt, grid);
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
    guard(m_prompt, this, [this] {
        PageControl1Change();
        showAllLines();
    });
}

// The flags are applied once, when the window is shown; they do not change during the run.
void TMainFm::applyPermissions()
{
    for (const BoardMenu &m : ScreenRegistry::menus()) {
        if (auto *menu = m_ui->MainMenu1->findChild<QMenu *>(m.objectName))
            menu->menuAction()->setEnabled(!m.gate || m_run.has(*m.gate));
    }
    for (const Placed &p : std::as_const(m_placed))
        p.action->setEnabled(p.entry->available() && (!p.entry->gate || m_run.has(*p.entry->gate)));
}

void TMainFm::clearDetails()
{
    for (QLabel *l : {m_ui->lblTagNumber, m_ui->lblState, m_ui->lblStandard, m_ui->lblArrival, m_ui->lblElapsed,
                      m_ui->lblDeposit, m_ui->lblAmount})
        l->clear();
    m_labelState.reset();
    m_amount = Money();
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

std::optional<TagState> TMainFm::selectedState() const
{
    const QList<QListWidgetItem *> selected = m_ui->ListView1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return TagState(selected.first()->data(StateRole).toInt());
}

BoardSelection TMainFm::selection() const
{
    return BoardSelection{selectedTag(), activeRoomType(), selectedState(), m_amount};
}

void TMainFm::setItemState(QListWidgetItem *item, TagState state)
{
    item->setIcon(Icons::tagState(int(state)));
    item->setData(StateRole, int(state));
}

void TMainFm::setAmount(Money amount)
{
    m_amount = amount;
    m_ui->lblAmount->setText(amount.toString());
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
        setItemState(item, tag.state);
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
    const std::optional<QString> word = Board::storedState(m_run.db, selected.first()->text());
    if (!word)
        return;
    if (const std::optional<TagState> state = tagStateFrom(*word)) {
        setItemState(selected.first(), *state);
        m_labelState = state;
        m_ui->lblState->setText(tagStateText(*state));
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
    if (selectedState() == TagState::Occupied)
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
    guard(m_prompt, this, [this] { LoadTagLines(); });
    m_labelState = d->state;
    m_ui->lblState->setText(tagStateText(d->state));
    m_ui->lblStandard->setText(d->standard);
    m_ui->lblArrival->setText(d->arrival);
    m_ui->lblElapsed->setText(d->elapsed);
    m_ui->lblDeposit->setText(d->deposit.toString());
    setAmount(d->amount);
}

void TMainFm::boardDoubleClicked()
{
    guard(m_prompt, this, [this] {
        RefreshBoard();
        const QString tag = selectedTag();
        m_ui->lblTagNumber->setText(tag);
        if (tag.isEmpty())
            return;
        LoadTagLines();
        m_ui->ListView1->viewport()->update();
        if (m_labelState == TagState::Occupied && m_run.has(Permission::AddConsumption))
            openScreen(u"TAddConsumeFm"_s);
        if (m_labelState == TagState::Free && m_run.has(Permission::OpenBill))
            openScreen(u"TOpenDanFm"_s);
    });
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
        guard(m_prompt, this, [&] {
            LoadTagLines();
            m_ui->lblTagNumber->setText(tag);
            setAmount(Board::amount(m_run.db, tag));
        });
    }
    const Board::PopupItems items = Board::popupItems(selectedState(), m_run.permissions);
    for (const Placed &p : std::as_const(m_placed)) {
        if (p.place->where != BoardPlace::Where::Popup)
            continue;
        const bool byState = p.place->enabledBy && items.*(p.place->enabledBy);
        p.action->setEnabled(byState && p.entry->available() && (!p.entry->gate || m_run.has(*p.entry->gate)));
    }
    if (!pos.isNull())
        m_popup->popup(m_ui->ListView1->viewport()->mapToGlobal(pos));
}

void TMainFm::use(const ScreenEntry &entry, const BoardPlace &place)
{
    // Lines may have been added since the tag was clicked: the tool bar reads the amount as it
    // stands now (the pop-up menu read it when it opened).
    if (const QString tag = selectedTag(); !tag.isEmpty() && place.where == BoardPlace::Where::ToolBar)
        guard(m_prompt, this, [&] { setAmount(Board::amount(m_run.db, tag)); });
    const BoardSelection s = selection();
    if (place.check) {
        const Board::ToolOutcome o = place.check(s);
        if (o.kind == Board::ToolOutcome::Kind::Message)
            m_prompt.message(this, o.message, Prompt::Icon::Warning);
        if (o.kind != Board::ToolOutcome::Kind::Screen)
            return;
    }
    if (entry.command != BoardCommand::None)
        runCommand(int(entry.command));
    else if (entry.open)
        openScreen(entry, s);
}

void TMainFm::openScreen(const QString &screen)
{
    if (const ScreenEntry *entry = ScreenRegistry::find(screen); entry && entry->open)
        openScreen(*entry, selection());
}

void TMainFm::openScreen(const ScreenEntry &entry, const BoardSelection &s)
{
    emit screenRequested(entry.screen, s.tag);
    const bool accepted = entry.open(m_context, s, this) == QDialog::Accepted;
    guard(m_prompt, this, [&] {
        switch (entry.after) {
        case AfterClose::Nothing:
            break;
        case AfterClose::TagsIfAccepted:
            if (accepted) {
                // The tags are read again and none is selected: the details and the lines of
                // the tag that was (settled, say) would no longer be true.
                PageControl1Change();
                clearDetails();
                LoadTagLines();
                RefreshBoard();
            }
            break;
        case AfterClose::Venue: {
            // Room types may have been added, renamed or deleted: the tabs are built again and
            // the one that was active stays so while it exists.
            const QString active = activeRoomType();
            buildTabs();
            for (int i = 0; i < m_ui->PageControl1->count(); ++i) {
                if (m_ui->PageControl1->tabText(i) == active) {
                    const QSignalBlocker block(m_ui->PageControl1);
                    m_ui->PageControl1->setCurrentIndex(i);
                }
            }
            PageControl1Change();
            RefreshBoard();
            break;
        }
        case AfterClose::EndIfAccepted:
            if (accepted) {
                // The database the run worked on was replaced: nothing more is written to it,
                // not even this run's exit time.
                m_leaving = true;
                close();
            }
            break;
        case AfterClose::TagsAndSelect:
            PageControl1Change();
            if (accepted) {
                selectTag(s.tag);
                RefreshBoard();
            }
            break;
        }
    });
}

void TMainFm::runCommand(int command)
{
    switch (BoardCommand(command)) {
    case BoardCommand::None:
        break;
    case BoardCommand::Reminder:
        m_prompt.message(this, u"为了您的数据安全 请注意备份您的数据！"_s);
        break;
    case BoardCommand::ShiftChange:
        shiftChange();
        break;
    case BoardCommand::Exit:
        exitSystem();
        break;
    case BoardCommand::Help:
        openHelp();
        break;
    case BoardCommand::CancelBill:
        cancelBill();
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
    const bool done = guard(m_prompt, this, [&] {
        Board::cancelBill(m_run.db, tag);
        RefreshBoard();
        boardClicked(); // the freed tag's details and lines as they now are
    });
    if (done)
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
    guard(m_prompt, this, [this] { Login::recordExit(m_run.db, m_run.loginRecord, QDateTime::currentDateTime()); });
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
    // The venue's own guide beside the program comes first; else the one inside the program,
    // written out where the browser can read it. A missing viewer is not worth a message.
    QString guide = QDir(m_run.appDir).filePath(u"help.html"_s);
    if (!QFileInfo::exists(guide)) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        QDir().mkpath(folder);
        guide = QDir(folder).filePath(u"help.html"_s);
        QFile::remove(guide);
        QFile::copy(u":/help/help.html"_s, guide);
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
}
