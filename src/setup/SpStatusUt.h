#pragma once
// The tag-state window ("手牌状态"): makes the board's selected tag free, reserved or disabled,
// never while it is occupied.

#include "setup/Tags.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class TSpStatusFm;
}

class TSpStatusFm : public QDialog
{
    Q_OBJECT

public:
    TSpStatusFm(const ScreenContext &ctx, const QString &tag, QWidget *parent = nullptr);
    ~TSpStatusFm() override;

private:
    void change(TagState target);

    std::unique_ptr<Ui::TSpStatusFm> m_ui;
    ScreenContext m_ctx;
    Tags m_rules;
    QString m_tag;
    std::optional<QString> m_state; // as read when the window opened
};
