#include "TextNumbers.h"

#include <QRegularExpression>

#include <algorithm>

#include <cfenv>
#include <cmath>
#include <limits>

#include <locale.h>
#include <stdlib.h>

namespace TextNumbers {

static double CStrtod(const char *digits)
{
#ifdef Q_OS_WIN
    static const _locale_t c = _create_locale(LC_ALL, "C");
    return _strtod_l(digits, nullptr, c);
#else
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(digits, nullptr, c);
#endif
}

double Val(const QString &text)
{
    QByteArray digits;
    digits.reserve(32);
    enum class Stage { Sign, Whole, Fraction, ExpSign, Exponent } stage = Stage::Sign;
    qsizetype lastGood = 0; // length of the longest valid prefix
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == ' ' || u == '\t' || u == '\n' || u == '\r')
            continue;
        if (stage == Stage::Sign && (u == '+' || u == '-')) {
            digits += char(u);
            stage = Stage::Whole;
            continue;
        }
        if (u >= '0' && u <= '9') {
            digits += char(u);
            if (stage == Stage::Sign)
                stage = Stage::Whole;
            if (stage == Stage::ExpSign)
                stage = Stage::Exponent;
            lastGood = digits.size();
            continue;
        }
        if (u == '.' && (stage == Stage::Sign || stage == Stage::Whole)) {
            digits += '.';
            stage = Stage::Fraction;
            continue;
        }
        if ((u == 'e' || u == 'E') && (stage == Stage::Whole || stage == Stage::Fraction) && lastGood > 0) {
            digits += 'e';
            stage = Stage::ExpSign;
            // A sign may follow directly.
            continue;
        }
        if ((u == '+' || u == '-') && stage == Stage::ExpSign && digits.endsWith('e')) {
            digits += char(u);
            continue;
        }
        break;
    }
    digits.truncate(lastGood);
    if (digits.isEmpty())
        return 0;
    bool ok = false;
    const double value = digits.toDouble(&ok);
    if (ok)
        return value;
    // Out of a double's range, where Qt gives up both ways: the C library
    // reads an overflow as infinity and an underflow as zero, with its sign,
    // in its own "C" locale, so the decimal point is always a point.
    return CStrtod(digits.constData());
}

bool LocaleToDouble(const QString &text, double *out)
{
    static const QRegularExpression form(QStringLiteral("^[+-]?(?:[0-9][0-9,]*)?(?:\\.[0-9]*)?(?:[eE][+-]?[0-9]+)?$"));
    QString t = text.trimmed();
    if (t.isEmpty() || !form.match(t).hasMatch())
        return false;
    bool anyDigit = false;
    for (const QChar c : t) {
        if (c.isDigit()) {
            anyDigit = true;
            break;
        }
    }
    // The mantissa needs a digit of its own: "e5" or ".e1" are not numbers.
    const qsizetype e = t.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    const QString mantissa = e < 0 ? t : t.left(e);
    if (!anyDigit || !std::any_of(mantissa.begin(), mantissa.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    t.remove(QLatin1Char(','));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok)
        return false;
    *out = value;
    return true;
}

namespace {
template <typename Int> bool RoundTo(double value, Int *out)
{
    if (!std::isfinite(value))
        return false;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        return false;
    *out = Int(rounded);
    return true;
}
} // namespace

bool RoundToInt16(double value, qint16 *out)
{
    return RoundTo(value, out);
}

bool RoundToInt32(double value, qint32 *out)
{
    return RoundTo(value, out);
}

} // namespace TextNumbers
