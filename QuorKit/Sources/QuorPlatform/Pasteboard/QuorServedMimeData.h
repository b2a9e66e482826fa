#pragma once

#include <QMimeData>

namespace quor::platform {

// Clipboard content that tells who read it, and when. X11 paste is a conversation: the target asks
// the owner for the data some time after the paste key, so the content must stay on the clipboard
// until that request was served. Qt serves each request by asking the mime data for a format,
// which is what is counted here; the client's window comes from the request event, which the
// clipboard hears before Qt handles it. A widget of this process reads the content directly, with
// no request. Asking for the list of formats (TARGETS) reads nothing and is not counted.
class ServedMimeData : public QMimeData {
    Q_OBJECT
public:
    ServedMimeData();
    ~ServedMimeData() override;

    // Reads from now on are the ones after the paste keys; earlier ones (a clipboard manager taking
    // its copy on the claim) are reported as such.
    void arm();

    // The clock `served` reports on.
    static qint64 steadyMilliseconds();

signals:
    // Queued after a read was served, so the serving has finished when it arrives. `requestor` is
    // the window the reading client asked with, which names the client; 0 for a read by this
    // process itself (or anything read without an X display). `afterArm` tells whether arm() had
    // been called when the read was served; `servedAtMs` is when, on the steady clock.
    void served(unsigned long requestor, bool afterArm, qint64 servedAtMs);

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    bool m_armed = false;
};

} // namespace quor::platform
