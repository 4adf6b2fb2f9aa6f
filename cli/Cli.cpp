#include "Cli.h"

#include "Commands.h"
#include "Interrupts.h"
#include "Ledger.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace Cli {

namespace {

const char *const kCommands[] = {"batch", "site", "help", "-h", "--help", "-?", "--help-all", "-v", "--version"};

const QString kSynopsis =
    QStringLiteral("Checks domains without a window.\n"
                   "\n"
                   "  morvane batch LIST [options]    the batch check of a domain list (\"-\": standard input)\n"
                   "  morvane site DOMAIN [options]   one domain's overview and ranking keywords\n"
                   "  morvane                         opens the window\n"
                   "\n"
                   "Exit codes: 0 every figure fetched; 1 some failed; 2 bad arguments, unreadable\n"
                   "input or an unwritable table; 130 interrupted (the figures so far are stored\n"
                   "and written).");

struct Parsed
{
    QString error; // "" when the arguments make a run
    QString command;
    BatchOptions batch;
    SiteOptions site;
};

Parsed Parse(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption out({QStringLiteral("o"), QStringLiteral("out")},
                                 QStringLiteral("Write the table to <file> (\"-\": standard output, the default); "
                                                "an existing file is replaced."),
                                 QStringLiteral("file"));
    const QCommandLineOption format(
        {QStringLiteral("f"), QStringLiteral("format")},
        QStringLiteral("txt (GBK, as the window saves), csv or xlsx; by default the suffix of --out, else txt."),
        QStringLiteral("format"));
    const QCommandLineOption append(QStringLiteral("append"),
                                    QStringLiteral("Append to the txt file, as the window's save does."));
    const QCommandLineOption restEvery(QStringLiteral("rest-every"),
                                       QStringLiteral("batch: rest after every <rows> rows (default 10; 0: never)."),
                                       QStringLiteral("rows"), QStringLiteral("10"));
    const QCommandLineOption restSeconds(QStringLiteral("rest-seconds"),
                                         QStringLiteral("batch: rest this long, 0 to 65 (default 1)."),
                                         QStringLiteral("seconds"), QStringLiteral("1"));
    const QCommandLineOption resume(QStringLiteral("resume"),
                                    QStringLiteral("batch: continue the ledger's unfinished run of this list."));
    const QCommandLineOption retry(QStringLiteral("retry-failed"),
                                   QStringLiteral("batch: fetch only the failed cells of the last run of this list."));
    const QCommandLineOption keywordsOnly(QStringLiteral("keywords-only"),
                                          QStringLiteral("site: the keywords alone, one per line."));
    const QCommandLineOption ledger(
        QStringLiteral("ledger"),
        QStringLiteral("The ledger file (default: the window's, in the user's data folder; \"none\": no ledger)."),
        QStringLiteral("path"));
    const QCommandLineOption noLedger(QStringLiteral("no-ledger"), QStringLiteral("Run without the ledger."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No progress on standard error."));
    parser.setApplicationDescription(kSynopsis);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("batch or site"));
    parser.addPositionalArgument(QStringLiteral("argument"), QStringLiteral("the list file, or the domain"));
    parser.addOptions(
        {out, format, append, restEvery, restSeconds, resume, retry, keywordsOnly, ledger, noLedger, quiet});

    Parsed p;
    if (!parser.parse(arguments)) {
        p.error = parser.errorText();
        return p;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version")))
        return p;
    const QStringList positional = parser.positionalArguments();
    p.command = positional.value(0);
    if (p.command == QLatin1String("help"))
        return p;
    if (p.command != QLatin1String("batch") && p.command != QLatin1String("site")) {
        p.error = QStringLiteral("unknown command \"%1\"; see morvane --help").arg(p.command);
        return p;
    }
    if (positional.size() != 2) {
        p.error = QStringLiteral("%1 takes one %2")
                      .arg(p.command, p.command == QLatin1String("batch") ? QStringLiteral("list file")
                                                                          : QStringLiteral("domain"));
        return p;
    }
    const bool isBatch = p.command == QLatin1String("batch");
    for (const QCommandLineOption &wrong :
         isBatch ? QList<QCommandLineOption>{keywordsOnly} : QList{restEvery, restSeconds, resume, retry}) {
        if (parser.isSet(wrong))
            p.error = QStringLiteral("--%1 is not an option of %2").arg(wrong.names().constLast(), p.command);
    }

    RunOptions &run = isBatch ? static_cast<RunOptions &>(p.batch) : p.site;
    run.out.path = parser.isSet(out) ? parser.value(out) : QStringLiteral("-");
    run.out.append = parser.isSet(append);
    if (parser.isSet(format)) {
        const std::optional<TableExport::Format> named = TableExport::FormatNamed(parser.value(format));
        if (!named)
            p.error = QStringLiteral("--format takes txt, csv or xlsx, not \"%1\"").arg(parser.value(format));
        run.out.format = named.value_or(TableExport::Format::Txt);
    } else {
        run.out.format = TableExport::FormatOfPath(run.out.path);
    }
    // The default is looked up only when used: it creates its folder.
    if (parser.isSet(noLedger) || parser.value(ledger) == QLatin1String("none"))
        run.ledgerPath.clear();
    else
        run.ledgerPath = parser.isSet(ledger) ? parser.value(ledger) : Ledger::DefaultPath();
    run.quiet = parser.isSet(quiet);
    p.batch.list = p.site.domain = positional[1];
    p.batch.rowsPerStretch = parser.value(restEvery);
    p.batch.restSeconds = parser.value(restSeconds);
    p.batch.resume = parser.isSet(resume);
    p.batch.retryFailed = parser.isSet(retry);
    p.site.keywordsOnly = parser.isSet(keywordsOnly);
    return p;
}

} // namespace

bool Wants(int argc, char **argv)
{
    if (argc < 2)
        return false;
    for (const char *command : kCommands) {
        if (std::strcmp(argv[1], command) == 0)
            return true;
    }
    return false;
}

int Main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Morvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
    QCommandLineParser parser;
    const Parsed parsed = Parse(parser, QCoreApplication::arguments());
    if (!parsed.error.isEmpty()) {
        Tell(parsed.error);
        return kBadInput;
    }
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (parsed.command.isEmpty() || parsed.command == QLatin1String("help"))
        parser.showHelp(0);
    const Config config = Config::FromEnvironment();
    Interrupts interrupts;
    if (parsed.command == QLatin1String("batch"))
        return BatchCommand(config, parsed.batch, &interrupts).Run();
    return SiteCommand(config, parsed.site, &interrupts).Run();
}

} // namespace Cli
