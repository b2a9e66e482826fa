#include "QuorPlatform/Selection/QuorSelectionTransfer.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <optional>
#include <vector>

#include <poll.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace quor::platform {
namespace {
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* transferProperty = "QUOR_SELECTION_TRANSFER";
// The list of targets is a few hundred bytes; anything near this is not a list.
constexpr qsizetype maximumTargetListBytes = 1024 * 1024;

// Targets that steer the conversation rather than carry content; resource ids (a pixmap is a
// number that means nothing once its owner is gone); and Qt's in-process image, whose picture
// its real image formats carry as bytes.
bool isContentTarget(const QByteArray& name)
{
    static const QSet<QByteArray> excluded{
        "TARGETS", "TIMESTAMP", "MULTIPLE", "SAVE_TARGETS", "DELETE", "INSERT_SELECTION", "INSERT_PROPERTY",
        "PIXMAP", "BITMAP", "DRAWABLE", "COLORMAP", "application/x-qt-image",
    };
    return !excluded.contains(name);
}

// The names under which owners offer plain text, best first. They all become one "text/plain".
const QList<QByteArray>& textTargets()
{
    static const QList<QByteArray> names{"UTF8_STRING", "STRING", "TEXT", "text/plain"};
    return names;
}

struct Reply {
    enum class Outcome { data, refused, timedOut, tooLarge };
    Outcome outcome = Outcome::refused;
    Atom type = None;
    int format = 0;
    // Format 8 data as it came; format 32 data in `values`.
    QByteArray bytes;
    QList<unsigned long> values;
};

// One requestor window on a private connection, asking one selection's owner for targets in turn
// until the read's time is up.
class Conversation {
public:
    Conversation(X11Selection selection, SelectionLimits limits)
        : m_connection(X11Connection::open()), m_limits(limits), m_end(Clock::now() + limits.total)
    {
        if (!m_connection) {
            return;
        }
        Display* display = m_connection->display();
        m_selection = selection == X11Selection::primary ? XA_PRIMARY : m_connection->atom("CLIPBOARD");
        m_property = m_connection->atom(transferProperty);
        m_window = XCreateSimpleWindow(display, m_connection->root(), -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(display, m_window, PropertyChangeMask);
    }

    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    ~Conversation()
    {
        if (m_connection && m_window != None) {
            XDestroyWindow(m_connection->display(), m_window);
        }
    }

    bool isOpen() const { return m_connection != nullptr; }
    X11Connection& connection() const { return *m_connection; }

    bool hasOwner() const { return XGetSelectionOwner(m_connection->display(), m_selection) != None; }

    Reply convert(Atom target, qsizetype budget)
    {
        Display* display = m_connection->display();
        XDeleteProperty(display, m_window, m_property);
        XConvertSelection(display, m_selection, target, m_property, m_window, CurrentTime);
        XFlush(display);
        XEvent event;
        const bool answered = waitFor(event, [this, target](const XEvent& candidate) {
            return candidate.type == SelectionNotify && candidate.xselection.requestor == m_window
                   && candidate.xselection.selection == m_selection && candidate.xselection.target == target;
        });
        if (!answered) {
            return Reply{Reply::Outcome::timedOut};
        }
        if (event.xselection.property == None) {
            return Reply{Reply::Outcome::refused};
        }
        const std::optional<Header> header = readHeader();
        if (!header) {
            return Reply{Reply::Outcome::refused};
        }
        if (header->type == m_connection->atom("INCR")) {
            return receiveIncrementally(budget);
        }
        if (static_cast<qsizetype>(header->bytesLeft) > budget) {
            XDeleteProperty(display, m_window, m_property);
            return Reply{Reply::Outcome::tooLarge};
        }
        return takeProperty(header->bytesLeft, true);
    }

private:
    struct Header {
        Atom type = None;
        unsigned long bytesLeft = 0;
    };

    // Waits for an event that `match` accepts, at most the idle time and never past the read's end;
    // other events are dropped.
    template <typename Match>
    bool waitFor(XEvent& event, Match match)
    {
        Display* display = m_connection->display();
        const auto end = std::min(Clock::now() + m_limits.idle, m_end);
        for (;;) {
            while (XPending(display) > 0) {
                XNextEvent(display, &event);
                if (match(event)) {
                    return true;
                }
            }
            const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
            if (left <= 0) {
                return false;
            }
            pollfd descriptor{m_connection->fileDescriptor(), POLLIN, 0};
            if (::poll(&descriptor, 1, static_cast<int>(std::min<long long>(left, INT_MAX))) < 0 && errno != EINTR) {
                return false;
            }
        }
    }

    std::optional<Header> readHeader() const
    {
        Header header;
        int format = 0;
        unsigned long count = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(m_connection->display(), m_window, m_property, 0, 0, False,
                                              AnyPropertyType, &header.type, &format, &count, &header.bytesLeft, &data);
        if (data != nullptr) {
            XFree(data);
        }
        if (status != Success || header.type == None) {
            return std::nullopt;
        }
        return header;
    }

    // Reads the whole property (of `bytes` bytes), deleting it when asked: a deletion tells an
    // incremental owner to send its next chunk.
    Reply takeProperty(unsigned long bytes, bool remove)
    {
        Reply reply{Reply::Outcome::data};
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const long units = static_cast<long>((bytes + 3) / 4);
        const int status = XGetWindowProperty(m_connection->display(), m_window, m_property, 0, units,
                                              remove ? True : False, AnyPropertyType, &reply.type, &reply.format, &count, &remaining, &data);
        if (status != Success || reply.type == None) {
            if (data != nullptr) {
                XFree(data);
            }
            return Reply{Reply::Outcome::refused};
        }
        if (data != nullptr && reply.format == 8) {
            reply.bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        } else if (data != nullptr && reply.format == 32) {
            // Format 32 data arrives as C longs, whatever the size of long.
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            reply.values = QList<unsigned long>(values, values + count);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return reply;
    }

    // The owner sends a long answer in chunks: each deletion of our property asks for the next, and
    // an empty chunk ends it. The INCR property itself states a lower bound of the size.
    Reply receiveIncrementally(qsizetype budget)
    {
        Display* display = m_connection->display();
        const Reply announcement = takeProperty(sizeof(quint32), false);
        if (!announcement.values.isEmpty() && static_cast<qsizetype>(announcement.values.first()) > budget) {
            return Reply{Reply::Outcome::tooLarge};
        }
        XDeleteProperty(display, m_window, m_property);
        XFlush(display);
        Reply whole{Reply::Outcome::data};
        for (bool first = true;; first = false) {
            XEvent event;
            const bool arrived = waitFor(event, [this](const XEvent& candidate) {
                return candidate.type == PropertyNotify && candidate.xproperty.window == m_window
                       && candidate.xproperty.atom == m_property && candidate.xproperty.state == PropertyNewValue;
            });
            if (!arrived) {
                return Reply{Reply::Outcome::timedOut};
            }
            const std::optional<Header> header = readHeader();
            if (!header) {
                continue;
            }
            if (whole.bytes.size() + static_cast<qsizetype>(header->bytesLeft) > budget) {
                return Reply{Reply::Outcome::tooLarge};
            }
            const Reply chunk = takeProperty(header->bytesLeft, true);
            XFlush(display);
            if (chunk.outcome != Reply::Outcome::data) {
                return chunk;
            }
            if (first) {
                whole.type = chunk.type;
                whole.format = chunk.format;
            }
            if (chunk.bytes.isEmpty() && chunk.values.isEmpty()) {
                return whole;
            }
            whole.bytes.append(chunk.bytes);
            whole.values.append(chunk.values);
        }
    }

    std::unique_ptr<X11Connection> m_connection;
    SelectionLimits m_limits;
    Clock::time_point m_end;
    Atom m_selection = None;
    Atom m_property = None;
    Window m_window = None;
};

QByteArray withoutTrailingNuls(QByteArray bytes)
{
    while (bytes.endsWith('\0')) {
        bytes.chop(1);
    }
    return bytes;
}

// Owners say in the reply's type how they encoded the text; STRING is Latin-1 by definition.
QString decodeText(const Reply& reply)
{
    const QByteArray bytes = withoutTrailingNuls(reply.bytes);
    return reply.type == XA_STRING ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

QByteArray textAsUtf8(const Reply& reply)
{
    return reply.type == XA_STRING ? decodeText(reply).toUtf8() : withoutTrailingNuls(reply.bytes);
}

SelectionTextRead readTextNow(X11Selection selection, SelectionLimits limits)
{
    Conversation conversation(selection, limits);
    if (!conversation.isOpen() || !conversation.hasOwner()) {
        return {};
    }
    for (const char* target : {"UTF8_STRING", "STRING"}) {
        const Reply reply = conversation.convert(conversation.connection().atom(target), limits.maximumBytes);
        switch (reply.outcome) {
        case Reply::Outcome::tooLarge:
            return {SelectionTextRead::Outcome::tooLarge, {}};
        case Reply::Outcome::timedOut:
            return {};
        case Reply::Outcome::refused:
            continue;
        case Reply::Outcome::data:
            if (reply.format == 8) {
                return {SelectionTextRead::Outcome::text, decodeText(reply)};
            }
            continue;
        }
    }
    return {};
}

struct Target {
    Atom atom = None;
    QByteArray name;
};

QList<Target> offeredTargets(Conversation& conversation, bool& answered)
{
    X11Connection& connection = conversation.connection();
    const Reply reply = conversation.convert(connection.atom("TARGETS"), maximumTargetListBytes);
    answered = reply.outcome != Reply::Outcome::timedOut && reply.outcome != Reply::Outcome::tooLarge;
    QList<Target> targets;
    if (reply.outcome != Reply::Outcome::data || reply.values.isEmpty()) {
        // An owner that lists nothing may still give text when asked.
        if (answered) {
            for (const QByteArray& name : textTargets()) {
                targets.append({connection.atom(name.constData()), name});
            }
        }
        return targets;
    }
    QList<Atom> atoms;
    for (const unsigned long value : reply.values) {
        if (value != None && !atoms.contains(value)) {
            atoms.append(value);
        }
    }
    std::vector<char*> names(static_cast<std::size_t>(atoms.size()), nullptr);
    const bool named = XGetAtomNames(connection.display(), atoms.data(), static_cast<int>(atoms.size()), names.data()) != 0;
    for (qsizetype index = 0; index < atoms.size(); ++index) {
        char* name = names[static_cast<std::size_t>(index)];
        if (named && name != nullptr) {
            targets.append({atoms[index], QByteArray(name)});
        }
        if (name != nullptr) {
            XFree(name);
        }
    }
    return targets;
}

SelectionContentRead readContentNow(X11Selection selection, SelectionLimits limits)
{
    SelectionContentRead content;
    Conversation conversation(selection, limits);
    if (!conversation.isOpen()) {
        content.complete = false;
        return content;
    }
    if (!conversation.hasOwner()) {
        return content;
    }
    bool answered = false;
    const QList<Target> targets = offeredTargets(conversation, answered);
    if (!answered) {
        content.complete = false;
        return content;
    }
    QList<QByteArray> offered;
    for (const Target& target : targets) {
        offered.append(target.name);
    }
    qsizetype budget = limits.maximumBytes;
    QSet<QString> taken;
    for (const Target& target : targets) {
        if (!isContentTarget(target.name)) {
            continue;
        }
        const bool isText = textTargets().contains(target.name);
        const QString format = isText ? QStringLiteral("text/plain") : QString::fromLatin1(target.name);
        if (taken.contains(format)) {
            continue;
        }
        taken.insert(format);
        // The text goes by its best name; the toolkit offers it under all of them again.
        QList<Atom> attempts;
        if (isText) {
            for (const QByteArray& name : textTargets()) {
                if (offered.contains(name)) {
                    attempts.append(conversation.connection().atom(name.constData()));
                }
            }
        } else {
            attempts.append(target.atom);
        }
        for (const Atom attempt : attempts) {
            const Reply reply = conversation.convert(attempt, budget);
            if (reply.outcome == Reply::Outcome::timedOut || reply.outcome == Reply::Outcome::tooLarge) {
                content.complete = false;
                return content;
            }
            if (reply.outcome == Reply::Outcome::refused || reply.format == 32 || reply.format == 16) {
                continue;
            }
            const QByteArray bytes = isText ? textAsUtf8(reply) : reply.bytes;
            content.entries.append({format, bytes});
            budget -= reply.bytes.size();
            break;
        }
    }
    return content;
}

} // namespace

namespace SelectionTransfer {

QFuture<SelectionTextRead> readText(X11Selection selection, SelectionLimits limits)
{
    return QtConcurrent::run([selection, limits] { return readTextNow(selection, limits); });
}

QFuture<SelectionContentRead> readContent(X11Selection selection, SelectionLimits limits)
{
    return QtConcurrent::run([selection, limits] { return readContentNow(selection, limits); });
}

} // namespace SelectionTransfer

} // namespace quor::platform
