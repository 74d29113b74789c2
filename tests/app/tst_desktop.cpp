// The program as a desktop program: Qt's own texts in Chinese, its data in the user's folder when
// installed, and every input control of every window named for screen readers.
#include "app/LgUt.h"
#include "app/MainUt.h"
#include "app/ScreenRegistry.h"
#include "card/CardReader.h"
#include "session/Startup.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/Prompt.h"
#include "widgets/Translations.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

// A label's words without the shortcut mark, the colon and a key hint ("消费数量[F2]:", "打折率(回车)").
QString stripped(QString label)
{
    label.remove(u'&');
    static const QRegularExpression tail(u"(\\s|:|：|\\([^()]*\\)|（[^（）]*）|\\[[^\\[\\]]*\\])+$"_s);
    label.remove(tail);
    return label.trimmed();
}

bool isInput(const QWidget *w)
{
    // A drop-down's list and edit are parts of the drop-down, named with it.
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<const QComboBox *>(p))
            return false;
    }
    // The edit inside a drop-down or a spin box is that control's own part.
    if (qobject_cast<const QLineEdit *>(w))
        return !qobject_cast<const QComboBox *>(w->parentWidget()) && !qobject_cast<const QAbstractSpinBox *>(w->parentWidget());
    if (qobject_cast<const QHeaderView *>(w))
        return false;
    return qobject_cast<const QComboBox *>(w) || qobject_cast<const QCheckBox *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QAbstractItemView *>(w) ||
           qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QTextEdit *>(w);
}

// Each input control of the window whose accessible name is missing, or differs from the text of
// the label that names it; "window/control: what is wrong".
QStringList unnamedControls(const QWidget *window)
{
    QHash<const QWidget *, QString> labelled;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy())
            labelled.insert(label->buddy(), stripped(label->text()));
    }
    QStringList faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!isInput(w))
            continue;
        // On Linux Qt reports a drop-down's current text as its name and lets the screen reader
        // find the label through the buddy relation; the name set for every other platform is
        // what is checked for drop-downs.
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        auto *combo = qobject_cast<QComboBox *>(w);
        const QString name = combo ? combo->accessibleName() : iface ? iface->text(QAccessible::Name) : QString();
        const QString where = window->objectName() + u'/' + w->objectName() + u" ("_s +
                              QString::fromLatin1(w->metaObject()->className()) + u')';
        if (name.trimmed().isEmpty())
            faults << where + u": no name"_s;
        else if (labelled.contains(w) && stripped(name) != labelled.value(w))
            faults << where + u": named \""_s + name + u"\", its label says \""_s + labelled.value(w) + u'"';
    }
    return faults;
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void qtsOwnButtonsSpeakChinese();
    void anInstalledProgramKeepsItsDataInTheUsersFolder();
    void everyInputOfEveryWindowIsNamed();
};

void TestDesktop::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(u"vesk"_s);
    QCoreApplication::setApplicationName(u"vesk"_s);
    QVERIFY2(Translations::installQtChinese(*QCoreApplication::instance()),
             "Qt's Chinese translations are not installed (qt6-translations-l10n)");
}

void TestDesktop::qtsOwnButtonsSpeakChinese()
{
    QStringList buttons;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton *b : box->buttons())
            buttons << b->text();
        box->button(QMessageBox::No)->click();
    });
    QtPrompt prompt;
    QVERIFY(!prompt.confirm(nullptr, u"确实要删除吗？"_s));
    QCOMPARE(buttons.size(), 2);
    QVERIFY2(!buttons.contains(u"&Yes"_s) && !buttons.contains(u"&No"_s), qPrintable(buttons.join(u", "_s)));
    QVERIFY2(buttons.contains(QCoreApplication::translate("QPlatformTheme", "&Yes")), qPrintable(buttons.join(u", "_s)));
    QVERIFY2(buttons.first().contains(u"是"_s) || buttons.last().contains(u"是"_s), qPrintable(buttons.join(u", "_s)));
}

void TestDesktop::anInstalledProgramKeepsItsDataInTheUsersFolder()
{
    QTemporaryDir writable;
    QCOMPARE(Startup::dataFolder(writable.path()), writable.path());
    const QString userFolder = Startup::dataFolder(u"/usr/bin"_s);
    QCOMPARE(userFolder, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QVERIFY(QFileInfo(userFolder).isDir());

    // The first start there delivers system.ini and the embedded database it names, once.
    QTemporaryDir home;
    QVERIFY(Startup::deliverSystemIniIfMissing(home.path()));
    const StartupSettings settings = Startup::readSettings(IniFile(Startup::systemIniPath(home.path())));
    Startup::deliverDatabaseOnFirstStart(settings, home.path());
    {
        const Database db = Startup::openShared(settings, home.path());
        QVERIFY(db.scalar(Statement(u"select count(*) from 管理员"_s)).toInt() > 0);
    }
    Database::remove(QLatin1StringView(Startup::SharedConnection));
    QVERIFY(!Startup::deliverSystemIniIfMissing(home.path()));
}

// Every input control of the login window, the main window and every screen the board opens has
// a name a screen reader says: its label's text.
void TestDesktop::everyInputOfEveryWindowIsNamed()
{
    TestDatabase t(u"sqlite"_s);
    const Database &db = t.db();
    addRoomType(db, u"大厅"_s);
    addTag(db, u"A1"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"A2"_s, u"大厅"_s, u"可用"_s);
    openBill(db, u"A1"_s, u"A1"_s, QDateTime::currentDateTime().addSecs(-600));
    addFullLine(db, u"A1"_s, u"A1"_s, u"足浴"_s, u"88"_s, 1.0, 1, u"10"_s);
    RunState run = runState(db, t.baseDir());
    ScriptedPrompt prompt;
    ScreenRig rig(run, prompt);

    QStringList faults;
    {
        TLgFm login(run, prompt);
        login.show();
        faults += unnamedControls(&login);
    }
    {
        TMainFm main(run, prompt, *rig.reader);
        main.show();
        faults += unnamedControls(&main);
    }
    QStringList opened;
    ModalCloser closer([&](QDialog *dialog) {
        opened << QString::fromLatin1(dialog->metaObject()->className());
        faults += unnamedControls(dialog);
    });
    for (const ScreenEntry &entry : ScreenRegistry::entries()) {
        if (!entry.open)
            continue;
        const bool free = entry.screen == u"TOpenDanFm"_s;
        BoardSelection selection{free ? u"A2"_s : u"A1"_s, u"大厅"_s,
                                 free ? TagState::Free : TagState::Occupied, Money::fromRaw(880000)};
        entry.open(rig.context, selection, nullptr);
    }
    QVERIFY2(opened.size() >= 5, qPrintable(opened.join(u", "_s)));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"\n"_s)));
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
