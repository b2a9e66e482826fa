#pragma once

#include "QuorPlatform/Process/QuorProcessFacts.h"
#include "QuorZubCore/Services/SelectionReplaceOutcome.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// A client that read a replacement offered on the clipboard for the paste keys.
struct PasteReader {
    // The X client, by the base of its resource ids; 0 for this process reading its own content
    // directly.
    unsigned long client = 0;
    // Its process as the X server names it; nothing where it cannot tell.
    std::optional<quor::platform::ProcessFacts> process;

    bool operator==(const PasteReader& other) const = default;
};

// One read of the replacement.
struct PasteRead {
    PasteReader reader;
    qint64 msAfterClaim = 0;
    // Set for a read served after the paste keys were on their way.
    std::optional<qint64> msAfterKeys;

    bool operator==(const PasteRead& other) const = default;
};

// The window the paste keys went to.
struct PasteTarget {
    // The clients of the focused window and of its top-level window.
    QList<unsigned long> clients;
    std::optional<quor::platform::ProcessFacts> process;
    // The keys went to a window of this application, whose widgets read the clipboard directly.
    bool isThisApplication = false;
};

// Tells from the reads of a replacement whether the target pasted it. X11 paste is a request the
// target makes when it gets to it, so the user's clipboard may only come back once the target's
// read has been served. Only these reads are the target's: one by its own client or process, one
// inside this process when the keys went to one of its windows, and one by a process shown to
// serve it: a second process of the same program (a compatibility layer's clipboard process), or
// one the target started. A clipboard manager is a program of its own that the target did not
// start, so its reads never end the wait, whenever they come. An ancestor proves nothing: the
// desktop shell that launched the target may keep a clipboard history itself; nor does an
// interpreter that unrelated programs share.
class PasteReadJudge {
public:
    enum class Role { target, helper, thisProcess, other };

    static Role roleOf(const PasteReader& reader, const PasteTarget& target);
    // The outcome the reads so far decide, or nothing while the wait goes on. `claimReaders` are the
    // clients that read the previous content this process offered without being asked to paste it:
    // such a client reads every claim on its own, so its first read of this one may be that read and
    // not the paste; then only its next read, or the end of the wait, decides. Another program's
    // first read of this kind tells nothing either, whether it came before the keys or after them.
    // `takenOver` tells that
    // another program owns the clipboard now; `boundPassed` that the wait is over.
    static std::optional<SelectionReplaceOutcome> judge(const QList<PasteRead>& reads, const PasteTarget& target,
                                                        const QSet<unsigned long>& claimReaders, bool takenOver,
                                                        bool boundPassed);
    // Interpreters and runtimes that unrelated programs run in.
    static bool isSharedInterpreter(const QString& executableName);
    // One log line: the outcome and who read the replacement when.
    static QString describe(SelectionReplaceOutcome outcome, const QList<PasteRead>& reads, const PasteTarget& target);
};

// The outcome's name in the log.
QString selectionReplaceOutcomeName(SelectionReplaceOutcome outcome);
