#pragma once
// An exact amount of money: a whole number of ten-thousandths, like a currency type.

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <compare>
#include <optional>

class Money
{
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(qint64 tenThousandths) { return Money(tenThousandths); }
    static constexpr Money fromUnits(qint64 units) { return Money(units * Scale); }

    // Typed text such as "12", "-3.5", "0.1234". Blanks around it are ignored;
    // a fifth decimal and beyond rounds half to even. Anything else is no amount.
    static std::optional<Money> parse(QStringView text);

    constexpr qint64 raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }

    // Plain decimal, no trailing zeros, at most four decimals: "170", "0.5", "-70".
    QString toString() const;
    // Always four decimals ("12.3400"): the form handed to decimal columns.
    QString toFixedString() const;

    // Multiplies by a factor (a discount rate, say), rounding half to even.
    // The factor counts as the decimal it is written as (0.88 is exactly 0.88).
    Money multipliedBy(double factor) const;
    Money operator*(qint64 quantity) const { return Money(m_raw * quantity); }
    // The amount as a whole number of units, rounding half to even (170.5 -> 170).
    qint64 roundedToUnits() const;

    constexpr Money operator+(Money other) const { return Money(m_raw + other.m_raw); }
    constexpr Money operator-(Money other) const { return Money(m_raw - other.m_raw); }
    constexpr Money operator-() const { return Money(-m_raw); }
    Money &operator+=(Money other)
    {
        m_raw += other.m_raw;
        return *this;
    }
    Money &operator-=(Money other)
    {
        m_raw -= other.m_raw;
        return *this;
    }
    constexpr auto operator<=>(const Money &) const = default;

private:
    constexpr explicit Money(qint64 raw) : m_raw(raw) {}
    qint64 m_raw = 0;
};
