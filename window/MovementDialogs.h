#pragma once
// The keyword movement's two windows: the keywords lost since the last
// scan, with their last rank and index, and one keyword's rank over every
// stored scan of its domain, as a table and a line with rank 1 at the top.

#include "Ledger.h"
#include "SiteTypes.h"

#include <QDialog>

class LostKeywordsDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LostKeywordsDialog)

public:
    LostKeywordsDialog(const QString &domain, const QDateTime &when, const QList<Site::KeywordRow> &lost,
                       QWidget *parent = nullptr);
};

class KeywordHistoryDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeywordHistoryDialog)

public:
    KeywordHistoryDialog(const QString &domain, const QString &keyword, const QList<KeywordRank> &history,
                         QWidget *parent = nullptr);
};
