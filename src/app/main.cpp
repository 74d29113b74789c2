#include "app/SharedConnection.h"
#include "app/Startup.h"
#include "data/DeliveredDatabase.h"
#include "db/IniFile.h"
#include "widgets/Prompt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

int createDatabase(const QString &target)
{
    QTextStream err(stderr);
    QTextStream out(stdout);
    try {
        DeliveredDatabase::createAt(target, QDir::currentPath());
    } catch (const DbError &e) {
        err << u"建立数据库失败: "_s << e.text() << Qt::endl;
        return 1;
    }
    out << u"已建立数据库: "_s << target << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Creating a database needs no window, so it runs without a display.
    for (int i = 1; i < argc; ++i) {
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
    QApplication::setApplicationName(u"管理系统"_s);
    const QString appDir = QCoreApplication::applicationDirPath();
    IniFile ini(Startup::systemIniPath(appDir));
    const StartupSettings settings = Startup::readSettings(ini);
    QtPrompt prompt;
    const std::optional<Database> db = openSharedConnection(settings, appDir, prompt);
    QTextStream out(stdout);
    if (!db) {
        out << connectionFailedMessage() << Qt::endl;
        return 1;
    }
    out << settings.softname << u": 已打开数据库 "_s << db->handle().databaseName() << Qt::endl;
    return 0;
}
