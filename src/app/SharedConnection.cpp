#include "SharedConnection.h"

#include "widgets/Prompt.h"

using namespace Qt::StringLiterals;

QString connectionFailedMessage()
{
    return u"数据库连接失败,请选择数据库."_s;
}

std::optional<Database> openSharedConnection(const StartupSettings &settings, const QString &appDir,
                                             Prompt &prompt)
{
    try {
        return Startup::openShared(settings, appDir);
    } catch (const DbError &) {
        prompt.message(nullptr, connectionFailedMessage(), Prompt::Icon::Warning);
        return std::nullopt;
    }
}
