#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The user's small preferences (what macOS keeps in user defaults), over QSettings: organisation
// "Tallowmer", application the running program's name. Safe to use from any thread; every call
// works on a fresh QSettings, which Qt keeps in sync with the file.
class QuorSettings {
public:
    static QuorSettings standard();

    QVariant value(const QString& key) const;
    // The stored value when it is a string; nothing when absent or of another kind.
    std::optional<QString> string(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;
    bool contains(const QString& key) const;
    void setValue(const QString& key, const QVariant& value) const;
    void remove(const QString& key) const;

    QString fileName() const;

    // Grows with every write or removal made through this class, so callers can cache what they
    // derive from a value and notice when it may have changed.
    static quint64 writeGeneration();

private:
    QuorSettings() = default;
};
