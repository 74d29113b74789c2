#pragma once
// "统计结帐单据明细": the settled checkout details, today's at first, then those a column value
// and/or a period of consumption chooses; the statement is shown before it runs.

#include "queries/Turnover.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TCountMingXiFm;
}

class TCountMingXiFm : public QDialog
{
    Q_OBJECT

public:
    explicit TCountMingXiFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TCountMingXiFm() override;

    // The period's details and turnover, into the grid, "数量:" and "营业额(元):"; on show.
    void FreshDate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void search();
    void print();

    std::unique_ptr<Ui::TCountMingXiFm> m_ui;
    ScreenContext m_ctx;
    Turnover m_turnover;
};
