#pragma once
// The rules of a tag's consumption lines: what a line copies from the catalogue and how it is
// priced, the quantity check, posting and deleting lines, and the statements behind the
// catalogue, the tag's lines and the waiter list.

#include "db/Database.h"
#include "db/Refusal.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace Consumption {

// One item of the catalogue, as it is stored.
struct Item
{
    QString name;
    Money price;
    Money commission;
    double discount = 1; // 1 = no discount
    bool needsService = false;
};
// The catalogue row with that ID; nothing when there is none.
std::optional<Item> item(const Database &db, qint64 id);

struct Line
{
    QString tag;
    QString master;
    QString item;
    Money price;
    Money commission; // once per line, whatever the quantity
    double discount = 1;
    qint64 quantity = 1;
    QDateTime time;
    QString waiterNumber;
    QString waiterName;
    QString clerk;

    Money actualPrice() const;
    Money total() const;
};
// A line of the item for the tag, served (until a waiter is chosen) by the operator. Refuses
// (LineOutOfRange) a quantity beyond MaxQuantity either way, or a line whose price or total is
// beyond the limit of a single amount.
Line newLine(const QString &tag, const QString &master, const Item &item, qint64 quantity,
             const QString &operatorName, const QDateTime &now);
inline constexpr qint64 MaxQuantity = 9999;
class LineOutOfRange : public Refusal
{
public:
    explicit LineOutOfRange(const QString &message);
};

// The quantity box: a whole number, blanks around it ignored; nought and below are allowed.
std::optional<qint64> parseQuantity(const QString &text);
QString badQuantityMessage();

// The master tag of the tag's open bill; empty when the tag has none.
QString masterOf(const Database &db, const QString &tag);

// Writes the line as one row. Throws DbError.
// Thrown when the tag has no open bill any more (settled or cancelled elsewhere).
class TagNotOpen : public Refusal
{
public:
    explicit TagNotOpen(const QString &tag);
};
// Appends the line to the tag's open bill, with the bill's current master tag; throws
// TagNotOpen, writing nothing, when the tag's bill is gone.
void post(const Database &db, const Line &line);
// Deletes the line with that row id. Throws DbError.
void remove(const Database &db, qint64 lineId);
qint64 lineCount(const Database &db, const QString &tag);

QString nothingToDeleteMessage();
QString deleteQuestion(const QString &item);

// The tag's own lines, not those of the other tags of its group.
Statement linesQuery(const QString &tag);
Statement catalogueQuery();
// The ID of the first item in name order whose name begins with the text, else of the first whose
// pinyin initials (名称拼音) begin with it, in any case ("tsam" finds 泰式按摩); nothing when none does.
std::optional<qint64> findItem(const Database &db, const QString &prefix);

// The waiter list; the grade is shown under 服务等级.
Statement waitersQuery();
Statement waitersNamed(const QString &name);
Statement waitersNumbered(const QString &number);

} // namespace Consumption
