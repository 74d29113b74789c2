#pragma once
// "系统信息设置": the shop's name, telephone and address, shown on receipts from the next start.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TSysInfoFm;
}

class TSysInfoFm : public QDialog
{
    Q_OBJECT

public:
    explicit TSysInfoFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TSysInfoFm() override;

private:
    void save();

    std::unique_ptr<Ui::TSysInfoFm> m_ui;
    ScreenContext m_ctx;
};
