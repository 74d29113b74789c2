#include "LgUt.h"

#include "app/MainUt.h"
#include "card/CardReader.h"
#include "ui_LgUt.h"
#include "widgets/Guard.h"
#include "widgets/Icons.h"
#include "widgets/Prompt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QScreen>

#include <utility>

using namespace Qt::StringLiterals;

TLgFm::TLgFm(RunState run, Prompt &prompt, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TLgFm>()), m_run(std::move(run)), m_prompt(prompt)
{
    // Whether the first operator still has the delivered password takes a key derivation (about
    // 15 ms); it runs on its own thread while the widgets are built. A failed read is left to the
    // showing, which reads again and reports it.
    try {
        m_earlyCandidate = Login::prefillCandidate(m_run.db);
        if (m_earlyCandidate)
            m_earlyCheck = std::async(std::launch::async,
                                      [candidate = *m_earlyCandidate] { return Login::stillDefault(candidate); });
    } catch (const DbError &) {
        m_earlyCandidate.reset();
    }
    m_ui->setupUi(this);
    // No title-bar buttons: the window is left through "登陆" or "退出".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowIcon(Icons::application());
    m_device = makeReaderDevice(m_run.ini, m_run.appDir);
    m_reader = std::make_unique<CardReader>(*m_device, m_prompt);

    m_ui->Edit1->installEventFilter(this);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TLgFm::logIn);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TLgFm::leave);
    // Choosing a name, or Enter after typing one, moves on to the password.
    connect(m_ui->ComboBox1, &QComboBox::activated, this, [this] { m_ui->Edit1->setFocus(); });
    connect(m_ui->ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, [this] { m_ui->Edit1->setFocus(); });
}

TLgFm::~TLgFm()
{
    m_main.reset();
    if (m_reader)
        m_reader->closeReader();
}

void TLgFm::prepareForLogin()
{
    m_reader->setReaderPort(0);
    setWindowTitle(m_run.settings.softname);
    m_ui->Label3->setText(m_run.settings.softname);
    m_ui->ComboBox1->clear();
    m_ui->Edit1->clear();
    m_ui->Button1->setDefault(false);
    guard(m_prompt, this, [this] {
        const QStringList names = Login::operatorNames(m_run.db);
        m_ui->ComboBox1->addItems(names);
        if (!names.isEmpty())
            m_ui->ComboBox1->setCurrentIndex(0);
        m_prefilled = checkPrefill();
        m_ui->Edit1->setText(m_prefilled ? m_prefilled->password : QString());
        // With the password already there, Enter logs straight in.
        if (m_ui->Edit1->text().isEmpty())
            m_ui->ComboBox1->setFocus();
        else
            m_ui->Edit1->setFocus();
    });
}

void TLgFm::showEvent(QShowEvent *event)
{
    prepareForLogin();
    QDialog::showEvent(event);
}

// The early check answers the first showing, as long as the stored hash is still the one it
// checked; every later showing (after a logout the password may have changed) checks afresh.
std::optional<Login::Verified> TLgFm::checkPrefill()
{
    std::optional<Login::Verified> candidate = Login::prefillCandidate(m_run.db);
    const std::optional<Login::Verified> early = std::exchange(m_earlyCandidate, std::nullopt);
    bool isDefault = false;
    if (candidate && early && m_earlyCheck.valid() && early->stored == candidate->stored)
        isDefault = m_earlyCheck.get();
    else if (candidate)
        isDefault = Login::stillDefault(*candidate);
    m_earlyCheck = {}; // an answer not taken is waited for here, once
    return isDefault ? candidate : std::nullopt;
}

bool TLgFm::eventFilter(QObject *watched, QEvent *event)
{
    // Enter logs in once the password box has had the focus, not before.
    if (watched == m_ui->Edit1 && event->type() == QEvent::FocusIn)
        m_ui->Button1->setDefault(true);
    return QDialog::eventFilter(watched, event);
}

void TLgFm::logIn()
{
    const QString name = m_ui->ComboBox1->currentText();
    std::optional<Login::LoggedIn> flags;
    if (!guard(m_prompt, this, [&] { flags = Login::logIn(m_run.db, name, m_ui->Edit1->text(), QDateTime::currentDateTime(), m_prefilled); }))
        return;
    if (!flags) {
        m_prompt.message(this, u"用户名或者密码错误请重新输入！"_s, Prompt::Icon::Warning);
        m_ui->Edit1->selectAll();
        m_ui->Edit1->setFocus();
        return;
    }
    m_run.CurrentOperator = name;
    m_run.permissions = flags->permissions;
    m_run.loginRecord = flags->record;
    m_main = std::make_unique<TMainFm>(m_run, m_prompt, *m_reader);
    connect(m_main.get(), &TMainFm::closed, this, &TLgFm::runEnded);
    hide();
    // Where no window manager maximises, the window still covers the screen.
    if (QScreen *screen = this->screen())
        m_main->setGeometry(screen->availableGeometry());
    m_main->showMaximized();
}

void TLgFm::leave()
{
    QDialog::reject();
    emit runEnded();
}

void TLgFm::reject()
{
    leave();
}

void TLgFm::closeEvent(QCloseEvent *event)
{
    m_reader->closeReader();
    QDialog::closeEvent(event);
    if (!m_main)
        emit runEnded();
}
