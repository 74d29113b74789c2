#pragma once
// Recharging the register's current member: a whole amount typed, made negative by "充负数" to
// correct a recharge; the balance and the recharge record are written together.

#include "members/Members.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TChongZhiFm;
}

class TChongZhiFm : public QDialog
{
    Q_OBJECT

public:
    TChongZhiFm(const ScreenContext &ctx, qint64 memberRow, QWidget *parent = nullptr);
    ~TChongZhiFm() override;

    // For the register's "充值": true when the card was recharged.
    static bool recharge(const ScreenContext &ctx, QWidget *parent, qint64 memberRow);

private:
    void load();
    void rechargeNow();

    std::unique_ptr<Ui::TChongZhiFm> m_ui;
    ScreenContext m_ctx;
    Members m_rules;
    qint64 m_row;
    bool m_found = false;
};
