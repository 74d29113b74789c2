#include "PeriodPicker.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

QDateEdit *dateBox(QWidget *parent, const QString &name)
{
    auto *box = new QDateEdit(QDate::currentDate(), parent);
    box->setObjectName(name);
    box->setCalendarPopup(true);
    box->setDisplayFormat(u"yyyy-MM-dd"_s);
    return box;
}

} // namespace

PeriodPicker::PeriodPicker(QWidget *parent) : QWidget(parent)
{
    m_first = dateBox(this, u"firstDate"_s);
    m_last = dateBox(this, u"lastDate"_s);
    m_firstLabel = new QLabel(u"从"_s, this);
    m_firstLabel->setBuddy(m_first);
    m_lastLabel = new QLabel(u"到"_s, this);
    m_lastLabel->setBuddy(m_last);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_firstLabel);
    layout->addWidget(m_first);
    layout->addWidget(m_lastLabel);
    layout->addWidget(m_last);

    connect(m_first, &QDateEdit::dateChanged, this, &PeriodPicker::changed);
    connect(m_last, &QDateEdit::dateChanged, this, &PeriodPicker::changed);
}

Period PeriodPicker::period() const
{
    return Period(m_first->date(), m_last->date());
}

void PeriodPicker::setPeriod(const Period &period)
{
    m_first->setDate(period.first());
    m_last->setDate(period.last());
}

void PeriodPicker::setLabels(const QString &first, const QString &last)
{
    m_firstLabel->setText(first);
    m_lastLabel->setText(last);
}
