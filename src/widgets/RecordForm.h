#pragma once
// Binds a form's boxes to the columns of one table: fills them from a row and reads them back,
// each checked by the kind the schema gives its column, so an editor screen writes no parsing.

#include "db/Database.h"
#include "db/Records.h"
#include "db/Schema.h"

#include <QList>
#include <QObject>
#include <QString>

class Prompt;
class QWidget;

class RecordForm : public QObject
{
    Q_OBJECT

public:
    explicit RecordForm(QString table, QObject *parent = nullptr);

    // A box for the column: a QLineEdit, QComboBox, QPlainTextEdit or QTextEdit for any kind, a
    // QDateEdit or QDateTimeEdit for dates, a QCheckBox for a boolean. label is the box's name as
    // the operator reads it, for messages. The row-number column is the key, not a box.
    RecordForm &bind(const QString &column, QWidget *box, const QString &label);

    const QString &table() const { return m_table; }

    // Fills the boxes from the row; false, with the boxes emptied, when no row has that number.
    // Throws DbError.
    bool load(const Database &db, qint64 rowNumber);
    // Fills the boxes from values of the form values() gives; a bound column without a value, or
    // with a null, is emptied.
    void setValues(const ColumnValues &values);
    // Empties every box: text and numbers blank, dates today, check boxes off.
    void clear();

    // Reads every box by its column's kind. Text is taken as typed (an empty box is an empty
    // text). Money must parse exactly, integers must be whole, factors numbers, dates dates;
    // anything else throws Refusal naming the label, with the column as its field(). An empty
    // number or date box is left out of the values: a new row takes the table's default and a
    // changed row keeps what it had, so a blank box never writes a null where the rules read a
    // number.
    ColumnValues values() const;
    // values() for a screen: a refused box is shown as a warning through the Prompt and gets the
    // focus, and the result is empty.
    std::optional<ColumnValues> checkedValues(Prompt &prompt, QWidget *screen) const;

    // Puts the focus in the column's box (the field() of a Refusal), its text selected.
    void focus(const QString &column) const;

    // True once the operator has changed a box since the last load(), setValues() or clear().
    bool isEdited() const { return m_edited; }
    void setEdited(bool edited) { m_edited = edited; }

signals:
    // The operator changed a box (typing, picking, ticking); not sent while the form fills them.
    void edited();

private:
    struct Binding
    {
        QString column;
        ColumnKind kind;
        QWidget *box;
        QString label;
    };

    void watch(QWidget *box);
    void boxChanged();
    void show(const Binding &binding, const SqlValue &value);
    std::optional<SqlValue> read(const Binding &binding) const;

    QString m_table;
    QList<Binding> m_bindings;
    bool m_filling = false;
    bool m_edited = false;
};
