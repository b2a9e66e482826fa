#include "Support/QuorTestSupport.h"

#include "QuorZubCore/Services/PasteReadJudge.h"

#include <QtTest>

using quor::platform::ProcessFacts;

namespace {
// Clients by the base of their resource ids, and their processes.
constexpr unsigned long editorClient = 0x1000000;
constexpr unsigned long editorSecondClient = 0x1200000;
constexpr unsigned long managerClient = 0x2000000;
constexpr unsigned long helperClient = 0x3000000;

ProcessFacts process(qint64 pid, quint64 inode, const QString& name, QList<qint64> ancestors = {1})
{
    ProcessFacts facts;
    facts.pid = pid;
    facts.executable = ProcessFacts::FileIdentity{2049, inode};
    facts.executableName = name;
    facts.ancestors = std::move(ancestors);
    return facts;
}

const ProcessFacts editor = process(400, 11, QStringLiteral("editor"), {300, 1});
const ProcessFacts manager = process(500, 22, QStringLiteral("manager"), {300, 1});

PasteReader reader(unsigned long client, std::optional<ProcessFacts> facts)
{
    return PasteReader{client, std::move(facts)};
}

PasteRead before(const PasteReader& who, qint64 msAfterClaim = 5)
{
    return PasteRead{who, msAfterClaim, std::nullopt};
}

PasteRead after(const PasteReader& who, qint64 msAfterKeys = 40)
{
    return PasteRead{who, msAfterKeys + 50, msAfterKeys};
}

PasteTarget editorTarget()
{
    return PasteTarget{{editorClient}, editor, false};
}

std::optional<int> outcome(SelectionReplaceOutcome value)
{
    return static_cast<int>(value);
}
} // namespace

Q_DECLARE_METATYPE(QList<PasteRead>)
Q_DECLARE_METATYPE(PasteTarget)
Q_DECLARE_METATYPE(std::optional<int>)

class PasteReadJudgeTest : public QObject {
    Q_OBJECT

private slots:
    // Only the target's reads after the keys end the wait; a clipboard manager's never do, early or
    // late, so the user's clipboard never comes back before the target has fetched the paste.
    void theReadsDecideTheOutcome_data()
    {
        QTest::addColumn<QList<PasteRead>>("reads");
        QTest::addColumn<PasteTarget>("target");
        QTest::addColumn<bool>("editorReadsEveryClaim");
        QTest::addColumn<bool>("takenOver");
        // The outcome while the wait goes on, and once it is over.
        QTest::addColumn<std::optional<int>>("meanwhile");
        QTest::addColumn<std::optional<int>>("atTheEnd");

        const PasteReader byEditor = reader(editorClient, editor);
        const PasteReader byManager = reader(managerClient, manager);
        const std::optional<int> waiting;
        const auto pasted = outcome(SelectionReplaceOutcome::pasted);
        const auto unconfirmed = outcome(SelectionReplaceOutcome::unconfirmed);
        const auto notFetched = outcome(SelectionReplaceOutcome::notFetched);
        const auto takenOver = outcome(SelectionReplaceOutcome::takenOver);

        QTest::newRow("the target reads after the keys")
            << QList<PasteRead>{after(byEditor)} << editorTarget() << false << false << pasted << pasted;
        QTest::newRow("a manager reads first, late, then the target")
            << QList<PasteRead>{after(byManager, 5), after(byEditor, 60)} << editorTarget() << false << false << pasted
            << pasted;
        QTest::newRow("only a manager reads after the keys")
            << QList<PasteRead>{after(byManager, 5), after(byManager, 505)} << editorTarget() << false << false
            << waiting << unconfirmed;
        QTest::newRow("a manager known to read every claim reads it once, late, after the keys")
            << QList<PasteRead>{after(byManager, 30)} << editorTarget() << false << false << waiting << notFetched;
        QTest::newRow("a manager reads only before the keys")
            << QList<PasteRead>{before(byManager)} << editorTarget() << false << false << waiting << notFetched;
        QTest::newRow("nobody reads") << QList<PasteRead>{} << editorTarget() << false << false << waiting << notFetched;
        QTest::newRow("a manager reads, then takes the clipboard over")
            << QList<PasteRead>{before(byManager), after(byManager)} << editorTarget() << false << true << takenOver
            << takenOver;
        QTest::newRow("the target pasted before a take-over")
            << QList<PasteRead>{after(byEditor)} << editorTarget() << false << true << pasted << pasted;
        QTest::newRow("the target reads only before the keys")
            << QList<PasteRead>{before(byEditor)} << editorTarget() << false << false << waiting << notFetched;

        // A target that reads every claim on its own: its first read of this one may be that read.
        QTest::newRow("a claim reader's read before the keys, then its paste")
            << QList<PasteRead>{before(byEditor), after(byEditor)} << editorTarget() << true << false << pasted
            << pasted;
        QTest::newRow("a claim reader's first read comes after the keys")
            << QList<PasteRead>{after(byEditor)} << editorTarget() << true << false << waiting << pasted;
        QTest::newRow("a claim reader reads twice after the keys")
            << QList<PasteRead>{after(byEditor, 3), after(byEditor, 20)} << editorTarget() << true << false << pasted
            << pasted;
        QTest::newRow("a claim reader's one read, then a take-over")
            << QList<PasteRead>{after(byEditor)} << editorTarget() << true << true << takenOver << takenOver;

        // Who serves the target, by what the processes are.
        QTest::newRow("a second connection of the target's process")
            << QList<PasteRead>{after(reader(editorSecondClient, editor))} << editorTarget() << false << false << pasted
            << pasted;
        QTest::newRow("a second process of the target's program")
            << QList<PasteRead>{before(byManager), after(reader(helperClient, process(401, 11, QStringLiteral("editor"),
                                                                                      {1})))}
            << editorTarget() << false << false << pasted << pasted;
        QTest::newRow("a process the target started")
            << QList<PasteRead>{after(reader(helperClient, process(402, 33, QStringLiteral("bridge"), {400, 300, 1})))}
            << editorTarget() << false << false << pasted << pasted;
        QTest::newRow("the process that started the target proves nothing")
            << QList<PasteRead>{after(reader(helperClient, process(300, 44, QStringLiteral("shell"), {1})))}
            << editorTarget() << false << false << waiting << unconfirmed;
        const ProcessFacts script = process(600, 55, QStringLiteral("python3.11"), {1});
        QTest::newRow("an interpreter unrelated programs share proves nothing")
            << QList<PasteRead>{after(reader(helperClient, process(601, 55, QStringLiteral("python3.11"), {1})))}
            << PasteTarget{{editorClient}, script, false} << false << false << waiting << unconfirmed;
        QTest::newRow("a reader the server cannot place is no helper")
            << QList<PasteRead>{after(reader(helperClient, std::nullopt))} << editorTarget() << false << false
            << waiting << unconfirmed;

        // This process's own widgets read it directly, with no X request.
        QTest::newRow("our own widget, the keys into our window")
            << QList<PasteRead>{after(reader(0, std::nullopt))} << PasteTarget{{editorClient}, editor, true} << false
            << false << pasted << pasted;
        QTest::newRow("our own read, the keys elsewhere")
            << QList<PasteRead>{after(reader(0, std::nullopt))} << editorTarget() << false << false << waiting
            << notFetched;
    }

    void theReadsDecideTheOutcome()
    {
        QFETCH(QList<PasteRead>, reads);
        QFETCH(PasteTarget, target);
        QFETCH(bool, editorReadsEveryClaim);
        QFETCH(bool, takenOver);
        QFETCH(std::optional<int>, meanwhile);
        QFETCH(std::optional<int>, atTheEnd);
        const QSet<unsigned long> claimReaders =
            editorReadsEveryClaim ? QSet<unsigned long>{editorClient, managerClient} : QSet<unsigned long>{managerClient};
        const auto judged = [&](bool boundPassed) -> std::optional<int> {
            const auto decided = PasteReadJudge::judge(reads, target, claimReaders, takenOver, boundPassed);
            return decided ? std::optional<int>(static_cast<int>(*decided)) : std::nullopt;
        };
        QCOMPARE(judged(false), meanwhile);
        QCOMPARE(judged(true), atTheEnd);
    }

    void interpretersAreKnownByName()
    {
        for (const char* name : {"python3", "python3.11", "python", "java", "node", "perl5.36", "ruby3.1", "gjs"}) {
            QVERIFY2(PasteReadJudge::isSharedInterpreter(QString::fromLatin1(name)), name);
        }
        for (const char* name : {"wine64-preloader", "mousepad", "javaws-helper", "nodepad", ""}) {
            QVERIFY2(!PasteReadJudge::isSharedInterpreter(QString::fromLatin1(name)), name);
        }
    }

    void theLogLineSaysWhoReadWhen()
    {
        const QString line = PasteReadJudge::describe(
            SelectionReplaceOutcome::pasted, {before(reader(managerClient, manager), 48), after(reader(editorClient, editor), 112)},
            editorTarget());
        for (const char* part : {"Replace: pasted", "pid 500 manager) at 48 ms after the claim, before the keys",
                                 "the target 0x1000000 (pid 400 editor) at 162 ms after the claim, 112 ms after the keys"}) {
            QVERIFY2(line.contains(QString::fromLatin1(part)), qPrintable(line));
        }
    }
};

QUOR_TEST_GUILESS_MAIN(PasteReadJudgeTest)
#include "tst_pastereadjudge.moc"
