#pragma once
// The batch dialog ("批量添加手牌"): a numbered run of free tags of one room type, all stored
// or none.

#include "setup/Tags.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TAddSpFm;
}

class TAddSpFm : public QDialog
{
    Q_OBJECT

public:
    // The room type is the one offered first.
    TAddSpFm(const ScreenContext &ctx, const QString &roomType, QWidget *parent = nullptr);
    ~TAddSpFm() override;

private:
    void save();

    std::unique_ptr<Ui::TAddSpFm> m_ui;
    ScreenContext m_ctx;
    Tags m_rules;
};
