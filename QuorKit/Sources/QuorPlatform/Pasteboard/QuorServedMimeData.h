#pragma once

#include <QMimeData>

namespace quor::platform {

// Clipboard content that tells when another client fetched it. X11 paste is a conversation: the
// target asks the owner for the data some time after the paste key, so the content must stay on
// the clipboard until that request was served. Qt serves each request by asking the mime data
// for a format, which is what is counted here.
class ServedMimeData : public QMimeData {
    Q_OBJECT
public:
    // Requests served from now on are reported; earlier ones (a clipboard manager taking its copy)
    // are not.
    void arm() { m_armed = true; }

signals:
    // Queued after a data request was served, so the serving has finished when it arrives.
    void served();

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    bool m_armed = false;
};

} // namespace quor::platform
