#pragma once
// "查询结帐记录": every checkout record, free bills included, or those whose chosen column
// contains a text, with their sums and the printed record list.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TCxJzJlFm;
}

class TCxJzJlFm : public QDialog
{
    Q_OBJECT

public:
    explicit TCxJzJlFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TCxJzJlFm() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void search();
    void print();

    std::unique_ptr<Ui::TCxJzJlFm> m_ui;
    ScreenContext m_ctx;
};
