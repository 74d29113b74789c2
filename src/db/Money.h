#pragma once
// An exact amount of money: a whole number of ten-thousandths, like a currency type.
// Arithmetic never wraps: a result outside what 64 bits hold throws MoneyOutOfRange.

#include "db/Refusal.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <limits>
#include <compare>
#include <optional>

// An amount or a product left the range money is kept in.
class MoneyOutOfRange : public Refusal
{
public:
    MoneyOutOfRange();
};

class Money
{
public:
    static constexpr qint64 Scale = 10000;
    // The largest single amount the counter accepts (a price, a deposit, a line, a bill, a
    // recharge): below a hundred million, so that the sums of years of such amounts still fit.
    static constexpr qint64 LimitUnits = 100'000'000;

    constexpr Money() = default;
    static constexpr Money fromRaw(qint64 tenThousandths) { return Money(tenThousandths); }
    static Money fromUnits(qint64 units);

    // Typed text such as "12", "-3.5", "0.1234". Blanks around it are ignored;
    // a fifth decimal and beyond rounds half to even. Anything else is no amount.
    static std::optional<Money> parse(QStringView text);

    constexpr qint64 raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    // Strictly between minus and plus LimitUnits.
    constexpr bool isWithinLimit() const { return m_raw > -LimitUnits * Scale && m_raw < LimitUnits * Scale; }
    // The text of the limit, for messages: "100000000".
    static QString limitText();

    // Plain decimal, no trailing zeros, at most four decimals: "170", "0.5", "-70".
    QString toString() const;
    // Always four decimals ("12.3400"): the form handed to decimal columns.
    QString toFixedString() const;
    // Always that many decimals (0 to 4), rounded half away from zero: 2 gives "12.35" for 12.345
    // and "0.00" for nought.
    QString toFixedString(int decimals) const;

    // Multiplies by a factor (a discount rate, say), rounding half to even.
    // The factor counts as the decimal it is written as (0.88 is exactly 0.88).
    // Throws MoneyOutOfRange when the product does not fit.
    Money multipliedBy(double factor) const;
    Money operator*(qint64 quantity) const;
    // The amount as a whole number of units, rounding half to even (170.5 -> 170).
    qint64 roundedToUnits() const;

    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money operator-() const { return Money() - *this; }
    Money &operator+=(Money other) { return *this = *this + other; }
    Money &operator-=(Money other) { return *this = *this - other; }
    constexpr auto operator<=>(const Money &) const = default;

private:
    constexpr explicit Money(qint64 raw) : m_raw(raw) {}

    qint64 m_raw = 0;
};
