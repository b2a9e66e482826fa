#include "QuorKit/Design/Emblems/QuorEmblemArtworkMedia.h"

#include "QuorKit/Design/Emblems/QuorFlatDraw.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace QuorFlatDraw;

namespace QuorEmblemArtworkMedia {

// A camera: body, viewfinder hump, lens and flash.
void drawQuorCamera(QPainter& p, const QuorEmblemTone& t)
{
    fill(p, united({roundedRect(QRectF(21, 32, 58, 41), 8), roundedRect(QRectF(34, 25, 20, 12), 3.5)}), t.primary());
    fillEllipse(p, QRectF(36, 39, 28, 28), t.cutout(1));
    fillEllipse(p, QRectF(41, 44, 18, 18), t.mid());
    fillEllipse(p, QRectF(44.5, 47.5, 5.5, 5.5), t.accent());
    fillRoundedRect(p, QRectF(66, 38, 7, 4.4), 2.2, t.cutout(0.75));
}

// A pair of beamed eighth notes.
void drawQuorTunes(QPainter& p, const QuorEmblemTone& t)
{
    fill(p,
         united({polygon({{35.5, 29}, {68, 23}, {68, 31.5}, {35.5, 37.5}}), roundedRect(QRectF(35.5, 30, 4.6, 37), 0),
                 roundedRect(QRectF(63.4, 24, 4.6, 37), 0), ellipse(QRectF(24.5, 61, 15.6, 12.4))}),
         t.primary());
    fillEllipse(p, QRectF(52.4, 55, 15.6, 12.4), t.accent());
}

// A radio: antenna, round speaker grille and tuning dial.
void drawQuorRadio(QPainter& p, const QuorEmblemTone& t)
{
    strokeLine(p, QPointF(33, 37), QPointF(63, 22), 2.8, t.primary());
    fillRoundedRect(p, QRectF(21, 36, 58, 38), 8, t.primary());
    const QPointF speaker(37, 55);
    fillEllipse(p, QRectF(speaker.x() - 2, speaker.y() - 2, 4, 4), t.cutout(1));
    for (int i = 0; i < 8; ++i) {
        const double angle = i * std::numbers::pi / 4;
        const QPointF hole(speaker.x() + 8.5 * std::cos(angle), speaker.y() + 8.5 * std::sin(angle));
        fillEllipse(p, QRectF(hole.x() - 2, hole.y() - 2, 4, 4), t.cutout(1));
    }
    fillRoundedRect(p, QRectF(54, 44, 18, 5.4), 2.7, t.cutout(1));
    fillEllipse(p, QRectF(57.5, 54, 11, 11), t.cutout(1));
    fillEllipse(p, QRectF(60.5, 57, 5, 5), t.accent());
}

// A mixer: three faders at different levels.
void drawQuorMixer(QPainter& p, const QuorEmblemTone& t)
{
    const double tracks[] = {30, 50, 70};
    const double knobs[] = {52, 27, 42};
    for (int i = 0; i < 3; ++i) {
        fillRoundedRect(p, QRectF(tracks[i] - 2.4, 21, 4.8, 58), 2.4, t.mid());
    }
    for (int i = 0; i < 3; ++i) {
        const QRectF knob(tracks[i] - 8.5, knobs[i], 17, 13);
        fillRoundedRect(p, knob, 4, i == 2 ? t.accent() : t.primary());
        strokeLine(p, QPointF(tracks[i] - 4, knobs[i] + 6.5), QPointF(tracks[i] + 4, knobs[i] + 6.5), 2.2,
                   t.cutout(1));
    }
}

// A microphone on its stand.
void drawQuorVoice(QPainter& p, const QuorEmblemTone& t)
{
    fillRoundedRect(p, QRectF(39, 20, 22, 36), 11, t.primary());
    for (const double y : {30.0, 37.0, 44.0}) {
        strokeLine(p, QPointF(45, y), QPointF(55, y), 2.4, t.cutout(1));
    }
    QPainterPath holder;
    holder.moveTo(31, 44);
    holder.cubicTo(31, 56, 40, 64, 50, 64);
    holder.cubicTo(60, 64, 69, 56, 69, 44);
    stroke(p, holder, 3.8, t.primary());
    strokeLine(p, QPointF(50, 64), QPointF(50, 74), 3.8, t.primary());
    strokeLine(p, QPointF(40, 76), QPointF(60, 76), 3.8, t.accent());
}

// A framed photo: hills under the sun.
void drawQuorPhoto(QPainter& p, const QuorEmblemTone& t)
{
    fillRoundedRect(p, QRectF(21, 25, 58, 50), 8, t.primary());
    fillRoundedRect(p, QRectF(27, 31, 46, 38), 4, t.cutout(1));
    fill(p, polygon({{29, 66.5}, {43, 46}, {53, 58}, {59, 51}, {71, 66.5}}), t.primary());
    fillEllipse(p, QRectF(58, 35, 9, 9), t.accent());
}

// A script: a page with its lines.
void drawQuorScript(QPainter& p, const QuorEmblemTone& t)
{
    foldedSheet(p, t);
    fillRoundedRect(p, QRectF(35, 47.5, 22, 4.2), 2.1, t.cutout(0.55));
    fillRoundedRect(p, QRectF(35, 56, 30, 4.2), 2.1, t.cutout(0.55));
    fillRoundedRect(p, QRectF(35, 64.5, 17, 4.2), 2.1, t.cutout(0.55));
}

// A paintbrush and the stroke it left.
void drawQuorSketch(QPainter& p, const QuorEmblemTone& t)
{
    strokeLine(p, QPointF(73, 23), QPointF(55, 41), 6.5, t.primary());
    strokeLine(p, QPointF(54, 42), QPointF(48.5, 47.5), 9.5, t.mid());
    QPainterPath bristles;
    bristles.moveTo(44, 46);
    bristles.lineTo(51, 53);
    bristles.cubicTo(49.5, 60, 45, 63, 39, 65);
    bristles.cubicTo(34, 67, 30, 70, 25, 75);
    bristles.cubicTo(27, 68, 29, 62, 33, 56);
    bristles.cubicTo(36, 51, 40, 48, 44, 46);
    bristles.closeSubpath();
    fill(p, bristles, t.primary());
    QPainterPath trail;
    trail.moveTo(47, 73);
    trail.cubicTo(55, 63, 63, 79, 75, 67);
    stroke(p, trail, 3.4, t.accent());
}

// A ruler with its marks and the span it measures.
void drawQuorRuler(QPainter& p, const QuorEmblemTone& t)
{
    fillRoundedRect(p, QRectF(20, 40, 60, 24), 4, t.mid());
    for (int i = 0; i < 9; ++i) {
        const double x = 26 + i * 6;
        // Started half a width down, the round cap ends on the body's edge instead of above it.
        strokeLine(p, QPointF(x, 41.3), QPointF(x, i % 2 == 0 ? 53 : 47), 2.6, t.primary());
    }
    strokeLine(p, QPointF(27, 29), QPointF(73, 29), 2.6, t.accent());
    stroke(p, polyline({{31, 25}, {27, 29}, {31, 33}}), 2.6, t.accent());
    stroke(p, polyline({{69, 25}, {73, 29}, {69, 33}}), 2.6, t.accent());
}

// Crop marks around a frame.
void drawQuorFrame(QPainter& p, const QuorEmblemTone& t)
{
    fillRoundedRect(p, QRectF(33, 33, 34, 34), 2, t.primaryAlpha(0.24));
    stroke(p, polyline({{34, 22}, {34, 66}, {78, 66}}), 6, t.primary());
    stroke(p, polyline({{22, 34}, {66, 34}, {66, 78}}), 6, t.accent());
}

// A podcast: a microphone head inside broadcast rings.
void drawQuorPodcast(QPainter& p, const QuorEmblemTone& t)
{
    const QPointF centre(50, 46);
    stroke(p, arc(centre, 24, 130, 410), 4, t.mid());
    stroke(p, arc(centre, 15, 125, 415), 4, t.primary());
    fillEllipse(p, QRectF(centre.x() - 7, centre.y() - 7, 14, 14), t.primary());
    fillRoundedRect(p, QRectF(46.5, 57, 7, 21), 3.5, t.accent());
}

// A waveform of seven bars with the playhead.
void drawQuorWave(QPainter& p, const QuorEmblemTone& t)
{
    struct Bar {
        double x;
        double height;
        bool full;
    };
    static constexpr Bar bars[] = {{24, 18, false}, {32.5, 32, true}, {41, 46, true}, {49.5, 38, false},
                                   {58, 50, true},  {66.5, 28, false}, {75, 16, false}};
    for (const Bar& bar : bars) {
        const QRectF rect(bar.x - 2.6, 50 - bar.height / 2, 5.2, bar.height);
        fillRoundedRect(p, rect, std::min(2.6, bar.height / 2),
                        bar.full ? QuorFlatPaint::solid(t.primaryColor) : t.mid());
    }
    fillRoundedRect(p, QRectF(48.1, 21, 2.8, 58), 1.4,
                    QuorFlatPaint::solid(t.isWhiteGlass ? t.primaryColor : t.accentColor));
}

// A clapperboard: the striped clapper raised over the slate.
void drawQuorStudio(QPainter& p, const QuorEmblemTone& t)
{
    fillRoundedRect(p, QRectF(22, 42, 56, 34), 5, t.primary());
    fill(p, polygon({{22, 33}, {74, 23}, {75.6, 31.4}, {23.6, 41.4}}), t.primary());
    strokeLine(p, QPointF(22, 52), QPointF(78, 52), 2.4, t.cutout(1));
    for (int i = 0; i < 4; ++i) {
        const double x = 29 + i * 12.5;
        fill(p, polygon({{x, 42}, {x + 6, 42}, {x + 2, 50.8}, {x - 4, 50.8}}), t.cutout(1));
        const double y = 31.5 - i * 2.4; // the raised clapper slopes up to the right
        fill(p, polygon({{x - 1, y + 1}, {x + 5, y - 0.2}, {x + 3, y + 8.4}, {x - 3, y + 9.6}}), t.cutout(1));
    }
    fillRoundedRect(p, QRectF(29, 60, 22, 4), 2, t.cutout(0.75));
    fillRoundedRect(p, QRectF(29, 67, 14, 4), 2, t.cutout(0.75));
}

// Colour picking: an eyedropper at 45 degrees and a two-tone swatch.
void drawQuorColor(QPainter& p, const QuorEmblemTone& t)
{
    p.save();
    p.translate(50, 50);
    p.rotate(-45);
    // Local space: the dropper stands upright through the centre, bulb on top.
    fillRoundedRect(p, QRectF(-7, -31, 14, 16), 7, t.primary());
    fillRoundedRect(p, QRectF(-9.5, -17, 19, 6), 3, t.primary());
    fillRoundedRect(p, QRectF(-4.5, -11, 9, 28), 2.5, t.mid());
    fill(p, polygon({{-4.5, 16}, {4.5, 16}, {0, 26}}), t.primary());
    p.restore();
    const QRectF swatch(24, 57, 18, 18);
    fillEllipse(p, swatch.adjusted(-2.4, -2.4, 2.4, 2.4), t.cutout(1));
    fillEllipse(p, swatch, t.primary());
    fill(p, pie(swatch.center(), 9, -90, 90), t.cutout(1));
    fill(p, pie(swatch.center(), 9, -90, 90), t.accentAlpha(0.55));
}

// Casting to a screen: a frame open at one corner where the waves rise.
void drawQuorCast(QPainter& p, const QuorEmblemTone& t)
{
    QPainterPath frame;
    frame.moveTo(22, 44);
    frame.lineTo(22, 33);
    frame.cubicTo(22, 28.6, 25.6, 25, 30, 25);
    frame.lineTo(70, 25);
    frame.cubicTo(74.4, 25, 78, 28.6, 78, 33);
    frame.lineTo(78, 67);
    frame.cubicTo(78, 71.4, 74.4, 75, 70, 75);
    frame.lineTo(55, 75);
    stroke(p, frame, 4.2, t.primary());
    const QPointF corner(24, 74);
    fillEllipse(p, QRectF(corner.x() - 1, corner.y() - 7, 8, 8), t.primary());
    stroke(p, arc(corner, 14, -90, 0), 4.2, t.primary());
    stroke(p, arc(corner, 24, -90, 0), 4.2, t.accent());
}

} // namespace QuorEmblemArtworkMedia
