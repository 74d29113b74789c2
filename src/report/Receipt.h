#pragma once
// The guest's checkout receipt: the lines of the bill laid out by the receipt template, with
// the shop, the bill and the payment filled in from what the checkout screen shows.

#include "ReportLayout.h"

class Prompt;
class QWidget;

// The texts of the checkout screen, as shown there.
struct ReceiptValues
{
    QString shopName;
    QString shopTel;
    QString billNumber;
    QString memberName; // empty when no member is identified
    QString points;     // the member's points shown, "0" without a member
    QString balance;    // the card balance shown
    QString received;   // the amount received
    QString rate;       // the discount rate shown
    bool cardPayment = false;
};

namespace Receipt {

// Fills in the shop, bill, member and payment objects; other objects print as stored.
// Points and balance are summed exactly; a shown text that is no number counts as 0.
ReportHook hook(const ReceiptValues &values);

// The receipt over the bill's lines (rows of 手牌消费), printed at `now`.
LaidOutReport layout(const DataSet &lines, const ReceiptValues &values, const QDateTime &now);

// Lays the receipt out now and shows it in the preview window until the operator closes it.
// Writes nothing anywhere unless the operator saves or prints.
void preview(QWidget *parent, const DataSet &lines, const ReceiptValues &values, Prompt &prompt);

// The template compiled into the program.
const ReportTemplate &receiptTemplate();

} // namespace Receipt
