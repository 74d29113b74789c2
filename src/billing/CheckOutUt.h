#pragma once
// The checkout screen: gathers the lines of a tag (of its whole group for a master tag),
// identifies a member, applies discount rates, and settles the bill in cash or from the
// member's card, or waives it; previews the receipt.

#include "billing/Checkout.h"
#include "report/Receipt.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class TCheckOutFm;
}

class TCheckOutFm : public QDialog
{
    Q_OBJECT

public:
    TCheckOutFm(const ScreenContext &ctx, const QString &tag, QWidget *parent = nullptr);
    ~TCheckOutFm() override;

    // The member the next settlement credits, if a lookup succeeded.
    const std::optional<Checkout::Member> &member() const { return m_member; }
    // What the receipt shows, taken from the screen as it stands.
    ReceiptValues receiptValues() const;
    // The bill number the last settlement was written with.
    qint64 settledNumber() const { return m_settledNumber; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void load();
    void resetMember();
    void lookUpMember();
    void applyRate();
    void readCard();
    void settle(bool free);
    void preview();

    std::unique_ptr<Ui::TCheckOutFm> m_ui;
    void forgetMember();

    ScreenContext m_ctx;
    QString m_tag;
    Checkout::Bill m_bill;
    std::optional<Checkout::Member> m_member;
    qint64 m_settledNumber = 0;
};
