#pragma once
// The rules of the catalogue of services and goods. Consumption lines copy an item's name,
// price, rate and commission when they are added, so the catalogue may change under open bills;
// only a rename waits until the lines that carry the old name are settled.

#include "db/Database.h"
#include "db/Records.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class Catalogue
{
public:
    static const QString Table; // 商品项目库

    explicit Catalogue(const Database &db);

    static Statement listQuery();
    // What a new item starts with: one unit of money, full price, no commission, no service.
    static ColumnValues presets();
    // The boxes' texts by column, checked in the dialog's order (类型, 是否需要服务, 项目名, 打折率,
    // 单价, then 提成金额 when adding): the first empty one is refused with the column as field.
    static void requireComplete(const QList<std::pair<QString, QString>> &texts, bool adding);

    // The item types' names (商品项目类型), in the order the database returns them.
    QStringList itemTypes() const;

    // Returns the new item's row number. Throws Refusal or DbError.
    qint64 add(const ColumnValues &values) const;
    // Throws Refusal (a value out of bounds, the item deleted meanwhile, a rename while open lines
    // carry the old name) or DbError.
    void change(qint64 rowNumber, const ColumnValues &values) const;

private:
    // Bounds of the values, and the name's pinyin initials added.
    static ColumnValues checked(ColumnValues values);

    Database m_db;
};
