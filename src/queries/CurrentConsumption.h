#pragma once
// What the guests in the venue have consumed so far: the occupied tags and the open lines of a
// tag, either the lines entered on it or every line of the bill it is the master tag of.

#include "db/Database.h"
#include "db/Money.h"

#include <QString>
#include <QStringList>

class CurrentConsumption
{
public:
    static const QString Table; // 手牌消费

    enum class By
    {
        Tag,    // the lines entered on the tag
        Master, // the lines of the bill whose master tag it is: a whole group on its master tag
    };

    explicit CurrentConsumption(const Database &db);

    // The occupied tags, in the order they were set up. Throws DbError.
    QStringList occupiedTags() const;

    static Statement lines(By by, const QString &tag);
    // sum(合计) of those lines; zero when there are none. Throws DbError.
    Money total(By by, const QString &tag) const;
    // Whether there is any such line. Throws DbError.
    bool hasLines(By by, const QString &tag) const;

private:
    Database m_db;
};
