#pragma once
// "消费查询": what the guests in the venue have consumed so far, tag by tag, before checkout.
// Reads only.

#include "queries/CurrentConsumption.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TXfCxFm;
}

class TXfCxFm : public QDialog
{
    Q_OBJECT

public:
    explicit TXfCxFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TXfCxFm() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void load();
    // Shows the tag's lines, chosen the given way, and their total.
    void showLines(CurrentConsumption::By by, const QString &tag);
    void tagClicked();
    void search();
    void print();

    std::unique_ptr<Ui::TXfCxFm> m_ui;
    ScreenContext m_ctx;
    CurrentConsumption m_rules;
};
