#include "QuorKit/Design/Emblems/QuorEmblemArtworkSystemNet.h"

#include "QuorKit/Design/Emblems/QuorFlatDraw.h"

#include <QPainter>

#include <iterator>

namespace {

using namespace QuorFlatDraw;
using Tone = QuorEmblemTone;

// A system monitor: a screen tracing a pulse.
void drawMonitor(QPainter& p, const Tone& t)
{
    displayFrame(p, t);
    stroke(p, polyline({{28, 46}, {37, 46}, {41, 37}, {47, 55}, {52, 33}, {57, 50}, {61, 45}, {72, 45}}), 3.2,
           t.primary());
}

// A memory module: board, chips and contact pins.
void drawMemory(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(20, 34, 60, 26), 4, t.primary());
    for (const double x : {26.0, 44.0, 62.0}) {
        fillRoundedRect(p, QRectF(x, 40, 12, 13), 2, t.cutout(1));
    }
    fillRoundedRect(p, QRectF(47.5, 43.5, 5, 6), 1.5, t.accent());
    for (int i = 0; i < 8; ++i) {
        if (i == 4) {
            continue; // the key notch
        }
        fillRoundedRect(p, QRectF(23.4 + i * 7, 62, 3.6, 8), 1.8, t.mid());
    }
}

// A cleaner: a broom sweeping, with two sparkles.
void drawCleaner(QPainter& p, const Tone& t)
{
    strokeLine(p, QPointF(72, 22), QPointF(52, 46), 4.6, t.primary());
    fill(p, polygon({{43, 44}, {58, 56}, {48, 76}, {23, 64}}), t.primary());
    strokeLine(p, QPointF(44.2, 48.6), QPointF(55.6, 57.6), 2.4, t.cutout(1));
    for (const QLineF& split : {QLineF(45, 62, 38, 70), QLineF(39, 58, 31, 65)}) {
        strokeLine(p, split.p1(), split.p2(), 2, t.cutout(1));
    }
    const auto sparkle = [&](QPointF c, double s, const QuorFlatPaint& paint) {
        fill(p,
             polygon({{c.x(), c.y() - s}, {c.x() + s * 0.28, c.y() - s * 0.28}, {c.x() + s, c.y()},
                      {c.x() + s * 0.28, c.y() + s * 0.28}, {c.x(), c.y() + s}, {c.x() - s * 0.28, c.y() + s * 0.28},
                      {c.x() - s, c.y()}, {c.x() - s * 0.28, c.y() - s * 0.28}}),
             paint);
    };
    sparkle(QPointF(31, 31), 8, t.accent());
    sparkle(QPointF(71, 62), 6, t.primary());
}

// Staying awake: a steaming cup of coffee.
void drawAwake(QPainter& p, const Tone& t)
{
    for (const double x : {37.0, 47.0, 57.0}) {
        QPainterPath steam;
        steam.moveTo(x, 36);
        steam.cubicTo(x - 4, 31, x + 4, 28, x, 22);
        stroke(p, steam, 3, t.mid());
    }
    QPainterPath cup;
    cup.moveTo(26, 42);
    cup.lineTo(67, 42);
    cup.lineTo(65, 64);
    cup.cubicTo(64.5, 70, 60, 74, 54, 74);
    cup.lineTo(39, 74);
    cup.cubicTo(33, 74, 28.5, 70, 28, 64);
    cup.closeSubpath();
    fill(p, cup, t.primary());
    QPainterPath handle;
    handle.moveTo(65.5, 48);
    handle.cubicTo(77, 46, 78, 63, 64, 62);
    stroke(p, handle, 4.4, t.primary());
    strokeLine(p, QPointF(30, 50), QPointF(63.5, 50), 2.4, t.cutout(1));
}

// A battery charging.
void drawBattery(QPainter& p, const Tone& t)
{
    const QRectF body(20, 35, 54, 30);
    fillRoundedRect(p, body, 6, t.soft());
    stroke(p, roundedRect(body, 6), 4, t.primary());
    fillRoundedRect(p, QRectF(75, 44, 5, 12), 2, t.primary());
    fillRoundedRect(p, QRectF(26, 41, 32, 18), 3, t.primary());
    fill(p, polygon({{49, 36.5}, {37, 52}, {46, 52}, {42, 63.5}, {56, 47}, {47, 47}, {52, 36.5}}),
         t.onPrimaryAccent());
}

// A notch utility: a laptop whose screen has the notch, with the menu bar beside it.
void drawNotch(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(24, 27, 52, 37), 5, t.primary());
    // The screen, cut as one shape that leaves the notch standing at the middle of its top edge.
    QPainterPath screen;
    screen.moveTo(31.5, 31.5);
    screen.lineTo(43, 31.5);
    screen.lineTo(43, 35);
    screen.cubicTo(43, 36.4, 44.1, 37.5, 45.5, 37.5);
    screen.lineTo(54.5, 37.5);
    screen.cubicTo(55.9, 37.5, 57, 36.4, 57, 35);
    screen.lineTo(57, 31.5);
    screen.lineTo(68.5, 31.5);
    screen.cubicTo(70.2, 31.5, 71.5, 32.8, 71.5, 34.5);
    screen.lineTo(71.5, 56.5);
    screen.cubicTo(71.5, 58.2, 70.2, 59.5, 68.5, 59.5);
    screen.lineTo(31.5, 59.5);
    screen.cubicTo(29.8, 59.5, 28.5, 58.2, 28.5, 56.5);
    screen.lineTo(28.5, 34.5);
    screen.cubicTo(28.5, 32.8, 29.8, 31.5, 31.5, 31.5);
    screen.closeSubpath();
    fill(p, screen, t.cutout(1));
    // The menu bar's items either side of the notch.
    for (const double x : {31.5, 36.0}) {
        fillEllipse(p, QRectF(x, 32.9, 2.8, 2.8), t.primaryAlpha(0.55));
    }
    fillRoundedRect(p, QRectF(60, 32.9, 9, 2.8), 1.4, t.primaryAlpha(0.55));
    fillRoundedRect(p, QRectF(36, 44, 28, 10), 5, t.accent());
    fillRoundedRect(p, QRectF(20, 66, 60, 6), 3, t.primary());
    fillRoundedRect(p, QRectF(43, 66, 14, 2.4), 1.2, t.cutout(1));
}

// Tweaks: one switch on, one off.
void drawTweaks(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(23, 27, 54, 20), 10, t.primary());
    fillEllipse(p, QRectF(59.5, 29.5, 15, 15), t.cutout(1));
    const QRectF off(24.5, 54.5, 51, 17);
    fillRoundedRect(p, off, 8.5, t.soft());
    stroke(p, roundedRect(off, 8.5), 3, t.primary());
    fillEllipse(p, QRectF(28, 57, 12, 12), t.accent());
}

// A network scope: a radar sweep with its echoes.
void drawNetworkScope(QPainter& p, const Tone& t)
{
    const QPointF centre(50, 50);
    const QRectF ring(22, 22, 56, 56);
    fillEllipse(p, ring, t.soft());
    stroke(p, ellipse(QRectF(34, 34, 32, 32)), 2, t.mid());
    strokeLine(p, QPointF(50, 25), QPointF(50, 75), 2, t.mid());
    strokeLine(p, QPointF(25, 50), QPointF(75, 50), 2, t.mid());
    fill(p, pie(centre, 26, -90, -30), t.primaryAlpha(0.6));
    strokeLine(p, centre, QPointF(72.5, 37), 3, t.primary());
    stroke(p, ellipse(ring), 3, t.primary());
    fillEllipse(p, QRectF(57, 31, 6, 6), t.primary());
    fillEllipse(p, QRectF(33, 57, 6, 6), t.accent());
    fillEllipse(p, QRectF(58, 60, 4.6, 4.6), t.accent());
}

// Screen sharing: a screen with arrows going both ways.
void drawBeam(QPainter& p, const Tone& t)
{
    displayFrame(p, t);
    const QuorFlatPaint out = QuorFlatPaint::solid(t.primaryColor);
    const QuorFlatPaint back = QuorFlatPaint::solid(t.accentColor);
    strokeLine(p, QPointF(34, 39.5), QPointF(61, 39.5), 3.4, out);
    stroke(p, polyline({{55.5, 34.2}, {61.5, 39.5}, {55.5, 44.8}}), 3.4, out);
    strokeLine(p, QPointF(66, 50), QPointF(39, 50), 3.4, back);
    stroke(p, polyline({{44.5, 44.7}, {38.5, 50}, {44.5, 55.3}}), 3.4, back);
}

// Torrents: a horseshoe magnet.
void drawTorrent(QPainter& p, const Tone& t)
{
    QPainterPath magnet;
    magnet.moveTo(32, 26);
    magnet.lineTo(32, 50);
    magnet.cubicTo(32, 62, 40, 70, 50, 70);
    magnet.cubicTo(60, 70, 68, 62, 68, 50);
    magnet.lineTo(68, 26);
    stroke(p, magnet, 11, t.primary());
    for (const double x : {32.0, 68.0}) {
        strokeLine(p, QPointF(x - 7, 35), QPointF(x + 7, 35), 2.6, t.cutout(1));
        fillRoundedRect(p, QRectF(x - 5.5, 20.5, 11, 12.5), 2, t.onPrimaryAccent());
    }
}

// A downloader: an arrow into a tray.
void drawFetch(QPainter& p, const Tone& t)
{
    QPainterPath arrow = polyline({{50, 22}, {50, 56}});
    arrow.addPath(polyline({{36, 43}, {50, 57}, {64, 43}}));
    stroke(p, arrow, 6, t.primary()); // one stroke: the two parts meet without a seam
    QPainterPath tray;
    tray.moveTo(24, 57);
    tray.lineTo(24, 70);
    tray.cubicTo(24, 73, 26, 75, 29, 75);
    tray.lineTo(71, 75);
    tray.cubicTo(74, 75, 76, 73, 76, 70);
    tray.lineTo(76, 57);
    stroke(p, tray, 5, t.accent());
}

// A proxy: traffic between two ends passing through a relay.
void drawProxy(QPainter& p, const Tone& t)
{
    strokeLine(p, QPointF(27, 50), QPointF(73, 50), 3.4, t.mid());
    fillEllipse(p, QRectF(20, 43, 14, 14), t.primary());
    fillEllipse(p, QRectF(66, 43, 14, 14), t.accent());
    fillRoundedRect(p, QRectF(37.6, 30.6, 24.8, 38.8), 7, t.cutout(1));
    fillRoundedRect(p, QRectF(40, 33, 20, 34), 5, t.primary());
    strokeLine(p, QPointF(45, 42), QPointF(55, 42), 2.6, t.cutout(1));
    strokeLine(p, QPointF(45, 49), QPointF(55, 49), 2.6, t.cutout(1));
    fillEllipse(p, QRectF(47.4, 55.4, 5.2, 5.2), t.cutout(1));
}

// Onion routing: a shield carrying a chain of relays.
void drawOnion(QPainter& p, const Tone& t)
{
    splitShield(p, t);
    strokeLine(p, QPointF(38, 49), QPointF(62, 49), 3.4, t.cutout(1));
    fillEllipse(p, QRectF(33.5, 44.5, 9, 9), t.cutout(1));
    fillEllipse(p, QRectF(57.5, 44.5, 9, 9), t.cutout(1));
    fillEllipse(p, QRectF(42.6, 41.6, 14.8, 14.8), t.cutout(1));
    fillEllipse(p, QRectF(45.2, 44.2, 9.6, 9.6), QuorFlatPaint::solid(t.accentColor));
}

// Name resolution: a signpost pointing both ways, with a globe.
void drawDns(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(47, 30, 6, 48), 3, t.primary());
    fill(p, polygon({{52, 30}, {70, 30}, {77, 37}, {70, 44}, {52, 44}}), t.primary());
    fill(p, polygon({{48, 48}, {30, 48}, {23, 55}, {30, 62}, {48, 62}}), t.mid());
    const QRectF globe(21, 20, 22, 22);
    if (t.isWhiteGlass) {
        fillEllipse(p, globe.adjusted(-2.4, -2.4, 2.4, 2.4), QuorFlatPaint::cutout(1));
    }
    fillEllipse(p, globe, t.accent());
    stroke(p, ellipse(QRectF(27.5, 20, 9, 22)), 2, t.cutout(1));
    strokeLine(p, QPointF(21, 31), QPointF(43, 31), 2, t.cutout(1));
}

// A firewall: a brick wall.
void drawWall(QPainter& p, const Tone& t)
{
    for (int row = 0; row < 4; ++row) {
        const double y = 27 + row * 12;
        if (row % 2 == 0) {
            for (int i = 0; i < 3; ++i) {
                fillRoundedRect(p, QRectF(22 + i * 19, y, 17, 10), 2, row == 0 && i == 2 ? t.accent() : t.primary());
            }
        } else {
            fillRoundedRect(p, QRectF(22, y, 7.5, 10), 2, t.primary());
            fillRoundedRect(p, QRectF(31.5, y, 17, 10), 2, t.primary());
            fillRoundedRect(p, QRectF(50.5, y, 17, 10), 2, t.primary());
            fillRoundedRect(p, QRectF(69.5, y, 8.5, 10), 2, t.primary());
        }
    }
}

// A private network: a globe behind a padlock.
void drawVpn(QPainter& p, const Tone& t)
{
    fillEllipse(p, QRectF(22, 22, 48, 48), t.primary());
    stroke(p, ellipse(QRectF(36, 22, 20, 48)), 2.6, t.cutout(1));
    strokeLine(p, QPointF(22, 46), QPointF(70, 46), 2.6, t.cutout(1));
    strokeLine(p, QPointF(25, 34), QPointF(67, 34), 2.4, t.cutout(1));
    strokeLine(p, QPointF(25, 58), QPointF(67, 58), 2.4, t.cutout(1));
    QPainterPath shackle;
    shackle.moveTo(59, 58);
    shackle.lineTo(59, 53);
    shackle.cubicTo(59, 46, 71, 46, 71, 53);
    shackle.lineTo(71, 58);
    stroke(p, shackle, 8.2, t.cutout(1));
    fillRoundedRect(p, QRectF(51.6, 55.6, 26.8, 22.8), 6, t.cutout(1));
    stroke(p, shackle, 3.4, t.primary());
    fillRoundedRect(p, QRectF(54, 58, 22, 18), 4, t.primary());
    fillEllipse(p, QRectF(62.8, 63.2, 4.4, 4.4), t.cutout(1));
    fillRoundedRect(p, QRectF(64, 66, 2, 5), 1, t.cutout(1));
}

// An API: braces around a call.
void drawApi(QPainter& p, const Tone& t)
{
    QPainterPath brace;
    brace.moveTo(38, 24);
    brace.cubicTo(31, 24, 31, 28, 31, 34);
    brace.lineTo(31, 43);
    brace.cubicTo(31, 47, 28, 50, 24, 50);
    brace.cubicTo(28, 50, 31, 53, 31, 57);
    brace.lineTo(31, 66);
    brace.cubicTo(31, 72, 31, 76, 38, 76);
    stroke(p, brace, 4.6, t.primary());
    stroke(p, mirrored(brace), 4.6, t.primary());
    fillEllipse(p, QRectF(38.5, 47, 6, 6), t.mid());
    fillEllipse(p, QRectF(47, 47, 6, 6), t.primary());
    fillEllipse(p, QRectF(55.5, 47, 6, 6), t.accent());
}

// A shell: a terminal window with its prompt.
void drawShell(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(20, 24, 60, 52), 8, t.primary());
    strokeLine(p, QPointF(20, 34), QPointF(80, 34), 2, t.cutout(1));
    for (const double x : {26.0, 31.5, 37.0}) {
        fillEllipse(p, QRectF(x, 27.2, 3.6, 3.6), t.cutout(0.55));
    }
    stroke(p, polyline({{30, 44}, {39, 52}, {30, 60}}), 4.4, t.cutout(1));
    strokeLine(p, QPointF(45, 61), QPointF(60, 61), 4.4, t.onPrimaryAccent());
}

// An automation flow: start, a decision and two outcomes.
void drawFlow(QPainter& p, const Tone& t)
{
    strokeLine(p, QPointF(50, 32), QPointF(50, 40), 2.8, t.mid());
    stroke(p, polyline({{41, 50}, {32, 50}, {32, 66}}), 2.8, t.mid());
    stroke(p, polyline({{59, 50}, {68, 50}, {68, 66}}), 2.8, t.mid());
    fillRoundedRect(p, QRectF(38, 20, 24, 12), 6, t.primary());
    fill(p, polygon({{50, 39}, {61, 50}, {50, 61}, {39, 50}}), t.accent());
    fillRoundedRect(p, QRectF(22, 66, 20, 12), 3, t.primary());
    fillRoundedRect(p, QRectF(58, 66, 20, 12), 3, t.primary());
}

// Search: a magnifying glass.
void drawFind(QPainter& p, const Tone& t)
{
    const QRectF lens(22, 22, 38, 38);
    fillEllipse(p, lens, t.soft());
    fill(p, united({strokeOutline(ellipse(lens), 6), strokeOutline(polyline({{57, 57}, {74, 74}}), 9)}), t.primary());
    stroke(p, arc(lens.center(), 12, 195, 255), 3, t.accent());
}

// A database: a stack of discs.
void drawBase(QPainter& p, const Tone& t)
{
    fill(p, united({ellipse(QRectF(26, 20, 48, 16)), roundedRect(QRectF(26, 28, 48, 44), 0), ellipse(QRectF(26, 64, 48, 16))}),
         t.primary());
    for (const double y : {28.0, 42.0, 56.0}) {
        QPainterPath rim;
        rim.moveTo(26, y);
        rim.cubicTo(26, y + 4.4, 36.7, y + 8, 50, y + 8);
        rim.cubicTo(63.3, y + 8, 74, y + 4.4, 74, y);
        stroke(p, rim, 2.6, t.cutout(1));
    }
    fillEllipse(p, QRectF(64, 49, 4.4, 4.4), t.onPrimaryAccent());
    fillEllipse(p, QRectF(64, 63, 4.4, 4.4), t.onPrimaryAccent());
}

// A vault: a shield with a keyhole.
void drawVault(QPainter& p, const Tone& t)
{
    splitShield(p, t);
    fillEllipse(p, QRectF(42.8, 37.8, 14.4, 14.4), t.cutout(1));
    fill(p, polygon({{46.5, 49}, {53.5, 49}, {55, 61}, {45, 61}}), t.cutout(1));
    fillEllipse(p, QRectF(46.6, 41.6, 6.8, 6.8), QuorFlatPaint::solid(t.accentColor));
}

// Containers: three stacked boxes.
void drawBoxes(QPainter& p, const Tone& t)
{
    const QRectF boxes[] = {{22, 51, 26, 24}, {52, 51, 26, 24}, {37, 24, 26, 24}};
    for (const QRectF& box : boxes) {
        fillRoundedRect(p, box, 4, t.primary());
        strokeLine(p, QPointF(box.left(), box.top() + 8), QPointF(box.right(), box.top() + 8), 2.4, t.cutout(1));
        fillRoundedRect(p, QRectF(box.center().x() - 5, box.top() + 13, 10, 3.4), 1.7, t.cutout(0.75));
    }
    fillRoundedRect(p, QRectF(45, 37, 10, 3.4), 1.7, t.onPrimaryAccent());
}

// Version control: a branch leaving the main line.
void drawGit(QPainter& p, const Tone& t)
{
    fill(p,
         united({strokeOutline(polyline({{34, 28}, {34, 72}}), 4.4), ellipse(QRectF(27, 20, 14, 14)),
                 ellipse(QRectF(27, 66, 14, 14))}),
         t.primary());
    QPainterPath branch;
    branch.moveTo(66, 32);
    branch.cubicTo(66, 50, 34, 46, 34, 62);
    stroke(p, branch, 4.4, t.mid());
    for (const QPointF& node : {QPointF(34, 27), QPointF(34, 73)}) {
        fillEllipse(p, QRectF(node.x() - 2.6, node.y() - 2.6, 5.2, 5.2), t.cutout(1));
    }
    fillEllipse(p, QRectF(56.6, 22.6, 18.8, 18.8), t.cutout(1));
    fillEllipse(p, QRectF(59, 25, 14, 14), t.accent());
}

// Virtual machines: a computer's window running inside another.
void drawVirt(QPainter& p, const Tone& t)
{
    const QRectF host(22, 24, 42, 34);
    fillRoundedRect(p, host, 6, t.soft());
    stroke(p, roundedRect(host, 6), 3, t.primary());
    fillRoundedRect(p, QRectF(33.6, 37.6, 45.8, 39.8), 8, t.cutout(1));
    fillRoundedRect(p, QRectF(36, 40, 41, 35), 6, t.primary());
    strokeLine(p, QPointF(36, 48), QPointF(77, 48), 2.4, t.cutout(1));
    fillRoundedRect(p, QRectF(42, 53, 29, 16), 3, t.cutout(0.75));
    fill(p, polygon({{53, 56}, {60, 61}, {53, 66}}), t.accent());
}

// Linked devices: a laptop and a phone side by side.
void drawLink(QPainter& p, const Tone& t)
{
    const QuorFlatPaint screen = t.isWhiteGlass ? QuorFlatPaint::cutout(0.5) : QuorFlatPaint::solid(t.accentColor);
    fillRoundedRect(p, QRectF(22, 30, 38, 27), 4, t.primary());
    fillRoundedRect(p, QRectF(26, 34, 30, 19), 2, screen);
    fillRoundedRect(p, QRectF(20, 59, 42, 4.6), 2.3, t.primary());
    fillRoundedRect(p, QRectF(56.6, 35.6, 22.8, 36.8), 6, t.cutout(1));
    fillRoundedRect(p, QRectF(59, 38, 18, 32), 4, t.primary());
    fillRoundedRect(p, QRectF(61.5, 42, 13, 22), 1.5, screen);
    strokeLine(p, QPointF(65, 67), QPointF(71, 67), 1.8, t.cutout(1));
}

// A phone with its apps on screen.
void drawPhone(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(33, 20, 34, 60), 8, t.primary());
    fillRoundedRect(p, QRectF(37, 27, 26, 44), 3, t.cutout(1));
    fillRoundedRect(p, QRectF(45, 22.6, 10, 2.4), 1.2, t.cutout(1));
    fillRoundedRect(p, QRectF(44, 74.5, 12, 2.6), 1.3, t.cutout(1));
    fillRoundedRect(p, QRectF(40, 31, 9, 9), 2.4, t.primary());
    fillRoundedRect(p, QRectF(51, 31, 9, 9), 2.4, t.primary());
    fillRoundedRect(p, QRectF(40, 42, 9, 9), 2.4, t.primary());
    fillRoundedRect(p, QRectF(51, 42, 9, 9), 2.4, t.accent());
    fillRoundedRect(p, QRectF(40, 57, 20, 5), 2.5, t.mid());
}

// A disk's usage as a ring chart, one share pulled out.
void drawDisk(QPainter& p, const Tone& t)
{
    const QPointF centre(48, 52);
    fill(p, pie(centre, 26, 0, 160), t.primary());
    fill(p, pie(centre, 26, 160, 270), t.mid());
    fill(p, pie(QPointF(52, 48), 26, -90, 0), t.accent());
    fillEllipse(p, QRectF(centre.x() - 9, centre.y() - 9, 18, 18), t.cutout(1));
}

// A lifebuoy.
void drawRescue(QPainter& p, const Tone& t)
{
    const QPointF centre(50, 50);
    stroke(p, ellipse(QRectF(28.5, 28.5, 43, 43)), 10.5, QuorFlatPaint::solid(t.primaryColor));
    const QuorFlatPaint band = t.isWhiteGlass ? QuorFlatPaint::cutout(0.62) : QuorFlatPaint::solid(t.accentColor);
    for (const double middle : {-90.0, 90.0, 0.0, 180.0}) {
        stroke(p, arc(centre, 21.5, middle - 12, middle + 12), 11, band);
    }
}

// Files: a folder.
void drawFiles(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(22, 26, 24, 12), 4, t.primary());
    fillRoundedRect(p, QRectF(22, 31, 56, 44), 6, t.mid());
    fillRoundedRect(p, QRectF(22, 40, 56, 35), 6, t.primary());
    strokeLine(p, QPointF(22, 39.6), QPointF(78, 39.6), 2, t.cutout(1));
    fillRoundedRect(p, QRectF(43, 55, 14, 4), 2, t.onPrimaryAccent());
}

// A guard: a shield with a gem.
void drawGuard(QPainter& p, const Tone& t)
{
    splitShield(p, t);
    fill(p, polygon({{50, 39.5}, {58, 48.5}, {50, 57.5}, {42, 48.5}}), t.onPrimaryAccent());
}

// A backup: a cloud taking an upload.
void drawBackup(QPainter& p, const Tone& t)
{
    fill(p,
         united({ellipse(QRectF(22, 44, 24, 24)), ellipse(QRectF(34, 28, 32, 32)), ellipse(QRectF(54, 40, 24, 24)),
                 roundedRect(QRectF(34, 52, 32, 16), 0)}),
         t.primary());
    strokeLine(p, QPointF(50, 70), QPointF(50, 46), 4.4, t.cutout(1));
    stroke(p, polyline({{42, 54}, {50, 46}, {58, 54}}), 4.4, t.cutout(1));
    fillRoundedRect(p, QRectF(30, 72, 40, 4.4), 2.2, t.accent());
}

} // namespace

namespace QuorEmblemArtworkSystemNet {

bool draw(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone)
{
    using Drawing = void (*)(QPainter&, const QuorEmblemTone&);
    static constexpr Drawing drawings[] = {
        drawMonitor, drawMemory, drawCleaner, drawAwake, drawBattery, drawNotch, drawTweaks, drawNetworkScope,
        drawBeam,    drawTorrent, drawFetch,  drawProxy, drawOnion,   drawDns,   drawWall,   drawVpn,
        drawApi,     drawShell,  drawFlow,    drawFind,  drawBase,    drawVault, drawBoxes,  drawGit,
        drawVirt,    drawLink,   drawPhone,   drawDisk,  drawRescue,  drawFiles, drawGuard,  drawBackup,
    };
    static_assert(std::size(drawings) == 32);
    const int row = QuorAppIdentities::index(app) - firstRow;
    if (row < 0 || row >= static_cast<int>(std::size(drawings))) {
        return false;
    }
    drawings[row](painter, tone);
    return true;
}

} // namespace QuorEmblemArtworkSystemNet
