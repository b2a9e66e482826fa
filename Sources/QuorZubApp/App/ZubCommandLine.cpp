#include "QuorZubApp/App/ZubCommandLine.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorBundle.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <algorithm>

namespace {
// Options of Qt's X11 platform and of QApplication that take a value; they are consumed there.
const QStringList kQtValueOptions = {
    QStringLiteral("platform"),      QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),        QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),  QStringLiteral("display"),            QStringLiteral("geometry"),
    QStringLiteral("style"),         QStringLiteral("stylesheet"),         QStringLiteral("session"),
    QStringLiteral("name"),          QStringLiteral("title"),              QStringLiteral("visual"),
};
const QStringList kQtFlagOptions = {
    QStringLiteral("reverse"), QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync"),
    QStringLiteral("widgetcount"),
};

QString versionLine()
{
    const QuorAppVersion version =
        QuorAppVersion::current(QuorBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100"));
    return QStringLiteral("QuorZub ") + version.shortVersion + QStringLiteral(" (") + version.buildNumber
        + QStringLiteral(")\n");
}

// The parser's own help has English headings that no translation of ours reaches; this one is
// written in the interface language throughout, in the same layout.
QString helpText(const QString& description, const QList<QCommandLineOption>& options)
{
    QStringList names;
    qsizetype width = 0;
    for (const QCommandLineOption& option : options) {
        QStringList spelled;
        for (const QString& name : option.names()) {
            spelled << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        names << spelled.join(QStringLiteral(", "));
        width = std::max(width, names.constLast().size());
    }
    QString text = quorText(QStringLiteral("Usage: quorzub [options]"), QStringLiteral("Kullanım: quorzub [seçenekler]"))
        + QLatin1Char('\n') + description + QStringLiteral("\n\n")
        + quorText(QStringLiteral("Options:"), QStringLiteral("Seçenekler:")) + QLatin1Char('\n');
    for (qsizetype i = 0; i < options.size(); ++i) {
        text += QStringLiteral("  ") + names[i].leftJustified(width) + QStringLiteral("  ") + options[i].description()
            + QLatin1Char('\n');
    }
    return text;
}

void addHidden(QCommandLineParser& parser, const QString& name, const QString& valueName = {})
{
    QCommandLineOption option(name, QString(), valueName);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}
} // namespace

ZubCommandLine ZubCommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's own options are words after a single dash: -display :1, not -d -i -s ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        quorText(QStringLiteral("Acts on the text you select in any application: a bar of actions appears "
                                "next to the pointer. Starting it again while it runs brings its studio "
                                "window to the front."),
                 QStringLiteral("Herhangi bir uygulamada seçtiğiniz metin üzerinde çalışır: imlecin yanında "
                                "bir aksiyon çubuğu belirir. Çalışırken yeniden başlatmak stüdyo penceresini "
                                "öne getirir.")));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  quorText(QStringLiteral("Show this help and exit."),
                                           QStringLiteral("Bu yardımı göster ve çık.")));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     quorText(QStringLiteral("Show the version and exit."),
                                              QStringLiteral("Sürümü göster ve çık.")));
    parser.addOption(help);
    parser.addOption(version);
    for (const QString& name : kQtValueOptions) {
        addHidden(parser, name, QStringLiteral("value"));
    }
    for (const QString& name : kQtFlagOptions) {
        addHidden(parser, name);
    }

    ZubCommandLine result;
    const QString tryHelp = quorText(QStringLiteral("Try 'quorzub --help'."), QStringLiteral("'quorzub --help' deneyin."));
    if (!parser.parse(arguments)) {
        result.action = Action::failAndExit;
        const QStringList unknown = parser.unknownOptionNames();
        const QString reason = unknown.isEmpty()
            ? parser.errorText()
            : quorText(QStringLiteral("Unknown option: "), QStringLiteral("Bilinmeyen seçenek: "))
                + (unknown.constFirst().size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + unknown.constFirst();
        result.text = QStringLiteral("quorzub: ") + reason + QLatin1Char('\n') + tryHelp + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(help)) {
        result.action = Action::printAndExit;
        result.text = helpText(parser.applicationDescription(), {help, version});
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Action::printAndExit;
        result.text = versionLine();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = Action::failAndExit;
        result.text = QStringLiteral("quorzub: ")
            + quorText(QStringLiteral("Unexpected argument: "), QStringLiteral("Beklenmeyen argüman: "))
            + parser.positionalArguments().constFirst() + QLatin1Char('\n') + tryHelp + QLatin1Char('\n');
    }
    return result;
}
