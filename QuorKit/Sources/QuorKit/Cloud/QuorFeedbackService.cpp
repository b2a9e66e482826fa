#include "QuorKit/Cloud/QuorFeedbackService.h"

#include "QuorKit/System/QuorBundle.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaType>
#include <QVariant>

namespace {
QString processName()
{
    const QString name = QCoreApplication::applicationName();
    if (!name.trimmed().isEmpty()) {
        return name;
    }
    QFile comm(QStringLiteral("/proc/self/comm"));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(comm.readAll());
}
} // namespace

namespace QuorFeedbackService {

QString resolvedCurrentAppName(const QuorBundle& bundle, const QString& fallback)
{
    for (const QString& key : {QStringLiteral("CFBundleDisplayName"), QStringLiteral("CFBundleName")}) {
        const QVariant value = bundle.infoDictionary().value(key);
        if (value.metaType().id() == QMetaType::QString) {
            const QString trimmed = value.toString().trimmed();
            if (!trimmed.isEmpty()) {
                return trimmed;
            }
        }
    }
    const QString process = processName().trimmed();
    return process.isEmpty() ? fallback : process;
}

} // namespace QuorFeedbackService
