#pragma once
// A member's past bills: the bills settled within a period whose chosen column contains the
// typed text (the card number, usually), their sums, the details of the selected bill, and the
// printed list.

#include "widgets/ScreenContext.h"

#include "db/Period.h"

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class THYConsumeCXFm;
}
class DataGrid;
class PeriodPicker;

class THYConsumeCXFm : public QDialog
{
    Q_OBJECT

public:
    explicit THYConsumeCXFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~THYConsumeCXFm() override;

    DataGrid &bills() const;
    DataGrid &lines() const;
    PeriodPicker &period() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void search();
    void showLines();
    void print();

    std::unique_ptr<Ui::THYConsumeCXFm> m_ui;
    ScreenContext m_ctx;
    bool m_shown = false;
    std::optional<Period> m_listed; // the period of the bills shown
};
