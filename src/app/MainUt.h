#pragma once
// The main window: the board of hand tags, one tab per room type, the selected tag's
// details and lines, the state counts and the quick find, and the menus, tool bar and
// pop-up menu built from the screen registry, from which every other screen is opened.

#include "data/TagState.h"
#include "db/Money.h"
#include "session/RunState.h"
#include "widgets/ScreenContext.h"

#include <QMainWindow>
#include <memory>
#include <optional>

namespace Ui {
class TMainFm;
}
struct BoardPlace;
struct BoardSelection;
struct ScreenEntry;
class QAction;
class QLabel;
class QListWidgetItem;
class QMenu;
class QTimer;
class Statement;

class TMainFm : public QMainWindow
{
    Q_OBJECT

public:
    TMainFm(RunState &run, Prompt &prompt, CardReader &reader, QWidget *parent = nullptr);
    ~TMainFm() override;

    // Recounts the states and refreshes the selected tag's icon and state label.
    void RefreshBoard();
    // Loads the board with the tags of the active tab.
    void PageControl1Change();
    // Shows the selected tag's lines when it is occupied, else empties the line grid.
    void LoadTagLines();

    // The selected tag's number (the board item's caption), empty when none is selected.
    QString selectedTag() const;
    // The active tab's caption: the room type of the board.
    QString activeRoomType() const;
    // The state the selected tag's icon shows, nothing when no tag is selected.
    std::optional<TagState> selectedState() const;
    // Selects a tag of the board as a click on it would.
    bool selectTag(const QString &number);

signals:
    // A screen of the registry is about to open, on the tag given (empty when none is selected).
    void screenRequested(const QString &screen, const QString &tag);
    // The window has closed: the run is over.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Placed
    {
        QAction *action;
        const ScreenEntry *entry;
        const BoardPlace *place;
    };

    void buildEntries();
    void buildTabs();
    void buildStatusBar();
    void setUpLineGrid();
    void firstShow();
    void applyPermissions();
    void clearDetails();
    void tick();
    void boardClicked();
    void boardDoubleClicked();
    void quickFind();
    void showPopup(const QPoint &pos);
    BoardSelection selection() const;
    void use(const ScreenEntry &entry, const BoardPlace &place);
    void openScreen(const QString &screen);
    void openScreen(const ScreenEntry &entry, const BoardSelection &selection);
    void runCommand(int command);
    void cancelBill();
    void shiftChange();
    void exitSystem();
    void openHelp();
    void showAllLines();
    void showLines(const Statement &query);
    void setItemState(QListWidgetItem *item, TagState state);
    void setAmount(Money amount);

    std::unique_ptr<Ui::TMainFm> m_ui;
    RunState &m_run;
    Prompt &m_prompt;
    CardReader &m_reader;
    ScreenContext m_context;
    QList<Placed> m_placed;
    QMenu *m_popup = nullptr;
    QTimer *m_clock = nullptr;
    QList<QLabel *> m_statusPanels;
    std::optional<TagState> m_labelState; // what "当前状态:" shows; the double-click tests it
    Money m_amount;                       // what "消费金额:" shows; the pop-up checkout tests it
    bool m_shown = false;
    bool m_leaving = false; // closing without the close confirmation
};
