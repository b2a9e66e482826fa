#include "QuorKit/System/QuorProcessRunner.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorPlatform/Process/QuorChildProcess.h"

#include <QStringDecoder>

#include <QCoro/QCoroSignal>

#include <memory>

namespace {

constexpr qsizetype tailLimit = 32768;

// The captured output of one run. The tail is trimmed on every append, so a talkative child never
// grows a buffer beyond one chunk over the limit.
struct BoundedBuffer {
    bool keepFullStdout = false;
    QByteArray out;
    QByteArray err;

    static void appendTail(QByteArray& buffer, const QByteArray& chunk)
    {
        buffer.append(chunk);
        if (buffer.size() > tailLimit) {
            buffer.remove(0, buffer.size() - tailLimit);
        }
    }

    void append(quor::platform::ChildOutputStream stream, const QByteArray& chunk)
    {
        if (stream == quor::platform::ChildOutputStream::standardError) {
            appendTail(err, chunk);
        } else if (keepFullStdout) {
            out.append(chunk);
        } else {
            appendTail(out, chunk);
        }
    }
};

std::optional<QString> decodeWholeUtf8(const QByteArray& chunk)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(chunk);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

QString QuorProcessResult::stdoutString() const
{
    return QString::fromUtf8(stdout);
}

QString QuorProcessResult::stderrString() const
{
    return QString::fromUtf8(stderr);
}

QuorProcessError::QuorProcessError(Kind kind, QString english, QString turkish)
    : QuorError(std::move(english), std::move(turkish)), m_kind(kind)
{
}

QuorProcessError QuorProcessError::binaryNotFound(const QString& name)
{
    QuorProcessError error(Kind::binaryNotFound,
                           QStringLiteral("Required executable '") + name + QStringLiteral("' was not found."),
                           QStringLiteral("Gerekli '") + name + QStringLiteral("' aracı bulunamadı."));
    error.m_name = name;
    return error;
}

QuorProcessError QuorProcessError::nonZeroExit(std::int32_t code, const QString& stderr)
{
    const QString trimmed = stderr.trimmed();
    // The tool's own words, or a plain status line; the same in every interface language.
    const QString text = trimmed.isEmpty()
        ? QStringLiteral("Process exited with code ") + QString::number(code) + QStringLiteral(".")
        : trimmed;
    QuorProcessError error(Kind::nonZeroExit, text, text);
    error.m_code = code;
    error.m_stderr = stderr;
    return error;
}

QuorProcessError QuorProcessError::cancelled()
{
    return QuorProcessError(Kind::cancelled, QStringLiteral("Operation cancelled."),
                            QStringLiteral("İşlem iptal edildi."));
}

QString QuorProcessError::errorDescription() const
{
    if (m_kind == Kind::nonZeroExit) {
        return englishDescription();
    }
    return localizedDescription(*this);
}

QCoro::Task<QuorProcessResult> QuorProcessRunner::run(QString executable, QStringList arguments,
                                                      std::optional<QString> workingDirectory,
                                                      std::optional<QMap<QString, QString>> environment,
                                                      bool captureFullStdout,
                                                      std::optional<QuorProcessCancellation> cancellation,
                                                      std::function<void(const QString&)> onOutput)
{
    using quor::platform::ChildProcess;
    if (cancellation && cancellation->isCancelled()) {
        throw QuorProcessError::cancelled();
    }

    auto capture = std::make_shared<BoundedBuffer>();
    capture->keepFullStdout = captureFullStdout;
    auto handler = [capture, onOutput](quor::platform::ChildOutputStream stream, const QByteArray& chunk) {
        capture->append(stream, chunk);
        if (onOutput) {
            // A character split across two reads makes both chunks invalid on their own: they are
            // kept in the capture but not reported.
            if (const std::optional<QString> text = decodeWholeUtf8(chunk)) {
                onOutput(*text);
            }
        }
    };
    const quor::platform::ChildProcessOptions options{executable, arguments, workingDirectory, environment};
    const std::unique_ptr<ChildProcess> child = ChildProcess::start(options, std::move(handler));

    if (cancellation) {
        ChildProcess* process = child.get();
        cancellation->onCancel(process, [process] { process->terminate(); });
        // A cancel that raced the connection above is caught here.
        if (cancellation->isCancelled()) {
            process->terminate();
        }
    }
    if (!child->hasExited()) {
        co_await qCoro(child.get(), &ChildProcess::exited);
    }
    if (cancellation && cancellation->isCancelled()) {
        throw QuorProcessError::cancelled();
    }
    co_return QuorProcessResult{child->exitCode(), capture->out, capture->err};
}
