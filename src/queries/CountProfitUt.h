#pragma once
// "统计利润": the settled bills of a period of days, their number and what was received for
// them, with the printed turnover list.

#include "queries/Turnover.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TCountProfitFm;
}

class TCountProfitFm : public QDialog
{
    Q_OBJECT

public:
    explicit TCountProfitFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TCountProfitFm() override;

    // Runs the period's statements and fills the figures ("统计").
    void FreshDate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void print();

    std::unique_ptr<Ui::TCountProfitFm> m_ui;
    ScreenContext m_ctx;
    Turnover m_turnover;
};
