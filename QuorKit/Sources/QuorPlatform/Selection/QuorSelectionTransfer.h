#pragma once

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QString>

#include <chrono>
#include <utility>

namespace quor::platform {

enum class X11Selection { primary, clipboard };

// How long a read may take and how much it may bring.
struct SelectionLimits {
    // Longest wait for the owner's next answer (a reply or the next chunk of a long one).
    std::chrono::milliseconds idle{1000};
    // Longest time for the whole read.
    std::chrono::milliseconds total{5000};
    qsizetype maximumBytes = 16 * 1024 * 1024;
};

struct SelectionTextRead {
    enum class Outcome { text, none, tooLarge };
    Outcome outcome = Outcome::none;
    QString text;
};

struct SelectionContentRead {
    // Every format the owner offered with its bytes, empty ones included, in the order offered.
    // The text formats make one "text/plain" entry in UTF-8, as the toolkit names them.
    QList<std::pair<QString, QByteArray>> entries;
    // False when the owner did not give every format within the limits: the entries are then only
    // part of its content.
    bool complete = true;
};

// Reads another client's selection on a worker thread with an X connection of its own, so neither
// a slow owner nor a large transfer holds up the caller's thread. Each read runs its conversation
// to the end or to its limits; text is decoded on the worker too. An owner in this process must
// be served by its own thread meanwhile (it is, when that thread's event loop runs).
namespace SelectionTransfer {

// The selection as text: UTF-8 when the owner offers it, else Latin-1. `none` when nobody owns the
// selection, the owner offers no text or does not answer in time.
QFuture<SelectionTextRead> readText(X11Selection selection, SelectionLimits limits);
// Every format the owner offers, for putting the same content back later.
QFuture<SelectionContentRead> readContent(X11Selection selection, SelectionLimits limits);

} // namespace SelectionTransfer

} // namespace quor::platform
