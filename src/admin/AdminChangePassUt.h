#pragma once
// The logged-in operator changes his own password: the old one, then the new one twice.

#include "session/Operators.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TAdminChangePassFm;
}

class TAdminChangePassFm : public QDialog
{
    Q_OBJECT

public:
    explicit TAdminChangePassFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TAdminChangePassFm() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void save();

    std::unique_ptr<Ui::TAdminChangePassFm> m_ui;
    ScreenContext m_ctx;
    Operators m_rules;
};
