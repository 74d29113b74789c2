#pragma once
// The rules of the venue's room types and hand tags. Tags name their room type, and open bills
// and lines name their tags, all by text: a room type's new name is carried to the rows that
// name it, and a tag in use is neither changed nor deleted until its bill is settled.

#include "data/TagState.h"
#include "db/Database.h"
#include "db/Records.h"

#include <QString>
#include <QStringList>

// A numbered run of tags: the marker in front of the number or behind it, numbers written
// without leading zeros ("SP" 1 to 12 gives SP1 … SP12).
struct TagBatch
{
    QString marker;
    bool markerInFront = true;
    QString start; // as typed
    QString end;
    QString roomType;
    QString location;
    QString nature;
};

class Tags
{
public:
    static const QString RoomTypeTable; // 包厢类型
    static const QString TagTable;      // 手牌管理
    // The most tags one batch adds.
    static constexpr qint64 BatchLimit = 10000;

    explicit Tags(const Database &db);

    static Statement roomTypesQuery();
    static Statement allTagsQuery();
    static Statement tagsOf(const QString &roomType);
    // The tag numbers of a batch, in order. Throws Refusal for a start or end missing, not a
    // whole number, an end below the start or a run longer than BatchLimit.
    static QStringList batchNumbers(const TagBatch &batch);
    // The states the tag dialog offers: "占用" comes only with a bill.
    static QStringList settableStates();

    QStringList roomTypeNames() const;
    QStringList billingMethods() const;

    // Returns the new room type's row number. Throws Refusal (no name, a name taken) or DbError.
    qint64 addRoomType(const ColumnValues &values) const;
    // A new name is carried to the tags and open bills that name the old one, in one transaction.
    void changeRoomType(qint64 rowNumber, const ColumnValues &values) const;
    // Refused while tags name the room type.
    void removeRoomType(qint64 rowNumber) const;

    // Throws Refusal (a box missing, a state the dialog does not offer, a number taken) or DbError.
    qint64 addTag(const ColumnValues &values) const;
    // Refused for a tag in use (occupied, or with an open bill or lines).
    void changeTag(qint64 rowNumber, const ColumnValues &values) const;
    void removeTag(qint64 rowNumber) const;
    // Stores every tag of the batch, free, or none of them: a number already taken refuses the
    // whole run, naming it. Returns how many were added.
    qint64 addBatch(const TagBatch &batch) const;

    // The stored state word of the tag; nothing when there is no such tag.
    std::optional<QString> stateOf(const QString &tag) const;
    // Sets a tag that is not occupied to the state (free, reserved or disabled). Refused when the
    // tag is occupied, even if it became so after the caller read its state, or is gone.
    void setState(const QString &tag, TagState state) const;

private:
    bool tagInUse(const QString &tag) const;
    void requireFreeName(const QString &name, qint64 exceptRow) const;
    void requireNewTagNumber(const QString &number) const;
    void requireRoomType(const QString &name) const;

    Database m_db;
};
