#pragma once
// The rules of the member types list. Members hold their type's name as text, not a link, so a
// type may be renamed or deleted without touching any member, and names may repeat or be blank.

#include "db/Database.h"
#include "db/Records.h"

#include <QString>

class MemberTypes
{
public:
    static const QString Table; // 会员类型

    explicit MemberTypes(const Database &db);

    // Every type in the order they were added; the grid adds the order.
    static Statement listQuery();
    // The question asked before a type is deleted; its blank is inside the quotes, before the name.
    static QString deleteQuestion(const QString &name);
    static QString nothingToDeleteMessage();

    // Returns the new type's row number. Throws Refusal or DbError.
    qint64 add(const ColumnValues &values) const;
    // Throws Refusal when the type was deleted meanwhile (by another counter), or DbError.
    void change(qint64 rowNumber, const ColumnValues &values) const;
    // A type already gone is no error: what the operator wanted is done.
    void remove(qint64 rowNumber) const;

private:
    Database m_db;
};
