#pragma once
// The room-type dialog ("包厢设置"): a new room type, or the changes to one.

#include "setup/Tags.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

class RecordForm;

namespace Ui {
class TBaoXiangFm;
}

class TBaoXiangFm : public QDialog
{
    Q_OBJECT

public:
    // A new room type without a row number.
    TBaoXiangFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, QWidget *parent = nullptr);
    ~TBaoXiangFm() override;

private:
    void save();

    std::unique_ptr<Ui::TBaoXiangFm> m_ui;
    ScreenContext m_ctx;
    Tags m_rules;
    RecordForm *m_form = nullptr;
    std::optional<qint64> m_row;
};
