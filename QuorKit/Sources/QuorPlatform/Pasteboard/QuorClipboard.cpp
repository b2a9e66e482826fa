#include "QuorPlatform/Pasteboard/QuorClipboard.h"

#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSet>

namespace quor::platform {
namespace {
// Not content: Qt's in-process image (the owner's real image formats carry the same picture as
// bytes), and the selection protocol's own targets, which Qt lists under their atom names.
bool isContentFormat(const QString& format)
{
    static const QSet<QString> excluded{
        QStringLiteral("application/x-qt-image"), QStringLiteral("TARGETS"), QStringLiteral("TIMESTAMP"),
        QStringLiteral("MULTIPLE"), QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"),
        QStringLiteral("INSERT_SELECTION"), QStringLiteral("INSERT_PROPERTY"),
    };
    return !excluded.contains(format);
}

QClipboard* systemClipboard()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return nullptr;
    }
    return QGuiApplication::clipboard();
}
} // namespace

Clipboard& Clipboard::shared()
{
    static Clipboard* instance = new Clipboard();
    return *instance;
}

Clipboard::Clipboard()
{
    if (QClipboard* clipboard = systemClipboard()) {
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard) {
                ++m_changeCount;
                emit changed();
            }
        });
    }
}

QList<Clipboard::Entry> Clipboard::entries() const
{
    QList<Entry> result;
    const QClipboard* clipboard = systemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    if (data == nullptr) {
        return result;
    }
    for (const QString& format : data->formats()) {
        if (!isContentFormat(format)) {
            continue;
        }
        const QByteArray bytes = data->data(format);
        if (!bytes.isEmpty()) {
            result.append({format, bytes});
        }
    }
    return result;
}

std::optional<QString> Clipboard::string() const
{
    const QClipboard* clipboard = systemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    if (data == nullptr || !data->hasText()) {
        return std::nullopt;
    }
    return data->text();
}

void Clipboard::clear()
{
    if (QClipboard* clipboard = systemClipboard()) {
        clipboard->clear(QClipboard::Clipboard);
    }
}

void Clipboard::write(const QList<Entry>& entries)
{
    QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) {
        return;
    }
    auto* data = new QMimeData();
    for (const auto& [format, bytes] : entries) {
        data->setData(format, bytes);
    }
    clipboard->setMimeData(data, QClipboard::Clipboard);
}

QPointer<ServedMimeData> Clipboard::writeTrackedText(const QString& text)
{
    QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) {
        return nullptr;
    }
    auto* data = new ServedMimeData();
    data->setText(text);
    QPointer<ServedMimeData> tracked(data);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return tracked;
}

} // namespace quor::platform
