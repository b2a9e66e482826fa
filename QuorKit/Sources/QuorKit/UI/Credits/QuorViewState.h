#pragma once

#include <QObject>

// A view's own transient state: fields that announce every change through one signal.
class QuorViewState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // After any field changed.
    void changed();

protected:
    // Sets `field` to `value` and announces it, when the two differ.
    template <typename T>
    void assign(T& field, const T& value)
    {
        if (!(field == value)) {
            field = value;
            emit changed();
        }
    }
};
