#pragma once
// The single-tag dialog ("手牌信息"): a new tag, or the changes to one that is not in use.

#include "setup/Tags.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

class RecordForm;

namespace Ui {
class TEditSpFm;
}

class TEditSpFm : public QDialog
{
    Q_OBJECT

public:
    // A new tag without a row number; a new tag is offered the given room type first.
    TEditSpFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, const QString &roomType = {},
              QWidget *parent = nullptr);
    ~TEditSpFm() override;

private:
    void save();

    std::unique_ptr<Ui::TEditSpFm> m_ui;
    ScreenContext m_ctx;
    Tags m_rules;
    RecordForm *m_form = nullptr;
    std::optional<qint64> m_row;
};
