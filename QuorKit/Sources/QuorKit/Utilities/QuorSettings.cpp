#include "QuorKit/Utilities/QuorSettings.h"

#include <QCoreApplication>
#include <QSettings>

#include <atomic>

namespace {
QString applicationName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("QuorZub") : name;
}

std::atomic<quint64> writes{0};

QSettings open()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tallowmer"), applicationName());
}
} // namespace

QuorSettings QuorSettings::standard()
{
    return QuorSettings();
}

QVariant QuorSettings::value(const QString& key) const
{
    return open().value(key);
}

std::optional<QString> QuorSettings::string(const QString& key) const
{
    const QVariant stored = value(key);
    if (!stored.isValid() || stored.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return stored.toString();
}

std::optional<QByteArray> QuorSettings::data(const QString& key) const
{
    const QVariant stored = value(key);
    if (!stored.isValid() || stored.typeId() != QMetaType::QByteArray) {
        return std::nullopt;
    }
    return stored.toByteArray();
}

bool QuorSettings::contains(const QString& key) const
{
    return open().contains(key);
}

void QuorSettings::setValue(const QString& key, const QVariant& value) const
{
    QSettings settings = open();
    settings.setValue(key, value);
    settings.sync();
    writes.fetch_add(1, std::memory_order_release);
}

void QuorSettings::remove(const QString& key) const
{
    QSettings settings = open();
    settings.remove(key);
    settings.sync();
    writes.fetch_add(1, std::memory_order_release);
}

QString QuorSettings::fileName() const
{
    return open().fileName();
}

quint64 QuorSettings::writeGeneration()
{
    return writes.load(std::memory_order_acquire);
}
