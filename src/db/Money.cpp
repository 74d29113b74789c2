#include "Money.h"

#include <algorithm>

#include <QLocale>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Unsigned 128-bit arithmetic in two halves, enough for amount x factor mantissa.
struct U128
{
    quint64 hi = 0;
    quint64 lo = 0;
};

U128 multiply(quint64 a, quint64 b)
{
    const quint64 aLo = a & 0xffffffffu, aHi = a >> 32;
    const quint64 bLo = b & 0xffffffffu, bHi = b >> 32;
    const quint64 ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const quint64 mid = (ll >> 32) + (lh & 0xffffffffu) + (hl & 0xffffffffu);
    U128 r;
    r.lo = (ll & 0xffffffffu) | (mid << 32);
    r.hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
    return r;
}

// Divides by d (> 0) bit by bit; returns the quotient, remainder through rem.
U128 divide(U128 n, quint64 d, quint64 &rem)
{
    U128 q;
    quint64 r = 0;
    for (int i = 127; i >= 0; --i) {
        const bool carry = (r >> 63) != 0;
        r <<= 1;
        const quint64 bit = i >= 64 ? (n.hi >> (i - 64)) & 1u : (n.lo >> i) & 1u;
        r |= bit;
        if (carry || r >= d) {
            r -= d;
            if (i >= 64)
                q.hi |= quint64(1) << (i - 64);
            else
                q.lo |= quint64(1) << i;
        }
    }
    rem = r;
    return q;
}

// A decimal written as digits with a scale: value = mantissa / 10^scale.
struct Decimal
{
    bool negative = false;
    quint64 mantissa = 0;
    int scale = 0;
};

std::optional<Decimal> shortestDecimal(double factor)
{
    if (!std::isfinite(factor))
        return std::nullopt;
    // The shortest text that reads back as the same double is what the operator typed.
    QString text = QString::number(factor, 'f', QLocale::FloatingPointShortest);
    Decimal d;
    if (text.startsWith(u'-')) {
        d.negative = true;
        text.remove(0, 1);
    }
    const qsizetype dot = text.indexOf(u'.');
    if (dot >= 0) {
        d.scale = int(text.size() - dot - 1);
        text.remove(dot, 1);
    }
    while (d.scale > 18) { // beyond what an amount can show; keep 18 places
        text.chop(1);
        --d.scale;
    }
    bool ok = false;
    d.mantissa = text.toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return d;
}

quint64 pow10(int n)
{
    quint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

std::optional<Money> Money::parse(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    quint64 units = 0;
    quint64 fraction = 0; // first four decimals
    int fractionDigits = 0;
    bool anyDigit = false, seenDot = false;
    int roundDigit = -1;       // fifth decimal
    bool beyondNonZero = false; // anything after the fifth decimal
    for (QChar c : text) {
        if (c == u'.') {
            if (seenDot)
                return std::nullopt;
            seenDot = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        anyDigit = true;
        const int digit = c.unicode() - u'0';
        if (!seenDot) {
            if (units > (quint64(std::numeric_limits<qint64>::max()) / Scale - digit) / 10)
                return std::nullopt;
            units = units * 10 + digit;
        } else if (fractionDigits < 4) {
            fraction = fraction * 10 + digit;
            ++fractionDigits;
        } else if (roundDigit < 0) {
            roundDigit = digit;
        } else if (digit != 0) {
            beyondNonZero = true;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    while (fractionDigits < 4) {
        fraction *= 10;
        ++fractionDigits;
    }
    quint64 raw = units * Scale + fraction;
    if (roundDigit > 5 || (roundDigit == 5 && (beyondNonZero || (raw & 1u))))
        ++raw;
    if (raw > quint64(std::numeric_limits<qint64>::max()))
        return std::nullopt; // the decimals took it past the largest amount
    const qint64 value = qint64(raw);
    return Money(negative ? -value : value);
}

MoneyOutOfRange::MoneyOutOfRange() : Refusal(u"金额超出范围!"_s) {}

namespace {

constexpr qint64 Largest = std::numeric_limits<qint64>::max();
constexpr qint64 Smallest = std::numeric_limits<qint64>::min();

qint64 checkedProduct(qint64 a, qint64 b)
{
    if (a == 0 || b == 0)
        return 0;
    const bool fits = a > 0 ? (b > 0 ? a <= Largest / b : b >= Smallest / a)
                            : (b > 0 ? a >= Smallest / b : a >= Largest / b);
    if (!fits)
        throw MoneyOutOfRange();
    return a * b;
}

} // namespace

Money Money::fromUnits(qint64 units)
{
    return Money(checkedProduct(units, Scale));
}

Money Money::operator+(Money other) const
{
    if ((other.m_raw > 0 && m_raw > Largest - other.m_raw) || (other.m_raw < 0 && m_raw < Smallest - other.m_raw))
        throw MoneyOutOfRange();
    return Money(m_raw + other.m_raw);
}

Money Money::operator-(Money other) const
{
    if ((other.m_raw < 0 && m_raw > Largest + other.m_raw) || (other.m_raw > 0 && m_raw < Smallest + other.m_raw))
        throw MoneyOutOfRange();
    return Money(m_raw - other.m_raw);
}

QString Money::limitText()
{
    return QString::number(LimitUnits);
}

Money Money::operator*(qint64 quantity) const
{
    return Money(checkedProduct(m_raw, quantity));
}

QString Money::toString() const
{
    QString text = toFixedString();
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString Money::toFixedString() const
{
    const bool negative = m_raw < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(m_raw) : quint64(m_raw);
    const QString fraction = QString::number(magnitude % Scale).rightJustified(4, u'0');
    return (negative ? u"-"_s : QString()) + QString::number(magnitude / Scale) + u'.' + fraction;
}

QString Money::toFixedString(int decimals) const
{
    decimals = std::clamp(decimals, 0, 4);
    quint64 unit = 1; // the raw amount of the last decimal kept
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    const bool negative = m_raw < 0;
    quint64 magnitude = negative ? quint64(0) - quint64(m_raw) : quint64(m_raw);
    magnitude = (magnitude + unit / 2) / unit;
    const quint64 places = quint64(Scale) / unit;
    QString text = QString::number(magnitude / places);
    if (decimals > 0)
        text += u'.' + QString::number(magnitude % places).rightJustified(decimals, u'0');
    return (negative && magnitude != 0 ? u"-"_s : QString()) + text;
}

Money Money::multipliedBy(double factor) const
{
    const std::optional<Decimal> d = shortestDecimal(factor);
    if (!d)
        return Money();
    const bool negative = (m_raw < 0) != d->negative;
    const quint64 magnitude = m_raw < 0 ? quint64(0) - quint64(m_raw) : quint64(m_raw);
    const U128 product = multiply(magnitude, d->mantissa);
    const quint64 divisor = pow10(d->scale);
    quint64 rem = 0;
    const U128 q = divide(product, divisor, rem);
    quint64 result = q.lo;
    // Half to even: compare twice the remainder with the divisor without overflowing.
    if (rem > divisor - rem || (rem == divisor - rem && (result & 1u)))
        ++result;
    if (q.hi != 0 || result < q.lo || result > quint64(std::numeric_limits<qint64>::max()))
        throw MoneyOutOfRange();
    const qint64 value = qint64(result);
    return Money(negative ? -value : value);
}

qint64 Money::roundedToUnits() const
{
    qint64 units = m_raw / Scale;
    const qint64 rest = m_raw % Scale; // carries the sign of m_raw
    const qint64 twice = 2 * (rest < 0 ? -rest : rest);
    if (twice > Scale || (twice == Scale && (units & 1)))
        units += m_raw < 0 ? -1 : 1;
    return units;
}
