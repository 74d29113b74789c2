#pragma once
// Changing a member: every box of the member but the password, written by "保存"; "取消" and the
// window's close box leave without writing. "写卡" puts the card number as shown on the card.

#include "members/Members.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

class RecordForm;

namespace Ui {
class TEditMemberFm;
}

class TEditMemberFm : public QDialog
{
    Q_OBJECT

public:
    TEditMemberFm(const ScreenContext &ctx, qint64 rowNumber, QWidget *parent = nullptr);
    ~TEditMemberFm() override;

    // For the register: true when the member was written.
    static bool edit(const ScreenContext &ctx, QWidget *parent, qint64 rowNumber);

private:
    void save();
    void writeCard();

    std::unique_ptr<Ui::TEditMemberFm> m_ui;
    ScreenContext m_ctx;
    Members m_rules;
    RecordForm *m_form = nullptr;
    qint64 m_row;
    ColumnValues m_loaded; // the balance and points as shown
};
