#pragma once
// "营业项目统计": per item, the quantity and amount sold in a period of days and over all time,
// the period's turnover and the number of different items sold, with two printed lists.

#include "queries/Turnover.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TItemCountFm;
}

class TItemCountFm : public QDialog
{
    Q_OBJECT

public:
    explicit TItemCountFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TItemCountFm() override;

    // Runs the period's statements and the all-time one and fills the figures ("统计").
    void FreshDate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void printPeriod();
    void printAll();

    std::unique_ptr<Ui::TItemCountFm> m_ui;
    ScreenContext m_ctx;
    Turnover m_turnover;
};
