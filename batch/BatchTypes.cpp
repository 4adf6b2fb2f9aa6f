#include "BatchTypes.h"

namespace Batch {

namespace {

// Lengths as 7-bit groups, low first: short texts cost one byte.
void PutLength(QByteArray &out, quint32 n)
{
    do {
        const char low = char(n & 0x7F);
        n >>= 7;
        out.append(n ? char(low | 0x80) : low);
    } while (n);
}

quint32 TakeLength(const char *&at)
{
    quint32 n = 0;
    for (int shift = 0;; shift += 7) {
        const quint8 byte = quint8(*at++);
        n |= quint32(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return n;
    }
}

} // namespace

QString Row::Field(int index) const
{
    if (mPacked.isEmpty())
        return {};
    const char *at = mPacked.constData();
    for (int i = 0;; ++i) {
        const quint32 size = TakeLength(at);
        if (i == index)
            return QString::fromUtf8(at, qsizetype(size));
        at += size;
    }
}

std::array<QString, 1 + FigureCount> Row::Fields() const
{
    std::array<QString, 1 + FigureCount> fields;
    if (mPacked.isEmpty())
        return fields;
    const char *at = mPacked.constData();
    for (QString &field : fields) {
        const quint32 size = TakeLength(at);
        field = QString::fromUtf8(at, qsizetype(size));
        at += size;
    }
    return fields;
}

void Row::SetFields(const std::array<QString, 1 + FigureCount> &fields)
{
    QByteArray packed;
    for (const QString &field : fields) {
        const QByteArray utf8 = field.toUtf8();
        PutLength(packed, quint32(utf8.size()));
        packed.append(utf8);
    }
    packed.squeeze();
    mPacked = packed;
}

void Row::setDomain(const QString &domain)
{
    std::array<QString, 1 + FigureCount> fields = Fields();
    fields[0] = domain;
    SetFields(fields);
}

Figure Row::figure(int i) const
{
    if (mStates[i] == CellState::Pending)
        return {};
    return {Field(1 + i), mStates[i]};
}

std::array<Figure, FigureCount> Row::figures() const
{
    const std::array<QString, 1 + FigureCount> fields = Fields();
    std::array<Figure, FigureCount> out;
    for (int i = 0; i < FigureCount; ++i) {
        if (mStates[i] != CellState::Pending)
            out[i] = {fields[1 + i], mStates[i]};
    }
    return out;
}

std::array<QString, 1 + FigureCount> Row::texts() const
{
    std::array<QString, 1 + FigureCount> out = Fields();
    for (int i = 0; i < FigureCount; ++i) {
        if (mStates[i] == CellState::Pending)
            out[1 + i] = Markers::kPending;
    }
    return out;
}

void Row::setFigure(int i, const Figure &f)
{
    std::array<QString, 1 + FigureCount> fields = Fields();
    // A pending figure's text is the marker; nothing to keep.
    fields[1 + i] = f.state == CellState::Pending ? QString() : f.text;
    mStates[i] = f.state;
    SetFields(fields);
}

void Row::fillFigures(const Figure &f)
{
    std::array<QString, 1 + FigureCount> fields = Fields();
    for (int i = 0; i < FigureCount; ++i) {
        fields[1 + i] = f.state == CellState::Pending ? QString() : f.text;
        mStates[i] = f.state;
    }
    SetFields(fields);
}

bool Row::complete() const
{
    for (CellState s : mStates) {
        if (s == CellState::Pending)
            return false;
    }
    return true;
}

} // namespace Batch
