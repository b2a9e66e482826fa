#pragma once

#include <QMimeData>

#include <memory>

namespace quor::platform {

// Clipboard content that tells when another client fetched it, and which. X11 paste is a
// conversation: the target asks the owner for the data some time after the paste key, so the
// content must stay on the clipboard until that request was served. Qt serves each request by
// asking the mime data for a format, which is what is counted here; the client's window comes
// from the request event, which Qt's own handling is watched for.
class ServedMimeData : public QMimeData {
    Q_OBJECT
public:
    ServedMimeData();
    ~ServedMimeData() override;

    // Requests served from now on are reported; earlier ones (a clipboard manager taking its copy)
    // are not. Nothing is reported without an X display.
    void arm();

signals:
    // Queued after another client's data request was served, so the serving has finished when it
    // arrives. `requestor` is the window the client asked with; it names the client.
    void served(unsigned long requestor);

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    class RequestWatch;
    std::unique_ptr<RequestWatch> m_watch;
};

} // namespace quor::platform
