#pragma once
// A domain's past checks: a table of every completed check and a chart of
// its weight, indexed count and backlink count over time.

#include "Ledger.h"

#include <QDialog>

class HistoryDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryDialog)

public:
    HistoryDialog(const QString &domain, const QList<Check> &checks, QWidget *parent = nullptr);
};
