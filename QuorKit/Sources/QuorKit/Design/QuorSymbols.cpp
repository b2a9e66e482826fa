#include "QuorKit/Design/QuorSymbols.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QScreen>

namespace {

// Material Icons code points of the glyph that reads best for each symbol name.
const QHash<QString, char32_t>& table()
{
    static const QHash<QString, char32_t> symbols{
        // Action pills.
        {QStringLiteral("globe"), 0xe894},                      // language
        {QStringLiteral("wand.and.stars"), 0xe663},             // auto_fix_high
        {QStringLiteral("text.alignleft"), 0xe236},             // format_align_left
        {QStringLiteral("lightbulb.fill"), 0xe0f0},             // lightbulb
        {QStringLiteral("doc.on.clipboard"), 0xe14f},           // content_paste
        {QStringLiteral("link.badge.plus"), 0xe178},            // add_link
        {QStringLiteral("function"), 0xe24a},                   // functions
        {QStringLiteral("chart.bar.doc.horizontal"), 0xef3e},   // analytics
        {QStringLiteral("qrcode"), 0xef6b},                     // qr_code
        {QStringLiteral("book.closed.fill"), 0xe865},           // book
        {QStringLiteral("textformat"), 0xe165},                 // text_format
        {QStringLiteral("magnifyingglass"), 0xe8b6},            // search
        {QStringLiteral("waveform.and.mic"), 0xe91f},           // record_voice_over
        {QStringLiteral("sparkles"), 0xe65f},                   // auto_awesome
        // Result card, toast and close buttons.
        {QStringLiteral("exclamationmark.triangle.fill"), 0xe002}, // warning
        {QStringLiteral("checkmark.circle.fill"), 0xe86c},      // check_circle
        {QStringLiteral("xmark"), 0xe5cd},                      // close
        {QStringLiteral("square.and.arrow.down"), 0xe171},      // save_alt
        {QStringLiteral("doc.on.doc"), 0xe14d},                 // content_copy
        {QStringLiteral("arrow.triangle.2.circlepath"), 0xe627}, // sync
        {QStringLiteral("stop.fill"), 0xe047},                  // stop
        {QStringLiteral("speaker.wave.2.fill"), 0xe050},        // volume_up
        // Menu-bar window.
        {QStringLiteral("sparkles.rectangle.stack.fill"), 0xea14}, // dynamic_feed
        {QStringLiteral("viewfinder"), 0xe3c2},                 // crop_free
        {QStringLiteral("macwindow"), 0xe069},                  // web_asset
        {QStringLiteral("power"), 0xe8ac},                      // power_settings_new
        // Studio window, feedback and the version and logs sheet.
        {QStringLiteral("slider.horizontal.3"), 0xe429},        // tune
        {QStringLiteral("clock.arrow.circlepath"), 0xe889},     // history
        {QStringLiteral("gearshape.fill"), 0xe8b8},             // settings
        {QStringLiteral("bubble.left.and.exclamationmark.bubble.right"), 0xe87f}, // feedback
        {QStringLiteral("bubble.left.and.bubble.right.fill"), 0xe0bf}, // forum
        {QStringLiteral("ladybug.fill"), 0xe868},               // bug_report
        {QStringLiteral("tag.fill"), 0xe54e},                   // local_offer
        {QStringLiteral("doc.text.magnifyingglass"), 0xe880},   // find_in_page
        {QStringLiteral("arrow.clockwise"), 0xe5d5},            // refresh
        {QStringLiteral("folder"), 0xe2c7},                     // folder
        {QStringLiteral("trash"), 0xe872},                      // delete
        {QStringLiteral("xmark.circle.fill"), 0xe5c9},          // cancel
        {QStringLiteral("checkmark"), 0xe5ca},                  // check
        {QStringLiteral("plus.circle"), 0xe148},                // add_circle_outline
        {QStringLiteral("chevron.up.chevron.down"), 0xe5d7},    // unfold_more
        {QStringLiteral("chevron.down"), 0xe5cf},               // expand_more
        {QStringLiteral("cpu"), 0xe322},                        // memory
        {QStringLiteral("keyboard"), 0xe312},                   // keyboard
        {QStringLiteral("macwindow.on.rectangle"), 0xe8aa},     // picture_in_picture
        {QStringLiteral("arrow.up.circle"), 0xf182},            // arrow_circle_up
        {QStringLiteral("photo.on.rectangle.angled"), 0xe413},  // photo_library
        {QStringLiteral("camera.fill"), 0xe412},                // photo_camera
        {QStringLiteral("safari"), 0xe87a},                     // explore
        // AI settings card.
        {QStringLiteral("desktopcomputer"), 0xe30a},            // computer
        {QStringLiteral("key.fill"), 0xe0da},                   // vpn_key
        {QStringLiteral("checkmark.shield.fill"), 0xe8e8},      // verified_user
        {QStringLiteral("checkmark.seal.fill"), 0xef76},        // verified
        {QStringLiteral("info.circle"), 0xe88f},                // info_outline
        {QStringLiteral("bolt.fill"), 0xea0b},                  // bolt
        {QStringLiteral("square.stack.3d.up.fill"), 0xe53b},    // layers
        // Credits wallet, sign-in and budget blocks.
        {QStringLiteral("chevron.right"), 0xe5cc},              // chevron_right
        {QStringLiteral("gauge.with.dots.needle.33percent"), 0xe9e4}, // speed
        {QStringLiteral("exclamationmark.octagon.fill"), 0xe160}, // report
        // Studio actions and history tabs.
        {QStringLiteral("arrow.counterclockwise"), 0xe042},     // replay
        {QStringLiteral("chevron.up"), 0xe5ce},                 // expand_less
        {QStringLiteral("chevron.left.forwardslash.chevron.right"), 0xe86f}, // code
        {QStringLiteral("envelope.fill"), 0xe158},              // mail
        {QStringLiteral("list.bullet.rectangle"), 0xe0ee},      // list_alt
        {QStringLiteral("plus.circle.fill"), 0xe147},           // add_circle
        {QStringLiteral("arrow.uturn.left"), 0xe166},           // undo
        {QStringLiteral("pin.fill"), 0xf10d},                   // push_pin
        {QStringLiteral("pin"), 0xf10d},                        // push_pin (the font has no outline; colour tells)
        // Suite views: quick actions, memory pill and gauge, offload banner.
        {QStringLiteral("sun.max.fill"), 0xe430},               // wb_sunny
        {QStringLiteral("externaldrive.badge.timemachine"), 0xe1db}, // storage
        {QStringLiteral("xmark.octagon.fill"), 0xe99a},         // dangerous
        {QStringLiteral("scope"), 0xe1b3},                      // gps_fixed
        {QStringLiteral("bolt.circle.fill"), 0xe932},           // offline_bolt
        {QStringLiteral("chart.bar.xaxis"), 0xe26b},            // bar_chart
        {QStringLiteral("rectangle.inset.topright.filled"), 0xe911}, // picture_in_picture_alt
        {QStringLiteral("thermometer.medium"), 0xe1ff},         // device_thermostat
        {QStringLiteral("square.grid.2x2.fill"), 0xe9b0},       // grid_view
        {QStringLiteral("memorychip"), 0xe322},                 // memory
        {QStringLiteral("circle"), 0xe836},                     // radio_button_unchecked
    };
    return symbols;
}

constexpr char32_t kFallback = 0xe8fd; // help_outline
constexpr double kGlyphScale = 1.25;

QString loadFamily()
{
    // The installed font file is mapped from disk; the copy compiled into the program would be read
    // into memory, and copied again by the font engine. The compiled copy serves where the package is
    // missing.
    const QString installed = QStringLiteral(QUOR_SYMBOL_FONT_FILE);
    int id = QFileInfo(installed).isFile() ? QFontDatabase::addApplicationFont(installed) : -1;
    if (id < 0) {
        id = QFontDatabase::addApplicationFont(QStringLiteral(":/quor/fonts/MaterialIcons-Regular.ttf"));
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QStringLiteral("Material Icons") : families.first();
}

double logicalDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

namespace QuorSymbols {

bool isKnown(const QString& name)
{
    return table().contains(name);
}

QStringList knownNames()
{
    QStringList names = table().keys();
    names.sort();
    return names;
}

char32_t codepoint(const QString& name)
{
    return table().value(name, kFallback);
}

char32_t fallbackCodepoint()
{
    return kFallback;
}

const QString& family()
{
    static const QString name = loadFamily();
    return name;
}

void preload()
{
    family();
    QFontDatabase::families();
}

QFont font(double size)
{
    QFont symbolFont(family());
    symbolFont.setStyleStrategy(QFont::NoFontMerging);
    symbolFont.setPointSizeF(size * kGlyphScale * 72.0 / logicalDpi());
    return symbolFont;
}

QString glyph(const QString& name)
{
    const char32_t point = codepoint(name);
    return QString::fromUcs4(&point, 1);
}

void paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color, double size)
{
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font(size));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, glyph(name));
    painter.restore();
}

QPixmap pixmap(const QString& name, double size, const QColor& color, double devicePixelRatio)
{
    const double side = size * kGlyphScale;
    const int pixels = qMax(1, qRound(side * devicePixelRatio));
    QPixmap image(pixels, pixels);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, QRectF(0, 0, side, side), name, color, size);
    return image;
}

} // namespace QuorSymbols
