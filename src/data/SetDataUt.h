#pragma once
// The database settings screen: local file or server, the server's login tried on a test
// connection, the choice stored in system.ini for the next start.

#include "data/DataSettings.h"

#include <QDialog>
#include <memory>

class IniFile;
class Prompt;

namespace Ui {
class TSetDataFm;
}

class TSetDataFm : public QDialog
{
    Q_OBJECT

public:
    // databaseKind is `abc` as read at start-up; it, not the last saved one, picks the button.
    TSetDataFm(IniFile &ini, const QString &databaseKind, Prompt &prompt, QWidget *parent = nullptr);
    ~TSetDataFm() override;

    // The operator's closing answer; "退出", Escape and the close box all come here.
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void selectStartupKind();
    void loadBoxes();
    void localToggled(bool checked);
    void serverToggled(bool checked);
    void testConnection();
    void save();
    ServerLogin login() const;
    ServerKind serverKind() const;

    std::unique_ptr<Ui::TSetDataFm> m_ui;
    Prompt &m_prompt;
    QString m_databaseKind;
    DataSettings m_settings;
};
