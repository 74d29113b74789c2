#pragma once
// The member types list: each type's name, starting points and discount rate, edited in the
// boxes above the list and written by "保存".

#include "members/MemberTypes.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

class RecordForm;

namespace Ui {
class TMemBerTypeFm;
}

class TMemBerTypeFm : public QDialog
{
    Q_OBJECT

public:
    explicit TMemBerTypeFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TMemBerTypeFm() override;

    bool isAdding() const { return m_adding; }

    // Escape leaves as "退出" does, and like it never while a new type is being added.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void reload();
    void showCurrent();
    bool commitPending();
    void rowChanged(int row);
    void selectRowNumber(qint64 rowNumber);
    void setAdding(bool adding);

    void add();
    void save();
    void cancel();
    void remove();
    void leave();

    std::unique_ptr<Ui::TMemBerTypeFm> m_ui;
    ScreenContext m_ctx;
    MemberTypes m_rules;
    RecordForm *m_form = nullptr;
    bool m_adding = false;
    qint64 m_shown = -1;   // the row number of the type the boxes show; -1 for none
    bool m_quiet = false;  // the grid's row changes while the screen moves it itself
};
