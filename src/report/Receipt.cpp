#include "Receipt.h"

#include "ReportPreviewUt.h"
#include "widgets/Prompt.h"

using namespace Qt::StringLiterals;

namespace Receipt {

namespace {

Money amount(const QString &shown)
{
    return Money::parse(shown).value_or(Money());
}

} // namespace

ReportHook hook(const ReceiptValues &values)
{
    return [values](const QString &name, QString &text) {
        if (name == u"Memo8"_s) {
            text = values.shopName;
        } else if (name == u"Memo10"_s) {
            const QString member = values.memberName.trimmed();
            text = u"姓名:"_s + (member.isEmpty() ? u"散客"_s : member);
        } else if (name == u"Memo14"_s) {
            text = u"帐单号:"_s + values.billNumber;
        } else if (name == u"Memo15"_s) {
            text = u"实收金额:"_s + values.received + u"  折扣:"_s + values.rate;
        } else if (name == u"Memo16"_s) {
            // Paid by card, the balance left is what the card held less this bill.
            const QString balance = values.cardPayment
                                        ? (amount(values.balance) - amount(values.received)).toString()
                                        : values.balance;
            text = u"卡上余额:"_s + balance;
        } else if (name == u"Memo12"_s) {
            // The points that will be stored: the received amount rounded as checkout rounds it.
            text = u"积分:"_s + (amount(values.points) + Money::fromUnits(amount(values.received).roundedToUnits())).toString();
        } else if (name == u"Memo17"_s) {
            text = u"电话号码:"_s + values.shopTel;
        }
    };
}

const ReportTemplate &receiptTemplate()
{
    static const ReportTemplate loaded = ReportTemplate::load(u":/report_templates/receipt.json"_s);
    return loaded;
}

LaidOutReport layout(const DataSet &lines, const ReceiptValues &values, const QDateTime &now)
{
    return layoutReport(receiptTemplate(), lines, now, hook(values));
}

void preview(QWidget *parent, const DataSet &lines, const ReceiptValues &values, Prompt &prompt)
{
    try {
        TReportPreviewFm window(layout(lines, values, QDateTime::currentDateTime()), prompt, parent);
        window.exec();
    } catch (const ReportError &error) {
        prompt.message(parent, error.text(), Prompt::Icon::Error);
    }
}

} // namespace Receipt
