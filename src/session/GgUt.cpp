#include "GgUt.h"

using namespace Qt::StringLiterals;

// The comparison is exact: "S" is not a server.
QString SqlTextQuote(const QString &databaseKind)
{
    if (databaseKind == u"s"_s)
        return u"'"_s;
    if (databaseKind == u"a"_s)
        return u"\""_s;
    return {};
}

QString SqlDateQuote(const QString &databaseKind)
{
    if (databaseKind == u"s"_s)
        return u"'"_s;
    if (databaseKind == u"a"_s)
        return u"#"_s;
    return {};
}
