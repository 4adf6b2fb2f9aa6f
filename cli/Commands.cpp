#include "Commands.h"

#include "BatchRun.h"
#include "Clock.h"
#include "HTTPPage2.h"
#include "Interrupts.h"
#include "KeywordMovement.h"
#include "Ledger.h"
#include "ListFile.h"
#include "RulesCheck.h"
#include "RunLoop.h"
#include "RunPacing.h"
#include "RunRecorder.h"
#include "SiteScan.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace Cli {

void Tell(const QString &message)
{
    const QByteArray line = QStringLiteral("morvane: %1\n").arg(message).toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

int Refuse(const QString &message)
{
    Tell(message);
    return kBadInput;
}

std::unique_ptr<Ledger> OpenLedger(const QString &location, const QString &neededBy, QString *refusal)
{
    if (location.isEmpty()) {
        if (!neededBy.isEmpty())
            *refusal = Cli::Text::tr("%1 needs the ledger").arg(neededBy);
        return nullptr;
    }
    QString message;
    Ledger::OpenStatus status = Ledger::OpenStatus::Ok;
    std::unique_ptr<Ledger> ledger = Ledger::Open(location, &message, &status);
    if (!ledger && Ledger::IsServer(location)) {
        // The ledger's words say the run goes on without it; here it does not.
        if (const QString goesOn = Ledger::NoRecords(QString()); message.endsWith(goesOn))
            message.chop(goesOn.size());
        *refusal = Cli::Text::tr("cannot use the ledger: %1; nothing fetched").arg(message);
    } else if (!ledger && !neededBy.isEmpty()) {
        *refusal = Cli::Text::tr("%1 needs the ledger %2, %3")
                       .arg(neededBy, location,
                            status == Ledger::OpenStatus::Locked ? Cli::Text::tr("which another Morvane holds")
                                                                 : Cli::Text::tr("which failed: %1").arg(message));
    } else if (!message.isEmpty()) {
        Tell(message);
    }
    return ledger;
}

void QuitWhenSettled(QEventLoop &loop)
{
    auto *poll = new QTimer(&loop);
    QObject::connect(poll, &QTimer::timeout, &loop, [&loop, poll] {
        if (HTTPPage2::LiveReplies() > 0)
            return;
        poll->stop();
        poll->deleteLater();
        loop.quit();
    });
    poll->start(HTTPPage2::PollMilliseconds);
}

void CatchInterrupts(Interrupts *interrupts, QObject *context, const std::function<void()> &stop)
{
    if (!interrupts)
        return;
    QObject::connect(interrupts, &Interrupts::interrupted, context, stop);
    interrupts->Catch();
}

QString Stopping(bool stored)
{
    return stored ? Text::tr("stopping: the answers on their way land, then the figures so far are stored and written "
                             "(Ctrl+C again ends at once)")
                  : Text::tr("stopping: the answers on their way land, then the figures so far are written "
                             "(Ctrl+C again ends at once)");
}

QString PausedItself(const QString &reason, const QString &goOn)
{
    return Text::tr("%1: the run stops here; the figures so far are stored and written; %2").arg(reason, goOn);
}

namespace {

QString FailureWords(HTTPPage2::Failure failure)
{
    switch (failure) {
    case HTTPPage2::Failure::Refused:
        return Text::tr("connections refused");
    case HTTPPage2::Failure::Reset:
        return Text::tr("connections reset");
    case HTTPPage2::Failure::Unreachable:
        return Text::tr("no route to the services");
    case HTTPPage2::Failure::HostNotFound:
        return Text::tr("the services' names do not resolve");
    default:
        return Text::tr("connections time out");
    }
}

} // namespace

NetworkWait::NetworkWait(BatchRun &run, int seconds, std::function<void(const QString &)> say,
                         std::function<void(const QString &)> giveUp)
    : mRun(run), mSeconds(seconds), mSay(std::move(say)), mGiveUp(std::move(giveUp))
{
    mDeadline.setSingleShot(true);
    connect(&mDeadline, &QTimer::timeout, this, [this] {
        if (mRun.waitingForNetwork())
            mGiveUp(Text::tr("the network stayed away for %1 s (%2)")
                        .arg(mSeconds)
                        .arg(FailureWords(mRun.networkFailure())));
    });
    connect(&run, &BatchRun::networkBack, this, [this] {
        mDeadline.stop();
        mSay(Text::tr("the network is back: the run goes on"));
    });
}

bool NetworkWait::Takes()
{
    if (!mRun.waitingForNetwork() || mSeconds <= 0)
        return false;
    mSay(Text::tr("the network is lost (%1 since %2): waiting up to %3 s for it, asking the services every %4 s")
             .arg(FailureWords(mRun.networkFailure()), mRun.networkLostAt().toString(QStringLiteral("HH:mm:ss")))
             .arg(mSeconds)
             .arg(BatchRun::kProbeMs / 1000));
    mDeadline.start(mSeconds * 1000);
    return true;
}

QString NetworkWait::Reason() const
{
    if (!mRun.waitingForNetwork())
        return mRun.pauseReason();
    return Text::tr("the network is lost (%1 since %2)")
        .arg(FailureWords(mRun.networkFailure()), mRun.networkLostAt().toString(QStringLiteral("HH:mm:ss")));
}

QString Unstored(int writes)
{
    return Text::tr("the ledger did not take %1 pending writes; every figure fetched is in the table").arg(writes);
}

void TellUnread(const BatchRun &run)
{
    const int unread = run.unrecognisedPages();
    if (unread == 0)
        return;
    if (run.keptPages() == 0)
        Tell(Text::tr("%1 pages could not be read: their layout may have changed").arg(unread));
    else
        Tell(Text::tr("%1 pages could not be read: their layout may have changed; they are kept in %2")
                 .arg(unread)
                 .arg(QDir::toNativeSeparators(run.diagnosticsFolder())));
}

bool Written(const Sheets::WriteResult &result, const QString &path)
{
    if (!result.ok)
        Tell(Cli::Text::tr("cannot write %1: %2").arg(path, result.error));
    else if (result.cutCells > 0)
        Tell(Cli::Text::tr("%1 cells of %2 are longer than the 32767 characters a workbook cell holds: cut to fit "
                           "(a csv table keeps them whole)")
                 .arg(result.cutCells)
                 .arg(path));
    return result.ok;
}

QString ListSource(const QString &list)
{
    return list == QLatin1String("-") ? QStringLiteral("typed") : QFileInfo(list).absoluteFilePath();
}

QString ReadBatchList(const BatchOptions &options, QList<DomainList::Row> *rows)
{
    const ListFile::Result list = ListFile::Read(options.list);
    if (!list.error.isEmpty())
        return Cli::Text::tr("cannot read the list %1: %2").arg(options.list, list.error);
    if (list.rows.isEmpty())
        return Cli::Text::tr("the list %1 holds no domains").arg(options.list);
    if (list.rows.size() > DomainList::kMaxRows)
        return Text::tr("the list holds more than 32767 domains: split it");
    if (RunPacing::RowsPerStretch(options.rowsPerStretch).value_or(-1) < 0)
        return Cli::Text::tr("--rest-every takes 0 to 32767 rows");
    if (!RunPacing::RestMilliseconds(options.restSeconds))
        return Cli::Text::tr("--rest-seconds takes 0 to 65 seconds");
    const bool noTable = options.out.path.isEmpty() && !options.runName.isEmpty();
    if (const QString why = TableExport::Unwritable(options.out); !why.isEmpty() && !noTable)
        return why;
    if (list.skippedLong > 0)
        Tell(DomainList::SkippedLongMessage(list.skippedLong));
    *rows = list.rows;
    return {};
}

int Merge(const MergeOptions &options)
{
    const QFileInfo target(options.out);
    for (const QString &file : options.files) {
        if (target.exists() && QFileInfo(file).canonicalFilePath() == target.canonicalFilePath())
            return Refuse(Cli::Text::tr("%1 is one of the shard tables: the merged table would replace it").arg(file));
    }
    const Shards::Merged merged = Shards::Merge(options.files);
    if (!merged.refusal.isEmpty())
        return Refuse(merged.refusal);
    const TableExport::Target out{
        options.out,
        options.format.value_or(TableExport::FormatNamed(QFileInfo(options.out).suffix()).value_or(merged.format)),
        false};
    if (const QString why = TableExport::Unwritable(out); !why.isEmpty())
        return Refuse(why);
    return Written(TableExport::WriteBatch(out, merged.rows, merged.checked), out.path) ? kAllFetched : kBadInput;
}

int Export(const ExportOptions &options)
{
    if (const QString why = TableExport::Unwritable(options.out); !why.isEmpty())
        return Refuse(why);
    QString refusal;
    const std::unique_ptr<Ledger> ledger = OpenLedger(options.ledgerPath, QStringLiteral("export"), &refusal);
    if (!ledger)
        return Refuse(refusal);
    std::optional<StoredRun> run;
    QString which = options.runName;
    if (!options.runName.isEmpty()) {
        run = ledger->RunByName(options.runName);
    } else if (options.id > 0) {
        which = QString::number(options.id);
        if (StoredRun byId = ledger->LoadRun(options.id); byId.id > 0)
            run = std::move(byId);
    } else {
        run = ledger->LastRun();
        if (!run)
            return Refuse(Cli::Text::tr("the ledger holds no runs"));
        which = QString::number(run->id);
    }
    if (!run)
        return Refuse(Cli::Text::tr("the ledger holds no run %1").arg(which));
    // The ledger keeps no time per row: rows with figures date from the run's start.
    QList<QDateTime> checked(run->rows.size());
    int left = 0, failed = 0;
    for (int i = 0; i < run->rows.size(); ++i) {
        left += !run->rows[i].complete();
        for (const Batch::Figure &f : run->rows[i].figures()) {
            failed += f.state == Batch::CellState::Failed;
            if (f.state != Batch::CellState::Pending)
                checked[i] = run->started.toLocalTime();
        }
    }
    if (!Written(TableExport::WriteBatch(options.out, run->rows, checked), options.out.path))
        return kBadInput;
    if (left > 0)
        Tell(Cli::Text::tr("the run %1 is not finished: %2 of its %3 rows are still to fetch")
                 .arg(which)
                 .arg(left)
                 .arg(run->rows.size()));
    return left > 0 || failed > 0 ? kSomeFailed : kAllFetched;
}

QStringList RunsTable(const QList<RunSummary> &runs)
{
    const auto line = [](const QString &id, const QString &started, const QString &rows, const QString &failed,
                         const QString &left, const QString &list) {
        return QStringLiteral("%1  %2  %3  %4  %5  %6")
            .arg(id, 6)
            .arg(started, -16)
            .arg(rows, 5)
            .arg(failed, 6)
            .arg(left, 5)
            .arg(list);
    };
    QStringList lines{line(Cli::Text::tr("id"), Cli::Text::tr("started"), Cli::Text::tr("rows"),
                           Cli::Text::tr("failed"), Cli::Text::tr("left"), Cli::Text::tr("list"))};
    for (const RunSummary &run : runs) {
        QString list =
            run.source == QLatin1String("typed") ? Cli::Text::tr("(typed)") : QDir::toNativeSeparators(run.source);
        if (!run.name.isEmpty())
            list = Cli::Text::tr("run %1: %2").arg(run.name, list);
        lines << line(QString::number(run.id), run.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                      QString::number(run.rows), QString::number(run.failed), QString::number(run.left), list);
    }
    return lines;
}

int Runs(const RunsOptions &options)
{
    QString refusal;
    const std::unique_ptr<Ledger> ledger = OpenLedger(options.ledgerPath, QStringLiteral("runs"), &refusal);
    if (!ledger)
        return Refuse(refusal);
    const QList<RunSummary> runs = ledger->RecentRuns(options.limit);
    if (runs.isEmpty()) {
        Tell(Cli::Text::tr("the ledger holds no runs"));
        return kAllFetched;
    }
    const QByteArray text = (RunsTable(runs).join(QLatin1Char('\n')) + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    return kAllFetched;
}

int CheckRules(const Config &config, const RulesCheckOptions &options)
{
    QFile file(options.file);
    if (!file.open(QIODevice::ReadOnly))
        return Refuse(Text::tr("cannot read %1: %2").arg(options.file, file.errorString()));
    // No answer the fetcher keeps is larger.
    if (file.size() > HTTPPage2::MaxBodyBytes)
        return Refuse(Text::tr("%1 is larger than any page Morvane keeps (16 MB)").arg(options.file));
    const QByteArray bytes = file.readAll();
    QList<RulesCheck::Kind> kinds = RulesCheck::KindsForFile(QFileInfo(options.file).fileName());
    if (!options.kind.isEmpty())
        kinds = {*RulesCheck::KindNamed(options.kind)};
    const RulesCheck::Report report = RulesCheck::Check(bytes, kinds, config.pageRules());
    const QByteArray out =
        (Text::tr("%1: %2 bytes").arg(options.file).arg(bytes.size()) + '\n' + report.text).toLocal8Bit();
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    return report.read ? kAllFetched : kPausedItself;
}

} // namespace Cli

using Cli::Refuse;

BatchCommand::BatchCommand(const Config &config, Cli::BatchOptions options, Interrupts *interrupts, QObject *parent)
    : QObject(parent), mConfig(config), mOptions(std::move(options)), mInterrupts(interrupts)
{
}

BatchCommand::~BatchCommand() = default;

int BatchCommand::Run()
{
    QList<DomainList::Row> rows;
    if (const QString why = Cli::ReadBatchList(mOptions, &rows); !why.isEmpty())
        return Refuse(why);
    QStringList domains;
    for (const DomainList::Row &row : rows)
        domains << row.domain;
    if (const int repeated = DomainList::DuplicateHosts(domains); repeated > 0)
        Cli::Tell(Cli::Text::tr("duplicate hosts in the list: %1 rows (each is checked)").arg(repeated));
    TakeShard(&rows, &domains);
    // A shard of more machines than the list has rows: its table is empty.
    if (mMark && rows.isEmpty())
        return Cli::WriteRows(mOptions.out, mMark, {}, {}) ? Cli::kAllFetched : Cli::kBadInput;
    const bool stored = mOptions.resume || mOptions.retryFailed;
    QString refusal;
    mLedger = Cli::OpenLedger(mOptions.ledgerPath,
                              mOptions.resume        ? QStringLiteral("--resume")
                              : mOptions.retryFailed ? QStringLiteral("--retry-failed")
                                                     : QString(),
                              &refusal);
    if (!refusal.isEmpty())
        return Refuse(refusal);

    mLoop = std::make_unique<Cli::RunLoop>(
        mConfig, mOptions, Ledger::DiagnosticsFolder(mOptions.ledgerPath), [this] { return StatusLine(); },
        mLedger ? Cli::Text::tr("--resume goes on from here") : QString());
    BatchRun &run = mLoop->run();
    if (mLedger) {
        mRecorder = std::make_unique<RunRecorder>(*mLedger, &run, nullptr);
        // A full disk or a lost server: the figures wait in memory, and the user hears of it.
        connect(mLedger.get(), &Ledger::writeFailed, mLoop.get(), &Cli::RunLoop::Say);
    }
    mChecked = QList<QDateTime>(rows.size());
    if (stored) {
        if (const QString why = RestoreStored(domains); !why.isEmpty())
            return Refuse(why);
    } else {
        run.Load(rows, Cli::ListSource(mOptions.list));
    }
    connect(&run, &BatchRun::figureChanged, this, [this, &run](int row, int figure) {
        if (run.rows().at(row).state(figure) != Batch::CellState::Pending)
            mChecked[row] = Clock::now();
    });
    connect(&run, &BatchRun::completed, this, [this] { mLoop->Quit(Cli::RunLoop::End::Complete); });
    mLoop->Exec(mInterrupts, run.confirmedRows(), [this, &run] {
        // Nothing pending (a finished run retried without failures) completes at once.
        if (!mOptions.retryFailed || run.RetryFailed() == 0)
            run.Start();
    });
    if (mLedger && !mLedger->Flush())
        Cli::Tell(Cli::Unstored(mLedger->pendingWrites()));
    return mLoop->Finish(mOptions.out, mMark, run.rows(), mChecked);
}

void BatchCommand::TakeShard(QList<DomainList::Row> *rows, QStringList *domains)
{
    if (!mOptions.shard)
        return;
    mMark = Shards::MarkOf(*mOptions.shard, *domains);
    domains->clear();
    QList<DomainList::Row> taken;
    for (const DomainList::Row &row : qAsConst(*rows)) {
        if (mOptions.shard->Takes(row.number)) {
            taken << row;
            *domains << row.domain;
        }
    }
    *rows = taken;
}

QString BatchCommand::RestoreStored(const QStringList &domains)
{
    const std::optional<StoredRun> last = mLedger->LastRunOfList(domains);
    if (!last)
        return Cli::Text::tr("the ledger holds no run of this list");
    if (mOptions.resume && last->finished.isValid())
        return Cli::Text::tr("the last run of this list is finished: nothing to resume");
    mRecorder->Restore(*last);
    Cli::DateStored(*last, &mChecked);
    return {};
}

QString BatchCommand::StatusLine() const
{
    const BatchRun &run = mLoop->run();
    const int done = run.confirmedRows();
    return Progress::BatchLine(done, int(run.rows().size()), run.failedCells(), mLoop->RowsPerMinute(done),
                               run.restSecondsLeft());
}

SiteCommand::SiteCommand(const Config &config, Cli::SiteOptions options, Interrupts *interrupts, QObject *parent)
    : QObject(parent), mConfig(config), mOptions(std::move(options)), mInterrupts(interrupts)
{
}

SiteCommand::~SiteCommand()
{
    mRecorder.reset();
    mScan.reset();
}

int SiteCommand::Run()
{
    if (mOptions.domain.trimmed().isEmpty())
        return Refuse(Cli::Text::tr("no domain given"));
    if (const QString why = TableExport::Unwritable(mOptions.out); !why.isEmpty())
        return Refuse(why);
    QString refusal;
    mLedger = Cli::OpenLedger(mOptions.ledgerPath, QString(), &refusal);
    if (!refusal.isEmpty())
        return Refuse(refusal);
    mScan = std::make_unique<SiteScan>(mConfig, HTTPPage2::SharedManager());
    if (mLedger)
        mRecorder = std::make_unique<RunRecorder>(*mLedger, nullptr, mScan.get());
    connect(mScan.get(), &SiteScan::runningChanged, &mLoop, [this](bool running) {
        if (!running)
            mLoop.quit();
    });

    mProgress = std::make_unique<ProgressLine>([this] { return StatusLine(); }, !mOptions.quiet);
    mProgress->Start();
    Cli::CatchInterrupts(mInterrupts, this, [this] { Interrupt(); });
    mScan->Start(mOptions.domain);
    if (mScan->running())
        mLoop.exec();
    mProgress->Finish();
    if (mLedger)
        mLedger->Flush();

    // Only rows a page filled: a row still "..." was never read.
    QList<Site::KeywordRow> read;
    for (const Site::KeywordRow &row : mScan->rows()) {
        if (std::find(row.fields.cbegin(), row.fields.cend(), Markers::kPending) == row.fields.cend())
            read.append(row);
    }
    // A scan that read every page is compared; one that ended early would
    // show every keyword it did not reach as lost.
    const bool compare = mOptions.compare && mScan->ended() == SiteScan::End::Done && mRecorder;
    const Sheets::WriteResult written =
        compare ? WriteComparison(read)
                : TableExport::WriteKeywords(mOptions.out, read, mOptions.keywordsOnly, Clock::now());
    if (!Cli::Written(written, mOptions.out.path))
        return Cli::kBadInput;
    if (mInterrupted)
        return Cli::kInterrupted;
    const QString &domain = mOptions.domain;
    const QString page = QString::number(mScan->failedPage() + 1);
    switch (mScan->ended()) {
    case SiteScan::End::OverviewFailed:
        Cli::Tell(mScan->failureNote().isEmpty()
                      ? Cli::Text::tr("the overview of %1 could not be fetched").arg(domain)
                      : Cli::Text::tr("the overview of %1 could not be fetched: %2").arg(domain, mScan->failureNote()));
        return Cli::kSomeFailed;
    case SiteScan::End::NoKeywords:
        Cli::Tell(mScan->overviewRead() ? Cli::Text::tr("the overview of %1 gives no keyword count").arg(domain)
                                        : Cli::Text::tr("the overview of %1 could not be read").arg(domain));
        return Cli::kSomeFailed;
    case SiteScan::End::PageFailed:
        Cli::Tell((mScan->failureNote().isEmpty()
                       ? Cli::Text::tr("keyword page %1 of %2 could not be fetched").arg(page, domain)
                       : Cli::Text::tr("keyword page %1 of %2 could not be fetched: %3")
                             .arg(page, domain, mScan->failureNote())) +
                  Cli::Text::tr("; %1 keyword rows written").arg(read.size()));
        return Cli::kSomeFailed;
    case SiteScan::End::Blocked:
        Cli::Tell(Cli::PausedItself(Cli::Text::tr("the statistics site blocked the scan at %1")
                                        .arg(mScan->blockedAt().toString(QStringLiteral("HH:mm:ss"))),
                                    Cli::Text::tr("try again later")));
        return Cli::kPausedItself;
    case SiteScan::End::Unrecognised:
        Cli::Tell((mScan->failedPage() < 0
                       ? Cli::Text::tr("the overview of %1 could not be read: the statistics site may have "
                                       "changed its pages")
                             .arg(domain)
                       : Cli::Text::tr("keyword page %1 of %2 could not be read: the statistics site may have "
                                       "changed its pages")
                             .arg(page, domain)) +
                  (mScan->keptPage().isEmpty()
                       ? QString()
                       : Cli::Text::tr("; the page is kept as %1 (see morvane rules check)").arg(mScan->keptPage())));
        return Cli::kPausedItself;
    default:
        return Cli::kAllFetched;
    }
}

Sheets::WriteResult SiteCommand::WriteComparison(const QList<Site::KeywordRow> &read) const
{
    const QDateTime now = Clock::now();
    const std::optional<StoredScan> before = mLedger->PreviousScan(mOptions.domain, mRecorder->lastScanId());
    const KeywordMovement::Comparison c =
        KeywordMovement::Compare(read, before ? before->keywords : QList<Site::KeywordRow>{});
    const QString when = QStringLiteral("yyyy-MM-dd HH:mm");
    QStringList report;
    if (before) {
        report << Cli::Text::tr("%1: the scan of %2 against that of %3")
                      .arg(mOptions.domain, now.toString(when), before->time.toLocalTime().toString(when));
    } else {
        report << Cli::Text::tr("%1: no earlier scan in the ledger; every keyword is new").arg(mOptions.domain);
    }
    if (before)
        report << KeywordMovement::Summary(c, mScan->overview(), before->overview);
    report << QString();
    // What moved, came or went, in the table's order: 变化|关键字|百度排名|上次排名.
    QSet<QString> listed;
    for (const Site::KeywordRow &row : read) {
        const QString key = KeywordMovement::Key(row.fields[Site::Keyword]);
        const auto it = c.moved.constFind(key);
        if (it == c.moved.cend() || it->change == KeywordMovement::Change::Same || listed.contains(key))
            continue;
        listed.insert(key);
        report << QStringList{KeywordMovement::ChangeText(*it), key, row.fields[Site::Rank].trimmed(),
                              it->before ? it->before->rank.trimmed() : QString()}
                      .join(QLatin1Char('|'));
    }
    for (const Site::KeywordRow &row : c.lost)
        report << QStringList{QStringLiteral("失去"), row.fields[Site::Keyword].trimmed(), QString(),
                              row.fields[Site::Rank].trimmed()}
                      .join(QLatin1Char('|'));
    return TableExport::WriteComparison(mOptions.out, read, c, report, now);
}

void SiteCommand::Interrupt()
{
    if (!mScan || !mScan->running() || mInterrupted)
        return;
    mInterrupted = true;
    mProgress->Say(Cli::Stopping(mLedger != nullptr));
    mScan->Halt();
}

QString SiteCommand::StatusLine() const
{
    const Site::Overview &o = mScan->overview();
    // The domain as given: the first line comes before the scan has one.
    return Cli::Text::tr("%1: weight %2, %3 keywords, traffic %4, snapshot %5, indexed %6; keyword pages %7/%8")
        .arg(mOptions.domain, o.weight, o.keywords, o.traffic, o.snapshot, o.indexed)
        .arg(mScan->pagesDone())
        .arg(mScan->pagesTotal());
}
