#pragma once

#include <QString>

// Someone else's text set into a sentence of ours: a quoted selection, a file name. A right-to-left
// override or embedding inside it would run on over the words that follow and reorder the sentence
// as it is read. Isolated, the quote keeps its own order and the sentence its own; what the quote
// shows is not changed.
namespace QuorBidiIsolation {

// `text` between FIRST STRONG ISOLATE and POP DIRECTIONAL ISOLATE. The quote is balanced first: a
// directional isolate it leaves open is closed before the final pop, and a pop of its own that has
// nothing to close (it would end our isolate early) is left out.
QString isolated(const QString& text);

} // namespace QuorBidiIsolation
