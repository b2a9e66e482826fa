#pragma once

// How putting a replacement over the selection in another application ended.
enum class SelectionReplaceOutcome {
    // The target read the replacement after the paste keys (itself, a widget of this application,
    // or a process serving it); the user's clipboard is back.
    pasted,
    // The paste keys went out but nobody read the replacement afterwards (the keys mean something
    // else there): it stays on the clipboard.
    notFetched,
    // The paste keys went out, and only programs other than the target read the replacement
    // afterwards (a clipboard manager, a bridge): whether it was pasted is not known. It stays on
    // the clipboard.
    unconfirmed,
    // No paste keys are known for the target (a terminal or an editor with keys of its own):
    // nothing was sent.
    noPasteKeys,
    // Keys cannot be sent now (no XTest, another client holds the keyboard, the clipboard stayed
    // busy): nothing was sent, and the user's clipboard is back.
    unavailable,
    // The user clicked or made a new selection before the paste keys went out: nothing was sent,
    // and the user's clipboard is back.
    calledOff,
    // The focus went to another window before the paste keys went out: nothing was sent, and the
    // user's clipboard is back.
    focusMoved,
    // Another program took the clipboard over while the replacement was offered, before or after
    // the keys (a clipboard manager keeping its own copy): it keeps what it put there, and whether
    // the target pasted (maybe from that program) is not known.
    takenOver,
    // The user's clipboard could not be read whole in time (its owner answers too slowly, or it is
    // too large), so it could not have been put back: nothing was sent, and it stays with its owner.
    clipboardUnreadable,
};
