#pragma once
// A member's own password change: card number and old password, the new one twice.

#include "members/Members.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class THYChangePassFm;
}

class THYChangePassFm : public QDialog
{
    Q_OBJECT

public:
    explicit THYChangePassFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~THYChangePassFm() override;

private:
    void save();

    std::unique_ptr<Ui::THYChangePassFm> m_ui;
    ScreenContext m_ctx;
    Members m_rules;
};
