#include "QuorKit/Cloud/QuorFeedbackError.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorImageDecoder.h"
#include "Support/QuorPictures.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QtTest>

using namespace std::chrono_literals;

namespace {
const QuorAppVersion version{QStringLiteral("1.4.2"), QStringLiteral("57")};

QuorFeedbackScreenshot shot(const QString& name, qsizetype bytes, const QString& type = QStringLiteral("image/png"))
{
    return {QUuid::createUuid(), name, type, QByteArray(bytes, 'x')};
}

// A form part as the server sees it: its header lines and its content.
struct Part {
    QByteArray headers;
    QByteArray content;
};

QList<Part> partsOf(const QByteArray& body, const QByteArray& boundary)
{
    QList<Part> parts;
    const QByteArray delimiter = "--" + boundary;
    qsizetype at = body.indexOf(delimiter);
    while (at >= 0) {
        const qsizetype start = at + delimiter.size();
        if (body.mid(start, 2) == "--") {
            break;
        }
        const qsizetype next = body.indexOf("\r\n" + delimiter, start);
        const QByteArray block = body.mid(start + 2, next - start - 2);
        const qsizetype split = block.indexOf("\r\n\r\n");
        parts.append({block.left(split), block.mid(split + 4)});
        at = next < 0 ? -1 : next + 2;
    }
    return parts;
}

QByteArray fieldName(const Part& part)
{
    static const QRegularExpression name(QStringLiteral("name=\"([^\"]*)\""));
    return name.match(QString::fromUtf8(part.headers)).captured(1).toUtf8();
}

struct Note {
    QString appName = QStringLiteral("QuorZub");
    QuorFeedbackKind kind = QuorFeedbackKind::bug;
    QString email = QStringLiteral("  ada@example.test ");
    QString senderName = QStringLiteral(" Ada ");
    QString subject = QStringLiteral(" Crash on paste ");
    QString message = QStringLiteral("\n It crashes when I paste. ");
    QList<QuorFeedbackScreenshot> screenshots;
    QuorLanguage language = QuorLanguage::en;
};
} // namespace

class TestQuorFeedbackUpload : public QObject {
    Q_OBJECT

    QuorTestHttpServer m_server;
    QNetworkAccessManager m_session;

    QCoro::Task<QuorFeedbackReceipt> send(const Note& note, std::optional<QString> base = std::nullopt)
    {
        return QuorFeedbackService::submit(note.appName, version, note.kind, note.email, note.senderName, note.subject,
                                           note.message, note.screenshots, note.language,
                                           base ? base : m_server.baseUrl().toString(), &m_session);
    }

    // The error the note ends in; fails the test when it succeeds.
    std::optional<QuorFeedbackError> failureOf(const Note& note, std::optional<QString> base = std::nullopt)
    {
        try {
            quorAwait(send(note, base));
        } catch (const QuorFeedbackError& error) {
            return error;
        }
        return std::nullopt;
    }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }
    void init()
    {
        m_server.clearRequests();
        QuorLanguages::setCurrent(QuorLanguage::en);
    }

    void requestCarriesTheNoteInOrder()
    {
        m_server.enqueue("POST", "/api/v1/feedback",
                         QuorTestHttpResponse::json(R"({"reference_code":"FB-42","attachments_count":2,"message":"Got it"})", 201));
        Note note;
        note.appName = QStringLiteral("Quor Zub\r\nX-Injected: 1");
        note.screenshots = {shot(QStringLiteral("a\"b\r\nc.png"), 3), shot(QStringLiteral("d.jpg"), 4, "image/jpeg\r\nX-Part: 1")};
        QCOMPARE(quorAwait(send(note)), (QuorFeedbackReceipt{"FB-42", 2, "Got it"}));

        const QuorTestHttpRequest request = *m_server.lastRequest();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/api/v1/feedback"));
        QCOMPARE(request.header("accept"), QByteArray("application/json"));
        // Line breaks in the name cannot start a header of their own.
        QCOMPARE(request.header("user-agent"), QByteArray("Tallowmer/Quor ZubX-Injected: 1 QuorKit"));
        QVERIFY(!request.headers.contains("x-injected"));
        const QByteArray contentType = request.header("content-type");
        QVERIFY(QRegularExpression(QStringLiteral("^multipart/form-data; boundary=QuorFeedback-[0-9A-F-]{36}$"))
                    .match(QString::fromLatin1(contentType)).hasMatch());
        const QByteArray boundary = contentType.mid(contentType.indexOf('=') + 1);
        QVERIFY(request.body.endsWith("--" + boundary + "--\r\n"));

        const QList<Part> parts = partsOf(request.body, boundary);
        QList<QByteArray> names;
        QMap<QByteArray, QByteArray> values;
        for (const Part& part : parts) {
            names << fieldName(part);
            values.insert(names.last(), part.content);
        }
        QCOMPARE(names, (QList<QByteArray>{"type", "program_slug", "program_name", "email", "sender_name", "subject",
                                           "message", "app_version", "os_info", "locale", "source", "screenshots[]",
                                           "screenshots[]"}));
        QCOMPARE(values["program_slug"], QByteArray("quorzubxinjected1"));
        QCOMPARE(values["email"], QByteArray("ada@example.test"));
        QCOMPARE(values["sender_name"], QByteArray("Ada"));
        QCOMPARE(values["subject"], QByteArray("Crash on paste"));
        QCOMPARE(values["message"], QByteArray("It crashes when I paste."));
        QCOMPARE(values["app_version"], QByteArray("1.4.2"));
        QCOMPARE(values["os_info"], QuorFeedbackService::currentOSDescription().toUtf8());
        QCOMPARE(parts[11].headers, QByteArray("Content-Disposition: form-data; name=\"screenshots[]\"; filename=\"abc.png\"\r\n"
                                               "Content-Type: image/png"));
        QCOMPARE(parts[12].headers.split('\n').last(), QByteArray("Content-Type: image/jpegX-Part: 1"));
        QCOMPARE(parts[12].content, QByteArray("xxxx"));
    }

    void shortSubjectEmptyNameAndNewAppIdeas()
    {
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            m_server.enqueue("POST", "/api/v1/feedback", QuorTestHttpResponse::text("", 200));
            Note note;
            note.kind = QuorFeedbackKind::newApp;
            note.subject = QStringLiteral(" ok ");
            note.senderName = QStringLiteral("   ");
            note.language = language;
            // No JSON: the receipt's defaults, thanking in the note's language.
            QCOMPARE(quorAwait(send(note)),
                     (QuorFeedbackReceipt{"QUOR-FB-OK", 0,
                                          quorText("Thank you! Your feedback has been received.",
                                                   "Teşekkürler! Geri bildiriminiz bize ulaştı.", {}, language)}));
            const QuorTestHttpRequest request = *m_server.lastRequest();
            const QByteArray type = request.header("content-type");
            QMap<QByteArray, QByteArray> values;
            for (const Part& part : partsOf(request.body, type.mid(type.indexOf('=') + 1))) {
                values.insert(fieldName(part), part.content);
            }
            QCOMPARE(values.size(), 10);
            QVERIFY(!values.contains("sender_name"));
            QCOMPARE(values["program_slug"], QByteArray("new_app"));
            QCOMPARE(values["locale"], QuorLanguages::rawValue(language).toUtf8());
            QCOMPARE(QString::fromUtf8(values["subject"]),
                     QStringLiteral("QuorZub — ") + QuorFeedbackKinds::title(QuorFeedbackKind::newApp, language));
        }
    }

    void checksRunInOrderBeforeAnyTraffic_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("count");
        QTest::addColumn<qsizetype>("lastBytes");
        QTest::addColumn<QString>("base");
        QTest::addColumn<int>("expected"); // -1: sent

        const QString ten = QStringLiteral("0123456789");
        const QString nine = QStringLiteral("  012345678 ");
        const QString family = QStringLiteral("👨‍👩‍👧‍👦");
        const QString server = QStringLiteral("server");
        using K = QuorFeedbackError::Kind;
        QTest::newRow("five characters pass") << "a@b.c" << ten << 0 << qsizetype(0) << server << -1;
        QTest::newRow("Turkish letters count once") << "ş@ğ.ü" << ten << 0 << qsizetype(0) << server << -1;
        QTest::newRow("no dot") << "ada@example" << ten << 0 << qsizetype(0) << server << int(K::invalidEmail);
        QTest::newRow("no at") << "ada.example.test" << ten << 0 << qsizetype(0) << server << int(K::invalidEmail);
        QTest::newRow("four characters") << " a@.b " << ten << 0 << qsizetype(0) << server << int(K::invalidEmail);
        QTest::newRow("empty address before short message") << "" << "" << 9 << qsizetype(0) << server << int(K::invalidEmail);
        QTest::newRow("nine characters") << "a@b.c" << nine << 0 << qsizetype(0) << server << int(K::messageTooShort);
        QTest::newRow("nine emoji") << "a@b.c" << family.repeated(9) << 0 << qsizetype(0) << server << int(K::messageTooShort);
        QTest::newRow("ten emoji") << "a@b.c" << family.repeated(10) << 0 << qsizetype(0) << server << -1;
        QTest::newRow("short message before count") << "a@b.c" << nine << 6 << qsizetype(0) << server << int(K::messageTooShort);
        QTest::newRow("six, one too large") << "a@b.c" << ten << 6 << qsizetype(5'242'881) << server << int(K::tooManyScreenshots);
        QTest::newRow("exactly 5 MiB") << "a@b.c" << ten << 5 << qsizetype(5'242'880) << server << -1;
        QTest::newRow("one byte more") << "a@b.c" << ten << 5 << qsizetype(5'242'881) << server << int(K::screenshotTooLarge);
        QTest::newRow("not a web address") << "a@b.c" << ten << 0 << qsizetype(0) << "ftp://example.test" << int(K::invalidEndpoint);
        QTest::newRow("no address at all") << "a@b.c" << ten << 0 << qsizetype(0) << "not a url" << int(K::invalidEndpoint);
        QTest::newRow("size before endpoint") << "a@b.c" << ten << 1 << qsizetype(5'242'881) << "::" << int(K::screenshotTooLarge);
    }

    void checksRunInOrderBeforeAnyTraffic()
    {
        QFETCH(QString, email);
        QFETCH(QString, message);
        QFETCH(int, count);
        QFETCH(qsizetype, lastBytes);
        QFETCH(QString, base);
        QFETCH(int, expected);
        m_server.route("POST", "/api/v1/feedback", QuorTestHttpResponse::json("{}", 201));
        Note note;
        note.email = email;
        note.message = message;
        for (int i = 0; i < count; ++i) {
            note.screenshots << shot(QStringLiteral("s%1.png").arg(i), i == count - 1 && lastBytes ? lastBytes : 10);
        }
        const std::optional<QString> address = base == QLatin1String("server") ? std::nullopt : std::optional(base);
        if (expected < 0) {
            QCOMPARE(quorAwait(send(note, address)).attachmentsCount, count);
            QCOMPARE(m_server.requestCount(), 1);
            return;
        }
        const std::optional<QuorFeedbackError> error = failureOf(note, address);
        QVERIFY(error);
        QCOMPARE(int(error->kind()), expected);
        QCOMPARE(m_server.requestCount(), 0);
    }

    void replyShapes()
    {
        Note note;
        note.screenshots = {shot("a.png", 5)};
        // Wrong types fall back to the defaults.
        m_server.enqueue("POST", "/api/v1/feedback",
                         QuorTestHttpResponse::json(R"({"reference_code":7,"attachments_count":"2","message":null})", 201));
        QCOMPARE(quorAwait(send(note)), (QuorFeedbackReceipt{"QUOR-FB-OK", 1, "Thank you! Your feedback has been received."}));
        m_server.enqueue("POST", "/api/v1/feedback", QuorTestHttpResponse::json(R"({"reference_code":"","message":""})", 200));
        QCOMPARE(quorAwait(send(note)), (QuorFeedbackReceipt{"", 1, ""}));

        m_server.enqueue("POST", "/api/v1/feedback",
                         QuorTestHttpResponse::json(R"({"message":"<b>Banned</b> address"})", 422));
        std::optional<QuorFeedbackError> error = failureOf(note);
        QCOMPARE(error->kind(), QuorFeedbackError::Kind::serverRejected);
        QCOMPARE(error->errorDescription(QuorLanguage::tr), QStringLiteral("<b>Banned</b> address"));

        m_server.enqueue("POST", "/api/v1/feedback", QuorTestHttpResponse::json(R"({"message":""})", 422));
        QCOMPARE(failureOf(note)->errorDescription(), QStringLiteral("HTTP 422"));
        m_server.enqueue("POST", "/api/v1/feedback",
                         QuorTestHttpResponse::text("<html><body>Internal error</body></html>", 500)
                             .withHeader("Content-Type", "text/html"));
        QCOMPARE(failureOf(note)->errorDescription(), QStringLiteral("HTTP 500"));

    }

    // An answer longer than the service ever sends is cut short, yet its status still decides: a
    // received note never reads as a failure.
    void longAnswersAreJudgedByTheirStart()
    {
        Note note;
        note.screenshots = {shot("a.png", 5)};
        const QByteArray padding(3 * 1024 * 1024, ' ');
        m_server.enqueue("POST", "/api/v1/feedback",
                         QuorTestHttpResponse::json(R"({"reference_code":"FB-7","attachments_count":1,"message":"Got it"})" + padding, 201));
        QCOMPARE(quorAwait(send(note)), (QuorFeedbackReceipt{"FB-7", 1, "Got it"}));
        m_server.enqueue("POST", "/api/v1/feedback", QuorTestHttpResponse::text(QByteArray(3 * 1024 * 1024, 'x'), 200));
        QCOMPARE(quorAwait(send(note)), (QuorFeedbackReceipt{"QUOR-FB-OK", 1, "Thank you! Your feedback has been received."}));
        m_server.enqueue("POST", "/api/v1/feedback",
                         QuorTestHttpResponse::json(R"({"message":"Mailbox full"})" + padding, 503));
        const std::optional<QuorFeedbackError> error = failureOf(note);
        QCOMPARE(error->kind(), QuorFeedbackError::Kind::serverRejected);
        QCOMPARE(error->errorDescription(), QStringLiteral("Mailbox full"));

        // An answer that inflates far past any the service sends ends where inflating stopped, at
        // once and whatever language the network layer speaks, and is judged the same way.
        const QuorForeignQtMessages foreign;
        m_server.enqueue("POST", "/api/v1/feedback", QuorTestHttpResponse::gzipBomb(201));
        QCOMPARE(quorAwait(send(note), 10s), (QuorFeedbackReceipt{"QUOR-FB-OK", 1, "Thank you! Your feedback has been received."}));
        m_server.enqueue("POST", "/api/v1/feedback", QuorTestHttpResponse::gzipBomb(503));
        try {
            quorAwait(send(note), 10s);
            QFAIL("the note went through");
        } catch (const QuorFeedbackError& rejected) {
            QCOMPARE(rejected.errorDescription(), QStringLiteral("HTTP 503"));
        }
    }

    void closedPortNamesTheMakersHost()
    {
        QuorTestHttpServer gone;
        QVERIFY(gone.start());
        const QString base = gone.baseUrl().toString();
        gone.stop();
        std::optional<QuorFeedbackError> error = failureOf(Note{}, base);
        QCOMPARE(error->kind(), QuorFeedbackError::Kind::networkFailure);
        QVERIFY(error->errorDescription().startsWith(QStringLiteral("Could not reach tallowmer.com (")));
        QVERIFY(error->errorDescription().endsWith(QStringLiteral("You can open the feedback page in your browser instead.")));
        QuorLanguages::setCurrent(QuorLanguage::tr);
        QVERIFY(error->errorDescription().startsWith(QStringLiteral("tallowmer.com adresine ulaşılamadı (")));
        QVERIFY(error->errorDescription().endsWith(QStringLiteral("Dilerseniz tarayıcıdan göndermeyi deneyebilirsiniz.")));
        QCOMPARE(QuorFeedbackError::tooManyScreenshots(5).errorDescription(QuorLanguage::en),
                 QStringLiteral("You can attach up to 5 screenshots."));
    }

    void bodyIsExactBytes()
    {
        const QuorFeedbackScreenshot picture{QUuid::createUuid(), QStringLiteral("\"shot\"\r\n.png"), QStringLiteral("image/gif"),
                                             QByteArray("GIF\r\n", 5)};
        const QByteArray body = QuorFeedbackService::buildMultipartBody(
            QStringLiteral("B"), {{"a", "1"}, {"b", ""}, {"c", "ç\r\nd"}}, {picture});
        QCOMPARE(body, QByteArray("--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n"
                                  "--B\r\nContent-Disposition: form-data; name=\"c\"\r\n\r\nç\r\nd\r\n"
                                  "--B\r\nContent-Disposition: form-data; name=\"screenshots[]\"; filename=\"shot.png\"\r\n"
                                  "Content-Type: image/gif\r\n\r\nGIF\r\n\r\n"
                                  "--B--\r\n"));
    }

    void clipboardPicturesBecomePNG()
    {
        const QByteArray png = quorPNG({4, 3}, Qt::red);
        QMimeData pngData;
        pngData.setData(QStringLiteral("image/png"), png);
        pngData.setData(QStringLiteral("image/bmp"), QByteArray("not read"));
        const auto fromPNG = QuorFeedbackService::screenshotFromMimeData(pngData, 1'700'000'000);
        QCOMPARE(fromPNG->data, png);
        QCOMPARE(fromPNG->filename, QStringLiteral("clipboard-1700000000.png"));
        QCOMPARE(fromPNG->mimeType, QStringLiteral("image/png"));

        // Another format is decoded and re-encoded; one that claims to be huge is refused unread.
        QMimeData other;
        other.setData(QStringLiteral("image/x-portable-pixmap"), QByteArray("P6\n100000 100000\n255\n\1\2\3"));
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        QImage bitmap(7, 5, QImage::Format_RGB32);
        bitmap.fill(Qt::green);
        bitmap.save(&buffer, "BMP");
        other.setData(QStringLiteral("image/bmp"), bmp);
        const auto fromBMP = QuorFeedbackService::screenshotFromMimeData(other, 1);
        QCOMPARE(QImage::fromData(fromBMP->data, "PNG").size(), QSize(7, 5));
        QVERIFY(!QuorImageDecoder::decode(QByteArray("P6\n100000 100000\n255\n\1\2\3")));

        QMimeData text;
        text.setText(QStringLiteral("no picture"));
        QVERIFY(!QuorFeedbackService::screenshotFromMimeData(text, 1));

        // A picture this process put on the clipboard.
        QImage copied(2, 9, QImage::Format_RGB32);
        copied.fill(Qt::blue);
        QGuiApplication::clipboard()->setImage(copied);
        const auto pasted = QuorFeedbackService::readScreenshotFromPasteboard();
        QCOMPARE(QImage::fromData(pasted->data, "PNG").size(), QSize(2, 9));
        QVERIFY(pasted->filename.startsWith(QStringLiteral("clipboard-")));
        QGuiApplication::clipboard()->setText(QStringLiteral("words"));
        QVERIFY(!QuorFeedbackService::readScreenshotFromPasteboard());
    }
};

QUOR_TEST_GUI_MAIN(TestQuorFeedbackUpload)
#include "tst_quorfeedbackupload.moc"
