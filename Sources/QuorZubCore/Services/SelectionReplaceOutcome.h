#pragma once

// How putting a replacement over the selection in another application ended.
enum class SelectionReplaceOutcome {
    // The target fetched the replacement after the paste keys; the user's clipboard is back.
    pasted,
    // The paste keys went out but the target never fetched the replacement (the keys mean
    // something else there; fetches by other clients do not count): it stays on the clipboard.
    notFetched,
    // No paste keys are known for the target (a terminal or an editor with keys of its own):
    // nothing was sent.
    noPasteKeys,
    // Keys cannot be sent now (no XTest, another client holds the keyboard, the clipboard stayed
    // busy): nothing was sent, and the user's clipboard is back.
    unavailable,
    // The user moved on before the paste keys went out (the focus went to another window, a click or
    // a new selection): nothing was sent, and the user's clipboard is back.
    calledOff,
    // Another program took the clipboard over while the replacement was offered (a clipboard
    // manager keeping its own copy): it keeps what it put there, and whether the target pasted
    // (maybe from that program) is not known.
    takenOver,
};
