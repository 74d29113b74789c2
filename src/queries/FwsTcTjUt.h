#pragma once
// "服务生提成统计": each waiter's commission total, over all time at first, then for the
// checkout days picked.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TFwsTcTjFm;
}

class TFwsTcTjFm : public QDialog
{
    Q_OBJECT

public:
    explicit TFwsTcTjFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TFwsTcTjFm() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void search();

    std::unique_ptr<Ui::TFwsTcTjFm> m_ui;
    ScreenContext m_ctx;
};
