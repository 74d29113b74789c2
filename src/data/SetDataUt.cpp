#include "SetDataUt.h"

#include "ui_SetDataUt.h"
#include "widgets/Prompt.h"

#include <QGuiApplication>
#include <QShowEvent>

using namespace Qt::StringLiterals;

namespace {

QString restartMessage()
{
    return u"软件重启后生效!"_s;
}

} // namespace

TSetDataFm::TSetDataFm(IniFile &ini, const QString &databaseKind, Prompt &prompt, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TSetDataFm>()), m_prompt(prompt),
      m_databaseKind(databaseKind), m_settings(ini)
{
    m_ui->setupUi(this);
    // Kept for whoever looks into the settings; the screen stores the tested string, not this one.
    m_ui->csEdit->hide();
    // toggled, not clicked: choosing a button from code must act as the operator's click does.
    connect(m_ui->localRadio, &QRadioButton::toggled, this, &TSetDataFm::localToggled);
    connect(m_ui->serverRadio, &QRadioButton::toggled, this, &TSetDataFm::serverToggled);
    connect(m_ui->testButton, &QPushButton::clicked, this, &TSetDataFm::testConnection);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TSetDataFm::save);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TSetDataFm::reject);
}

TSetDataFm::~TSetDataFm() = default;

void TSetDataFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        selectStartupKind();
        loadBoxes();
    }
    QDialog::showEvent(event);
}

void TSetDataFm::selectStartupKind()
{
    // Clearing both buttons needs the group's exclusiveness off for a moment.
    m_ui->localRadio->setAutoExclusive(false);
    m_ui->serverRadio->setAutoExclusive(false);
    m_ui->localRadio->setChecked(false);
    m_ui->serverRadio->setChecked(false);
    m_ui->localRadio->setAutoExclusive(true);
    m_ui->serverRadio->setAutoExclusive(true);
    m_ui->serverGroup->setEnabled(false);
    m_ui->saveButton->setEnabled(false);

    if (m_databaseKind == u"a"_s)
        m_ui->localRadio->setChecked(true);
    else if (m_databaseKind == u"s"_s)
        m_ui->serverRadio->setChecked(true);
}

void TSetDataFm::loadBoxes()
{
    const StoredDataSettings stored = m_settings.load();
    m_ui->serverKindCombo->setCurrentIndex(stored.serverKind == ServerKind::SqlServer ? 1 : 0);
    m_ui->serverEdit->setText(stored.login.server);
    m_ui->databaseEdit->setText(stored.login.database);
    m_ui->userEdit->setText(stored.login.user);
    m_ui->passwordEdit->setText(stored.login.password);
    m_ui->csEdit->setPlainText(stored.connectionString);
}

void TSetDataFm::localToggled(bool checked)
{
    if (!checked)
        return;
    m_ui->serverGroup->setEnabled(false);
    m_ui->saveButton->setEnabled(true);
}

void TSetDataFm::serverToggled(bool checked)
{
    if (!checked)
        return;
    m_ui->serverGroup->setEnabled(true);
    m_ui->saveButton->setEnabled(false);
}

ServerLogin TSetDataFm::login() const
{
    return {m_ui->serverEdit->text(), m_ui->databaseEdit->text(), m_ui->userEdit->text(),
            m_ui->passwordEdit->text()};
}

ServerKind TSetDataFm::serverKind() const
{
    return m_ui->serverKindCombo->currentIndex() == 1 ? ServerKind::SqlServer : ServerKind::PostgreSql;
}

void TSetDataFm::testConnection()
{
    const ServerLogin typed = login();
    m_settings.setTestConnectionString(DataSettings::compose(serverKind(), typed));
    // The counter screen is in view of guests: the password is never shown.
    m_prompt.message(this, DataSettings::shownConnectionString(serverKind(), typed));

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = m_settings.openTestConnection();
    QGuiApplication::restoreOverrideCursor();
    if (opened) {
        m_prompt.message(this, u"连接成功!"_s);
        m_ui->saveButton->setEnabled(true);
    } else {
        m_prompt.message(this, u"连接失败"_s, Prompt::Icon::Warning);
    }
}

void TSetDataFm::save()
{
    const DatabasePlace place =
        m_ui->serverRadio->isChecked() ? DatabasePlace::Server : DatabasePlace::LocalFile;
    if (!m_settings.save(place, login(), serverKind())) {
        m_prompt.message(this, u"system.ini无法写入,设置没有保存."_s, Prompt::Icon::Error);
        return;
    }
    m_prompt.message(this, restartMessage());
    accept();
}

void TSetDataFm::reject()
{
    m_prompt.message(this, restartMessage());
    QDialog::reject();
}

void TSetDataFm::done(int result)
{
    m_settings.closeTestConnection();
    QDialog::done(result);
}
