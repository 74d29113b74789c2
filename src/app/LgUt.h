#pragma once
// The login window: created first and kept, hidden, for the whole run. It owns the run's
// state (connection, operator, permissions, system.ini texts) and the card reader, and
// hands over to the main window after a successful login.

#include "session/Login.h"
#include "session/RunState.h"

#include <QDialog>
#include <future>
#include <memory>

namespace Ui {
class TLgFm;
}
class CardReader;
class Prompt;
class ReaderDevice;
class TMainFm;

class TLgFm : public QDialog
{
    Q_OBJECT

public:
    // run: the state start-up prepared (connection, settings, shop information).
    TLgFm(RunState run, Prompt &prompt, QWidget *parent = nullptr);
    ~TLgFm() override;

    RunState &run() { return m_run; }
    CardReader &cardReader() { return *m_reader; }
    TMainFm *mainWindow() const { return m_main.get(); }

    // Reads the operator list again; the window does this whenever it is shown.
    void prepareForLogin();

signals:
    // The main window was closed: the run is over.
    void runEnded();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void logIn();
    void leave();
    std::optional<Login::Verified> checkPrefill();

    std::unique_ptr<Ui::TLgFm> m_ui;
    RunState m_run;
    Prompt &m_prompt;
    std::unique_ptr<ReaderDevice> m_device;
    std::unique_ptr<CardReader> m_reader;
    std::unique_ptr<TMainFm> m_main;
    // The pre-filled password with the hash it was checked against, so the login does not
    // derive it a second time.
    std::optional<Login::Verified> m_prefilled;
    // The first check of the delivered password, begun when the window is built so that the key
    // derivation runs beside the building of the widgets; the first showing takes its answer.
    std::optional<Login::Verified> m_earlyCandidate;
    std::future<bool> m_earlyCheck;
};
