#include "QuorZubCore/Services/PasteReadJudge.h"

#include <QRegularExpression>
#include <QStringList>

using quor::platform::ProcessFacts;

namespace {
bool sameProgram(const ProcessFacts& reader, const ProcessFacts& target)
{
    return reader.executable && target.executable && *reader.executable == *target.executable
           && !PasteReadJudge::isSharedInterpreter(target.executableName);
}

QString readerName(const PasteReader& reader, PasteReadJudge::Role role)
{
    if (role == PasteReadJudge::Role::thisProcess) {
        return QStringLiteral("this process");
    }
    QString name;
    switch (role) {
    case PasteReadJudge::Role::target: name = QStringLiteral("the target"); break;
    case PasteReadJudge::Role::helper: name = QStringLiteral("a helper of the target"); break;
    default: name = QStringLiteral("another client"); break;
    }
    name += QStringLiteral(" 0x%1").arg(reader.client, 0, 16);
    if (reader.process) {
        name += QStringLiteral(" (pid %1%2)")
                    .arg(reader.process->pid)
                    .arg(reader.process->executableName.isEmpty() ? QString()
                                                                  : QLatin1Char(' ') + reader.process->executableName);
    }
    return name;
}
} // namespace

PasteReadJudge::Role PasteReadJudge::roleOf(const PasteReader& reader, const PasteTarget& target)
{
    if (reader.client == 0) {
        return Role::thisProcess;
    }
    if (target.clients.contains(reader.client)) {
        return Role::target;
    }
    if (!reader.process || !target.process) {
        return Role::other;
    }
    // An application may talk to the server over more than one connection.
    if (reader.process->pid == target.process->pid) {
        return Role::target;
    }
    if (sameProgram(*reader.process, *target.process) || reader.process->ancestors.contains(target.process->pid)) {
        return Role::helper;
    }
    return Role::other;
}

std::optional<SelectionReplaceOutcome> PasteReadJudge::judge(const QList<PasteRead>& reads, const PasteTarget& target,
                                                             const QSet<unsigned long>& claimReaders, bool takenOver,
                                                             bool boundPassed)
{
    QSet<unsigned long> readThisClaim;
    bool targetReadOnce = false;
    bool othersRead = false;
    for (const PasteRead& read : reads) {
        const Role role = roleOf(read.reader, target);
        const unsigned long client = read.reader.client;
        if (read.msAfterKeys) {
            const bool byTarget = role == Role::target || role == Role::helper
                                  || (role == Role::thisProcess && target.isThisApplication);
            if (byTarget) {
                if (client == 0 || !claimReaders.contains(client) || readThisClaim.contains(client)) {
                    return SelectionReplaceOutcome::pasted;
                }
                targetReadOnce = true;
            } else if (role == Role::other && (!claimReaders.contains(client) || readThisClaim.contains(client))) {
                // A client known to read every claim reads this one on its own, early or, on a busy
                // machine, after the keys: only a further read of its may be more.
                othersRead = true;
            }
        }
        if (client != 0) {
            readThisClaim.insert(client);
        }
    }
    if (takenOver) {
        return SelectionReplaceOutcome::takenOver;
    }
    if (!boundPassed) {
        return std::nullopt;
    }
    // The target's one read after the keys came: whether it was its read of every claim or the
    // paste, it has what it will paste by now.
    if (targetReadOnce) {
        return SelectionReplaceOutcome::pasted;
    }
    return othersRead ? SelectionReplaceOutcome::unconfirmed : SelectionReplaceOutcome::notFetched;
}

bool PasteReadJudge::isSharedInterpreter(const QString& executableName)
{
    static const QRegularExpression interpreters(QStringLiteral(
        "^(python|pypy|perl|ruby|node|nodejs|java|gjs|gjs-console|lua|luajit|php|tclsh|wish|mono|dotnet|bash|sh|dash|zsh)"
        "[0-9.]*(-[0-9.]+)?$"));
    return interpreters.match(executableName).hasMatch();
}

QString PasteReadJudge::describe(SelectionReplaceOutcome outcome, const QList<PasteRead>& reads,
                                 const PasteTarget& target)
{
    QString line = QStringLiteral("Replace: %1").arg(selectionReplaceOutcomeName(outcome));
    if (target.process) {
        line += QStringLiteral(" (target pid %1 %2)").arg(target.process->pid).arg(target.process->executableName);
    }
    if (reads.isEmpty()) {
        return line + QStringLiteral("; nobody read the replacement");
    }
    QStringList described;
    for (const PasteRead& read : reads) {
        QString entry = readerName(read.reader, roleOf(read.reader, target))
                        + QStringLiteral(" at %1 ms after the claim").arg(read.msAfterClaim);
        entry += read.msAfterKeys ? QStringLiteral(", %1 ms after the keys").arg(*read.msAfterKeys)
                                  : QStringLiteral(", before the keys");
        described.append(entry);
    }
    return line + QStringLiteral("; read by ") + described.join(QStringLiteral("; "));
}

QString selectionReplaceOutcomeName(SelectionReplaceOutcome outcome)
{
    switch (outcome) {
    case SelectionReplaceOutcome::pasted: return QStringLiteral("pasted");
    case SelectionReplaceOutcome::notFetched: return QStringLiteral("notFetched");
    case SelectionReplaceOutcome::unconfirmed: return QStringLiteral("unconfirmed");
    case SelectionReplaceOutcome::noPasteKeys: return QStringLiteral("noPasteKeys");
    case SelectionReplaceOutcome::unavailable: return QStringLiteral("unavailable");
    case SelectionReplaceOutcome::calledOff: return QStringLiteral("calledOff");
    case SelectionReplaceOutcome::focusMoved: return QStringLiteral("focusMoved");
    case SelectionReplaceOutcome::takenOver: return QStringLiteral("takenOver");
    case SelectionReplaceOutcome::clipboardUnreadable: return QStringLiteral("clipboardUnreadable");
    }
    return QStringLiteral("unknown");
}
