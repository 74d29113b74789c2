#pragma once
// Enrolling a member: card number, name, type, sex, birth date, telephone and note; the rules
// give the rest (0 points, balance 0, "可用", the default password, which the caption tells).
// "写卡" puts the typed card number on the member card, saved or not.

#include "members/Members.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

class RecordForm;

namespace Ui {
class TAddMemberFm;
}

class TAddMemberFm : public QDialog
{
    Q_OBJECT

public:
    explicit TAddMemberFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TAddMemberFm() override;

    // The member written by "保存"; nothing before.
    std::optional<qint64> savedRow() const { return m_saved; }

    // For the register: true when a member was enrolled.
    static bool enrol(const ScreenContext &ctx, QWidget *parent);

private:
    void save();
    void clear();
    void writeCard();

    std::unique_ptr<Ui::TAddMemberFm> m_ui;
    ScreenContext m_ctx;
    Members m_rules;
    RecordForm *m_form = nullptr;
    std::optional<qint64> m_saved;
};
