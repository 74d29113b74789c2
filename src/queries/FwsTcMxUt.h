#pragma once
// "服务生提成明细": the single commission rows, all of them or those whose chosen column equals a
// value, with the printed commission list.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TFwsTcMxFm;
}

class TFwsTcMxFm : public QDialog
{
    Q_OBJECT

public:
    explicit TFwsTcMxFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TFwsTcMxFm() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void search();
    void print();

    std::unique_ptr<Ui::TFwsTcMxFm> m_ui;
    ScreenContext m_ctx;
};
