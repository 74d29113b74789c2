#pragma once
// "数据初始化": clears the chosen history behind the clearing password and a confirmation.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TDataClearFm;
}

class TDataClearFm : public QDialog
{
    Q_OBJECT

public:
    explicit TDataClearFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TDataClearFm() override;

private:
    void clearChosen();

    std::unique_ptr<Ui::TDataClearFm> m_ui;
    ScreenContext m_ctx;
};
