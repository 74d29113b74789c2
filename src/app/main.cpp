#include "app/LgUt.h"
#include "app/ScreenRegistry.h"
#include "app/SharedConnection.h"
#include "card/CardReader.h"
#include "data/DeliveredDatabase.h"
#include "session/Startup.h"
#include "widgets/Guard.h"
#include "widgets/Icons.h"
#include "widgets/Prompt.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

int createDatabase(const QString &target)
{
    try {
        DeliveredDatabase::createAt(target, QDir::currentPath());
    } catch (const DbError &e) {
        QTextStream(stderr) << u"建立数据库失败: "_s << e.text() << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << u"已建立数据库: "_s << target << Qt::endl;
    return 0;
}

// Reads system.ini, opens the shared connection (offering the database settings when
// that fails) and reads the shop's name and telephone.
RunState startRun(const QString &appDir, Prompt &prompt)
{
    RunState run;
    run.appDir = appDir;
    const bool firstStart = Startup::deliverSystemIniIfMissing(appDir);
    run.ini = IniFile(Startup::systemIniPath(appDir));
    run.settings = Startup::readSettings(run.ini);
    if (firstStart)
        guard(prompt, nullptr, [&] { Startup::deliverDatabaseOnFirstStart(run.settings, appDir); });
    if (std::optional<Database> db = openSharedConnection(run.settings, appDir, prompt)) {
        run.db = *db;
    } else {
        ScreenRegistry::openDatabaseSettingsAtStart(run.ini, run.settings.databaseKind, prompt);
    }
    // The login's "启动IC读卡器" option is off unless the venue switches its reader on here.
    run.startCardReader = run.ini.read(u"card"_s, u"StartReader"_s) == u"1"_s;
    guard(prompt, nullptr, [&] { std::tie(run.shopName, run.shopTel) = Login::shopInfo(run.db); });
    return run;
}

} // namespace

static int createBlankCard(const QString &path)
{
    if (!CardReader::createBlankCard(path)) {
        QTextStream(stderr) << u"无法建立卡文件: "_s << path << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << u"已建立空白会员卡: "_s << path << Qt::endl;
    return 0;
}

int main(int argc, char *argv[])
{
    // These need no window, so they run without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--create-blank-card") == 0) {
            QCoreApplication core(argc, argv);
            if (i + 1 >= argc) {
                QTextStream(stderr) << u"用法: vesk --create-blank-card 卡文件"_s << Qt::endl;
                return 2;
            }
            return createBlankCard(QString::fromLocal8Bit(argv[i + 1]));
        }
        if (std::strcmp(argv[i], "--create-database") == 0) {
            QCoreApplication core(argc, argv);
            if (i + 1 >= argc) {
                QTextStream(stderr) << u"用法: vesk --create-database 数据库文件或连接字符串"_s << Qt::endl;
                return 2;
            }
            return createDatabase(QString::fromLocal8Bit(argv[i + 1]));
        }
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(u"vesk"_s);
    QApplication::setApplicationName(u"vesk"_s);
    QGuiApplication::setDesktopFileName(u"vesk"_s);
    QApplication::setWindowIcon(Icons::application());
    Translations::installQtChinese(app);
    QtPrompt prompt;
    TLgFm login(startRun(Startup::dataFolder(QCoreApplication::applicationDirPath()), prompt), prompt);
    QObject::connect(&login, &TLgFm::runEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    login.show();
    return app.exec();
}
