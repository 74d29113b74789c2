#pragma once
// The operator screen: the operators in a list, the shown one's user name and fourteen
// permission boxes, and the three states browsing, adding and editing that "添加", "修改",
// "保存" and "取消" move between.

#include "session/Operators.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <QList>
#include <QSet>
#include <memory>
#include <utility>

class QCheckBox;
class RecordForm;

namespace Ui {
class TAdminFm;
}

class TAdminFm : public QDialog
{
    Q_OBJECT

public:
    enum class State { Browsing, Adding, Editing };

    explicit TAdminFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TAdminFm() override;

    State state() const { return m_state; }
    // The check box of a flag the screen edits; null for 会员开户 and 会员充值.
    QCheckBox *box(Permission p) const;

    // Escape leaves as "退出" does.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void reload();
    void showCurrent();
    void rowChanged(int row);
    void setState(State state);

    void add();
    void edit();
    void save();
    void cancel();
    void remove();
    void leave();

    std::unique_ptr<Ui::TAdminFm> m_ui;
    ScreenContext m_ctx;
    Operators m_rules;
    RecordForm *m_form = nullptr;
    QList<std::pair<Permission, QCheckBox *>> m_boxes;
    // The permission columns the operator ticked or unticked since the boxes were filled: a new
    // operator is given only these, and the table's defaults for the rest.
    QSet<QString> m_touched;
    State m_state = State::Browsing;
    qint64 m_shown = -1;  // the row number of the operator the boxes show; -1 for none
    bool m_quiet = false; // the grid's row changes while the screen moves it itself
};
