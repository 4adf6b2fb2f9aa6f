// The two number readings and the roundings, checked against each other and
// against the C library. The first byte picks what the rest is read as.

#include "FuzzCheck.h"
#include "TextNumbers.h"

#include <QRegularExpression>

#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// The longest leading number once blanks are gone, read by strtod: what
// Val must give, arrived at another way.
double ReferenceVal(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?"));
    QString squeezed = text;
    squeezed.remove(QRegularExpression(QStringLiteral("[ \\t\\r\\n]")));
    const QRegularExpressionMatch m = number.match(squeezed);
    if (!m.hasMatch())
        return 0;
    return std::strtod(m.captured().toLatin1().constData(), nullptr);
}

template <typename Int, typename Round> void CheckRound(double value, Round round)
{
    Int out = 7;
    const int mode = std::fegetround();
    const bool ok = round(value, &out);
    FUZZ_CHECK(std::fegetround() == mode);
    if (!ok) {
        FUZZ_CHECK(out == 7);
        FUZZ_CHECK(!std::isfinite(value) || std::fabs(value) >= double(std::numeric_limits<Int>::max()));
        return;
    }
    const double diff = double(out) - value;
    FUZZ_CHECK(std::fabs(diff) <= 0.5);
    FUZZ_CHECK(std::fabs(diff) < 0.5 || out % 2 == 0); // halves to even
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1) {
        double value = 0;
        std::memcpy(&value, data + 1, std::min<size_t>(size - 1, sizeof value));
        CheckRound<qint16>(value, TextNumbers::RoundToInt16);
        CheckRound<qint32>(value, TextNumbers::RoundToInt32);
        return 0;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const double val = TextNumbers::Val(text);
    const double reference = ReferenceVal(text);
    FUZZ_CHECK(!std::isnan(val));
    FUZZ_CHECK(val == reference || (val == 0 && reference == 0));

    double locale = -1;
    if (TextNumbers::LocaleToDouble(text, &locale)) {
        FUZZ_CHECK(std::isfinite(locale));
        // Over plain ASCII number text the two readings agree once the group
        // commas are gone.
        static const QRegularExpression plain(QStringLiteral("^[0-9eE.+\\-, \\t\\r\\n]*$"));
        if (plain.match(text).hasMatch())
            FUZZ_CHECK(TextNumbers::Val(QString(text).remove(QLatin1Char(','))) == locale);
        CheckRound<qint16>(locale, TextNumbers::RoundToInt16);
        CheckRound<qint32>(locale, TextNumbers::RoundToInt32);
    } else {
        FUZZ_CHECK(locale == -1);
    }
    return 0;
}
