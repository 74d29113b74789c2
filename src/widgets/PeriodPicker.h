#pragma once
// The "从 … 到 …" pair of date boxes that every period report opens with; gives a Period.

#include "db/Period.h"

#include <QWidget>

class QDateEdit;
class QLabel;

class PeriodPicker : public QWidget
{
    Q_OBJECT

public:
    // Both days are today, as the counter mostly asks about the day it is working.
    explicit PeriodPicker(QWidget *parent = nullptr);

    // Throws Refusal when the first day comes after the last (see Period).
    Period period() const;
    void setPeriod(const Period &period);
    // The words before the two boxes, "从" and "到" unless a screen names them otherwise.
    void setLabels(const QString &first, const QString &last);

    QDateEdit *firstBox() const { return m_first; }
    QDateEdit *lastBox() const { return m_last; }

signals:
    void changed();

private:
    QDateEdit *m_first = nullptr;
    QDateEdit *m_last = nullptr;
    QLabel *m_firstLabel = nullptr;
    QLabel *m_lastLabel = nullptr;
};
