#pragma once
// The main window: the board of hand tags, one tab per room type, the selected tag's
// details and lines, the state counts and the quick find, and the menus, tool bar and
// pop-up menu from which every other screen is opened.

#include "app/RunState.h"

#include <QMainWindow>
#include <QSet>
#include <memory>
#include <optional>

namespace Ui {
class TMainFm;
}
class CardReader;
class Prompt;
class QAction;
class QLabel;
class QListWidgetItem;
class QMenu;
class QTimer;
class TSeticmFm;

class TMainFm : public QMainWindow
{
    Q_OBJECT

public:
    TMainFm(RunState &run, Prompt &prompt, CardReader &reader, TSeticmFm &seticm, QWidget *parent = nullptr);
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
    // The icon index of the selected tag, nothing when no tag is selected.
    std::optional<int> selectedIcon() const;
    // Selects a tag of the board as a click on it would.
    bool selectTag(const QString &number);

signals:
    // The front-desk screens open on these, for the tag given.
    void openBillRequested(const QString &tag);
    void addConsumptionRequested(const QString &tag);
    void checkoutRequested(const QString &tag);
    void tagStateRequested(const QString &tag);
    // The window has closed: the run is over.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
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
    void popupCheckout();
    void toolOutcome(int outcomeKind, const QString &message, void (TMainFm::*request)(const QString &));
    void cancelBill();
    void shiftChange();
    void exitSystem();
    void openHelp();
    void openSetData();
    void openCheckout(const QString &tag);
    void openOpenBill(const QString &tag);
    void openAddConsumption(const QString &tag);
    void showAllLines();
    void showLines(const Statement &query);
    void setItemIcon(QListWidgetItem *item, int icon);
    void gate(QAction *action, Permission permission);

    std::unique_ptr<Ui::TMainFm> m_ui;
    RunState &m_run;
    Prompt &m_prompt;
    CardReader &m_reader;
    TSeticmFm &m_seticm;
    QMenu *m_popup = nullptr;
    QTimer *m_clock = nullptr;
    QList<QLabel *> m_statusPanels;
    QSet<QAction *> m_available; // entries whose screens exist
    bool m_shown = false;
    bool m_leaving = false; // closing without the close confirmation
};
