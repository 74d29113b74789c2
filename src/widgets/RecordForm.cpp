#include "RecordForm.h"

#include "db/DateTimeText.h"
#include "db/Refusal.h"
#include "widgets/Prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

bool isTextBox(const QWidget *box)
{
    return qobject_cast<const QLineEdit *>(box) || qobject_cast<const QComboBox *>(box) ||
           qobject_cast<const QPlainTextEdit *>(box) || qobject_cast<const QTextEdit *>(box);
}

QString boxText(const QWidget *box)
{
    if (auto *e = qobject_cast<const QLineEdit *>(box))
        return e->text();
    if (auto *c = qobject_cast<const QComboBox *>(box))
        return c->currentText();
    if (auto *p = qobject_cast<const QPlainTextEdit *>(box))
        return p->toPlainText();
    if (auto *t = qobject_cast<const QTextEdit *>(box))
        return t->toPlainText();
    return {};
}

void setBoxText(QWidget *box, const QString &text)
{
    if (auto *e = qobject_cast<QLineEdit *>(box)) {
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto *c = qobject_cast<QComboBox *>(box)) {
        // A fixed list shows nothing for a value it does not offer rather than a wrong entry.
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(c->findText(text));
    } else if (auto *p = qobject_cast<QPlainTextEdit *>(box)) {
        p->setPlainText(text);
    } else if (auto *t = qobject_cast<QTextEdit *>(box)) {
        t->setPlainText(text);
    }
}

QString factorText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// The value as it reads in a text box.
QString valueText(const SqlValue &v)
{
    switch (v.kind()) {
    case SqlValue::Kind::Null:
        return {};
    case SqlValue::Kind::Text:
        return v.textValue();
    case SqlValue::Kind::Integer:
        return QString::number(v.integerValue());
    case SqlValue::Kind::Real:
        return factorText(v.realValue());
    case SqlValue::Kind::Money:
        return v.moneyValue().toString();
    case SqlValue::Kind::Boolean:
        return v.booleanValue() ? u"是"_s : u"否"_s;
    case SqlValue::Kind::Date:
        return DateTimeText::date(v.dateValue());
    case SqlValue::Kind::DateTime:
        return DateTimeText::dateTime(v.dateTimeValue());
    }
    return {};
}

} // namespace

RecordForm::RecordForm(QString table, QObject *parent) : QObject(parent), m_table(std::move(table)) {}

RecordForm &RecordForm::bind(const QString &column, QWidget *box, const QString &label)
{
    const ColumnDef *def = Schema::column(m_table, column);
    bool fits = false;
    if (def && box) {
        switch (def->kind) {
        case ColumnKind::RowNumber:
            break;
        case ColumnKind::Boolean:
            fits = qobject_cast<QCheckBox *>(box);
            break;
        case ColumnKind::Date:
        case ColumnKind::DateTime:
            fits = qobject_cast<QDateTimeEdit *>(box) || isTextBox(box);
            break;
        default:
            fits = isTextBox(box);
        }
    }
    if (!fits) {
        qWarning("RecordForm: %s of %s cannot be bound to that box", qUtf8Printable(column),
                 qUtf8Printable(m_table));
        return *this;
    }
    m_bindings.append(Binding{def->name, def->kind, box, label});
    watch(box);
    return *this;
}

void RecordForm::watch(QWidget *box)
{
    if (auto *e = qobject_cast<QLineEdit *>(box))
        connect(e, &QLineEdit::textChanged, this, &RecordForm::boxChanged);
    else if (auto *c = qobject_cast<QComboBox *>(box)) {
        connect(c, &QComboBox::currentIndexChanged, this, &RecordForm::boxChanged);
        connect(c, &QComboBox::editTextChanged, this, &RecordForm::boxChanged);
    } else if (auto *p = qobject_cast<QPlainTextEdit *>(box))
        connect(p, &QPlainTextEdit::textChanged, this, &RecordForm::boxChanged);
    else if (auto *t = qobject_cast<QTextEdit *>(box))
        connect(t, &QTextEdit::textChanged, this, &RecordForm::boxChanged);
    else if (auto *d = qobject_cast<QDateTimeEdit *>(box))
        connect(d, &QDateTimeEdit::dateTimeChanged, this, &RecordForm::boxChanged);
    else if (auto *b = qobject_cast<QCheckBox *>(box))
        connect(b, &QCheckBox::toggled, this, &RecordForm::boxChanged);
}

void RecordForm::boxChanged()
{
    if (m_filling)
        return;
    m_edited = true;
    emit edited();
}

bool RecordForm::load(const Database &db, qint64 rowNumber)
{
    QStringList columns;
    for (const Binding &b : m_bindings)
        columns.append(b.column);
    const std::optional<ColumnValues> values = Records::read(db, m_table, rowNumber, columns);
    if (!values) {
        clear();
        return false;
    }
    setValues(*values);
    return true;
}

void RecordForm::setValues(const ColumnValues &values)
{
    m_filling = true;
    for (const Binding &b : m_bindings) {
        SqlValue value;
        for (const auto &[column, v] : values) {
            if (column == b.column)
                value = v;
        }
        show(b, value);
    }
    m_filling = false;
    m_edited = false;
}

void RecordForm::clear()
{
    setValues({});
}

void RecordForm::show(const Binding &binding, const SqlValue &value)
{
    if (auto *d = qobject_cast<QDateTimeEdit *>(binding.box)) {
        if (value.kind() == SqlValue::Kind::DateTime)
            d->setDateTime(value.dateTimeValue());
        else if (value.kind() == SqlValue::Kind::Date)
            d->setDate(value.dateValue());
        else
            d->setDateTime(QDate::currentDate().startOfDay());
    } else if (auto *b = qobject_cast<QCheckBox *>(binding.box)) {
        b->setChecked(value.kind() == SqlValue::Kind::Boolean && value.booleanValue());
    } else {
        setBoxText(binding.box, valueText(value));
    }
}

std::optional<SqlValue> RecordForm::read(const Binding &b) const
{
    if (auto *d = qobject_cast<const QDateTimeEdit *>(b.box)) {
        return b.kind == ColumnKind::Date ? SqlValue::date(d->date()) : SqlValue::dateTime(d->dateTime());
    }
    if (auto *c = qobject_cast<const QCheckBox *>(b.box))
        return SqlValue::boolean(c->isChecked());

    const QString text = boxText(b.box);
    if (b.kind == ColumnKind::Text)
        return SqlValue::text(text);
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return std::nullopt;
    bool ok = false;
    switch (b.kind) {
    case ColumnKind::Integer: {
        const qint64 v = typed.toLongLong(&ok);
        if (!ok)
            throw Refusal(b.label + u"必须是整数!"_s, b.column);
        return SqlValue::integer(v);
    }
    case ColumnKind::Factor: {
        const double v = typed.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            throw Refusal(b.label + u"必须是数字!"_s, b.column);
        return SqlValue::real(v);
    }
    case ColumnKind::Money: {
        const std::optional<Money> v = Money::parse(typed);
        if (!v)
            throw Refusal(b.label + u"必须是金额!"_s, b.column);
        return SqlValue::money(*v);
    }
    case ColumnKind::Date: {
        const QDate v = QDate::fromString(typed, u"yyyy-MM-dd"_s);
        if (!v.isValid())
            throw Refusal(b.label + u"必须是日期!"_s, b.column);
        return SqlValue::date(v);
    }
    case ColumnKind::DateTime: {
        const QDateTime v = DateTimeText::parseDateTime(typed);
        if (!v.isValid())
            throw Refusal(b.label + u"必须是日期时间!"_s, b.column);
        return SqlValue::dateTime(v);
    }
    case ColumnKind::Text:
    case ColumnKind::Boolean:
    case ColumnKind::RowNumber:
        break;
    }
    return SqlValue::text(text);
}

ColumnValues RecordForm::values() const
{
    ColumnValues values;
    for (const Binding &b : m_bindings) {
        if (const std::optional<SqlValue> v = read(b))
            values.append({b.column, *v});
    }
    return values;
}

std::optional<ColumnValues> RecordForm::checkedValues(Prompt &prompt, QWidget *screen) const
{
    try {
        return values();
    } catch (const Refusal &r) {
        prompt.message(screen, r.text(), Prompt::Icon::Warning);
        focus(r.field());
    }
    return std::nullopt;
}

void RecordForm::focus(const QString &column) const
{
    for (const Binding &b : m_bindings) {
        if (b.column != column)
            continue;
        b.box->setFocus();
        if (auto *e = qobject_cast<QLineEdit *>(b.box))
            e->selectAll();
        else if (auto *c = qobject_cast<QComboBox *>(b.box); c && c->lineEdit())
            c->lineEdit()->selectAll();
        else if (auto *s = qobject_cast<QAbstractSpinBox *>(b.box))
            s->selectAll();
        return;
    }
}
