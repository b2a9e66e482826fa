#include "QuorKit/Design/Emblems/QuorEmblemArtworkProductivity.h"

#include "QuorKit/Design/Emblems/QuorFlatDraw.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

using namespace QuorFlatDraw;
using Tone = QuorEmblemTone;

// A grid of rounded holes (days, keys) with one of them lit.
void holeGrid(QPainter& p, const Tone& t, QPointF origin, QSizeF step, QSizeF cell, int rows, int columns,
              QPoint lit)
{
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QRectF hole(QPointF(origin.x() + column * step.width(), origin.y() + row * step.height()), cell);
            const double radius = std::min(cell.width(), cell.height()) * 0.28;
            fillRoundedRect(p, hole, radius, t.cutout(1));
            if (QPoint(column, row) == lit) {
                fillRoundedRect(p, hole, radius, t.accent());
            }
        }
    }
}

// A spiral notepad: three binding holes along the top and lines of text.
void drawNotes(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(27, 24, 46, 54), 8, t.primary());
    for (const double x : {33.0, 47.0, 61.0}) {
        fillEllipse(p, QRectF(x, 29, 6, 6), t.cutout(1));
    }
    fillRoundedRect(p, QRectF(35, 44, 30, 4.2), 2.1, t.cutout(0.75));
    fillRoundedRect(p, QRectF(35, 53, 30, 4.2), 2.1, t.cutout(0.75));
    fillRoundedRect(p, QRectF(35, 62, 19, 4.2), 2.1, t.onPrimaryAccent());
}

// Tally marks: four strokes struck through by a fifth, on a base line.
void drawTallyPad(QPainter& p, const Tone& t)
{
    for (const double x : {32.0, 42.0, 52.0, 62.0}) {
        strokeLine(p, QPointF(x, 28), QPointF(x, 64), 4.6, t.primary());
    }
    strokeLine(p, QPointF(25, 59), QPointF(70, 33), 9, t.cutout(1));
    strokeLine(p, QPointF(25, 59), QPointF(70, 33), 4.6, t.accent());
    fillRoundedRect(p, QRectF(24, 71, 52, 4.6), 2.3, t.mid());
}

// A fountain-pen nib with its slit and breather hole.
void drawInkwell(QPainter& p, const Tone& t)
{
    QPainterPath nib;
    nib.moveTo(36, 22);
    nib.lineTo(64, 22);
    nib.lineTo(64, 36);
    nib.cubicTo(64, 52, 56, 66, 50, 79);
    nib.cubicTo(44, 66, 36, 52, 36, 36);
    nib.closeSubpath();
    fill(p, nib, t.primary());
    strokeLine(p, QPointF(36, 33), QPointF(64, 33), 2.6, t.cutout(1));
    // The slit stops where the point is still wider than it: run to the tip, it would leave a
    // speck of the point standing alone below its end.
    strokeLine(p, QPointF(50, 53), QPointF(50, 71), 2.4, t.cutout(1));
    fillEllipse(p, QRectF(45.2, 44.2, 9.6, 9.6), t.cutout(1));
    fillEllipse(p, QRectF(47.6, 46.6, 4.8, 4.8), t.accent());
}

// A mind map: a centre idea joined to four branches.
void drawMindLoom(QPainter& p, const Tone& t)
{
    const QPointF centre(50, 50);
    const QPointF leaves[] = {{28, 29}, {72, 31}, {27, 70}, {72, 70}};
    for (const QPointF& leaf : leaves) {
        strokeLine(p, centre, leaf, 3.4, t.mid());
    }
    for (const QPointF& leaf : leaves) {
        fillEllipse(p, QRectF(leaf.x() - 6, leaf.y() - 6, 12, 12), t.primary());
    }
    fillEllipse(p, QRectF(39, 39, 22, 22), t.primary());
    fillEllipse(p, QRectF(45, 45, 10, 10), t.onPrimaryAccent());
}

// A page being built: a browser window with a header, a hero block and two columns.
void drawPageCraft(QPainter& p, const Tone& t)
{
    const QRectF window(22, 24, 56, 52);
    fillRoundedRect(p, window, 7, t.soft());
    fillRoundedRect(p, QRectF(22, 24, 56, 14), 7, t.primary());
    fillRoundedRect(p, QRectF(22, 31, 56, 7), 0, t.primary());
    stroke(p, roundedRect(window, 7), 3, t.primary());
    for (const double x : {28.0, 34.0, 40.0}) {
        fillEllipse(p, QRectF(x, 29, 3.6, 3.6), t.cutout(1));
    }
    fillRoundedRect(p, QRectF(29, 44, 42, 12), 3, t.primary());
    fillRoundedRect(p, QRectF(29, 61, 19, 9), 3, t.mid());
    fillRoundedRect(p, QRectF(52, 61, 19, 9), 3, t.accent());
}

// Stacked layers: a flat tile over two chevrons.
void drawStackly(QPainter& p, const Tone& t)
{
    stroke(p, polyline({{26, 61}, {50, 73}, {74, 61}}), 5, t.accent());
    stroke(p, polyline({{26, 50}, {50, 62}, {74, 50}}), 5, t.mid());
    fill(p, polygon({{50, 24}, {76, 37}, {50, 50}, {24, 37}}), t.primary());
}

// A wall calendar: binder rings, a grid of days and today marked.
void drawPlan(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(23, 28, 54, 48), 8, t.primary());
    strokeLine(p, QPointF(23, 40), QPointF(77, 40), 2.6, t.cutout(1));
    for (const double x : {34.0, 61.0}) {
        fillRoundedRect(p, QRectF(x - 2.4, 19.6, 9.8, 16.8), 4.9, t.cutout(1));
        fillRoundedRect(p, QRectF(x, 22, 5, 12), 2.5, t.primary());
    }
    holeGrid(p, t, QPointF(30, 46), QSizeF(11, 9.5), QSizeF(6.5, 6), 3, 4, QPoint(2, 1));
}

// A checklist: two ticked boxes and an open one, each with its line.
void drawTasks(QPainter& p, const Tone& t)
{
    const double rows[] = {25, 43, 61};
    const double lengths[] = {34, 28, 22};
    for (int i = 0; i < 3; ++i) {
        const double y = rows[i];
        if (i < 2) {
            fillRoundedRect(p, QRectF(23, y, 13, 13), 3.5, t.primary());
            stroke(p, polyline({{26.3, y + 6.8}, {28.9, y + 9.4}, {32.8, y + 4}}), 2.4, t.cutout(1));
        } else {
            stroke(p, roundedRect(QRectF(24.3, y + 1.3, 10.4, 10.4), 2.6), 2.6, t.primary());
        }
        fillRoundedRect(p, QRectF(42, y + 4, lengths[i], 5), 2.5, i < 2 ? t.mid() : t.primary());
    }
}

// A focus timer: a stopwatch with its crown and the session's elapsed share.
void drawFocus(QPainter& p, const Tone& t)
{
    const QPointF centre(50, 54);
    const QRectF dial(26, 30, 48, 48);
    fillEllipse(p, dial, t.soft());
    fill(p, united({strokeOutline(ellipse(dial), 4), roundedRect(QRectF(43, 20, 14, 6), 3),
                    roundedRect(QRectF(48.2, 24, 3.6, 6), 0)}),
         t.primary());
    fill(p, pie(centre, 17, -90, 30), t.primary());
    fillEllipse(p, QRectF(centre.x() - 3.2, centre.y() - 3.2, 6.4, 6.4), t.accent());
}

// A clipboard: the board, its clip and the copied lines.
void drawClip(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(25, 26, 50, 52), 7, t.primary());
    fillRoundedRect(p, QRectF(36.4, 18.6, 27.2, 15.2), 6, t.cutout(1));
    fillRoundedRect(p, QRectF(39, 21, 22, 10), 5, t.accent());
    fillRoundedRect(p, QRectF(46, 24.2, 8, 3.6), 1.8, t.cutout(1));
    fillRoundedRect(p, QRectF(33, 44, 34, 4.2), 2.1, t.cutout(0.75));
    fillRoundedRect(p, QRectF(33, 53, 34, 4.2), 2.1, t.cutout(0.75));
    fillRoundedRect(p, QRectF(33, 62, 22, 4.2), 2.1, t.cutout(0.75));
}

// A pencil writing a line.
void drawDraft(QPainter& p, const Tone& t)
{
    // The pencil lies at 45 degrees: its axis runs from the tip (26, 74) up to the right.
    const double h = 6.0 / std::numbers::sqrt2; // half its width along each axis
    const QPointF a(36 - h, 64 - h);
    const QPointF b(36 + h, 64 + h);
    const QPointF c(72 + h, 28 + h);
    const QPointF d(72 - h, 28 - h);
    fill(p, polygon({a, d, c, b}), t.primary());
    fill(p, polygon({a, QPointF(25, 75), b}), t.mid());
    fill(p, polygon({QPointF(28.6, 67.2), QPointF(25, 75), QPointF(32.8, 71.4)}), t.primary());
    strokeLine(p, QPointF(62 - h - 0.6, 38 - h - 0.6), QPointF(62 + h + 0.6, 38 + h + 0.6), 2.6, t.cutout(1));
    strokeLine(p, QPointF(40, 76.5), QPointF(74, 76.5), 3, t.accent());
}

// An envelope with its flap and side folds.
void drawMail(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(21, 30, 58, 40), 6, t.primary());
    stroke(p, polyline({{24, 34}, {50, 54}, {76, 34}}), 3.4, t.cutout(1));
    strokeLine(p, QPointF(25, 66), QPointF(42, 50), 2.4, t.cutout(0.75));
    strokeLine(p, QPointF(75, 66), QPointF(58, 50), 2.4, t.cutout(0.75));
}

// An open book.
void drawRead(QPainter& p, const Tone& t)
{
    QPainterPath left;
    left.moveTo(48.4, 31);
    left.cubicTo(41, 25.5, 31, 25, 22, 28);
    left.lineTo(22, 71);
    left.cubicTo(31, 68, 41, 68.5, 48.4, 74);
    left.closeSubpath();
    fill(p, left, t.primary());
    fill(p, mirrored(left), t.primary());
    for (const double y : {39.0, 47.0, 55.0}) {
        fillRoundedRect(p, QRectF(28, y, 15, 3.2), 1.6, t.cutout(0.75));
        fillRoundedRect(p, QRectF(57, y, 15, 3.2), 1.6, t.cutout(0.75));
    }
    fillRoundedRect(p, QRectF(57, 63, 10, 3.2), 1.6, t.onPrimaryAccent());
}

// Documents: a second page stacked behind the first.
void drawDocs(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(22, 21, 38, 46), 6, t.mid());
    fillRoundedRect(p, QRectF(37.6, 29.6, 40.8, 48.8), 8.4, t.cutout(1));
    fillRoundedRect(p, QRectF(40, 32, 36, 44), 6, t.primary());
    fillRoundedRect(p, QRectF(46, 41, 18, 4.4), 2.2, t.cutout(1));
    fillRoundedRect(p, QRectF(46, 51, 24, 3.4), 1.7, t.cutout(0.75));
    fillRoundedRect(p, QRectF(46, 58, 24, 3.4), 1.7, t.cutout(0.75));
    fillRoundedRect(p, QRectF(46, 65, 15, 3.4), 1.7, t.cutout(0.75));
}

// A spreadsheet: a grid with one selected cell.
void drawSheet(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(22, 26, 56, 48), 7, t.primary());
    for (const double x : {38.0, 58.0}) {
        strokeLine(p, QPointF(x, 26), QPointF(x, 74), 2.4, t.cutout(1));
    }
    for (const double y : {38.0, 50.0, 62.0}) {
        strokeLine(p, QPointF(22, y), QPointF(78, y), 2.4, t.cutout(1));
    }
    fillRoundedRect(p, QRectF(39.2, 51.2, 17.6, 9.6), 0, t.onPrimaryAccent());
}

// A calculator: display, keypad and the equals key.
void drawCalc(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(29, 21, 42, 58), 8, t.primary());
    fillRoundedRect(p, QRectF(35, 27, 30, 12), 3, t.cutout(1));
    fillRoundedRect(p, QRectF(50, 30.5, 11, 5), 2.5, t.accent());
    holeGrid(p, t, QPointF(35, 45), QSizeF(10.6, 10.6), QSizeF(8.2, 8.2), 3, 3, QPoint(2, 2));
}

// Flash cards: a question card in front of another.
void drawCards(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(32, 22, 44, 30), 6, t.mid());
    fillRoundedRect(p, QRectF(22.4, 36.4, 49.2, 35.2), 8.6, t.cutout(1));
    fillRoundedRect(p, QRectF(25, 39, 44, 30), 6, t.primary());
    QPainterPath question;
    question.moveTo(42.5, 48.5);
    question.cubicTo(42.5, 43.6, 51.5, 43.6, 51.5, 48.5);
    question.cubicTo(51.5, 52, 47, 52.5, 47, 56);
    stroke(p, question, 3.2, t.cutout(1));
    fillEllipse(p, QRectF(45.1, 59.6, 3.8, 3.8), t.cutout(1));
}

// A bookshelf: three books standing and one leaning.
void drawShelf(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(22, 71, 56, 5), 2.5, t.primary());
    fillRoundedRect(p, QRectF(25, 34, 10, 35), 2, t.primary());
    fillRoundedRect(p, QRectF(37, 27, 9, 42), 2, t.mid());
    fillRoundedRect(p, QRectF(48, 38, 10, 31), 2, t.primary());
    fill(p, polygon({{60, 69}, {68.5, 69}, {77, 42}, {68.8, 39.6}}), t.accent());
    strokeLine(p, QPointF(25, 42), QPointF(35, 42), 2.2, t.cutout(1));
    strokeLine(p, QPointF(48, 46), QPointF(58, 46), 2.2, t.cutout(1));
}

// A PDF file: a page with a label band.
void drawPdf(QPainter& p, const Tone& t)
{
    foldedSheet(p, t);
    fillRoundedRect(p, QRectF(20.6, 50.6, 42.8, 19.8), 6.4, t.cutout(1));
    fillRoundedRect(p, QRectF(23, 53, 38, 15), 4, t.accent());
    // "P", "D", "F" in strokes.
    QPainterPath letters;
    letters.moveTo(29, 64.5);
    letters.lineTo(29, 56.5);
    letters.lineTo(31.8, 56.5);
    letters.cubicTo(34.6, 56.5, 34.6, 60.7, 31.8, 60.7);
    letters.lineTo(29, 60.7);
    letters.moveTo(39, 56.5);
    letters.lineTo(39, 64.5);
    letters.lineTo(40.5, 64.5);
    letters.cubicTo(45.2, 64.5, 45.2, 56.5, 40.5, 56.5);
    letters.closeSubpath();
    letters.moveTo(54.5, 56.5);
    letters.lineTo(50, 56.5);
    letters.lineTo(50, 64.5);
    letters.moveTo(50, 60.5);
    letters.lineTo(53.5, 60.5);
    stroke(p, letters, 1.8, t.cutout(1));
}

// A key, standing at 45 degrees.
void drawKeys(QPainter& p, const Tone& t)
{
    p.save();
    p.translate(67, 33);
    p.rotate(-45);
    // Local space: the bow at the origin, the blade running left.
    fillEllipse(p, QRectF(-13, -13, 26, 26), t.primary());
    fillRoundedRect(p, QRectF(-48, -3.8, 40, 7.6), 3.8, t.primary());
    fillRoundedRect(p, QRectF(-44, 2, 6, 9), 1.5, t.primary());
    fillRoundedRect(p, QRectF(-35, 2, 5, 6.5), 1.5, t.primary());
    fillEllipse(p, QRectF(-4.5, -4.5, 9, 9), t.cutout(1));
    // Accent over the white key would not show: a gap around the collar sets it off.
    fillRoundedRect(p, QRectF(-19.1, -7.6, 7.2, 15.2), 3.6, t.cutout(1));
    fillRoundedRect(p, QRectF(-17.5, -6, 4, 12), 2, t.accent());
    p.restore();
}

// Scissors: two rings and two crossed blades.
void drawSnips(QPainter& p, const Tone& t)
{
    strokeLine(p, QPointF(41, 58), QPointF(62, 23), 5.5, t.primary());
    strokeLine(p, QPointF(59, 58), QPointF(38, 23), 5.5, t.mid());
    stroke(p, ellipse(QRectF(25, 57, 17, 17)), 4.2, t.primary());
    stroke(p, ellipse(QRectF(58, 57, 17, 17)), 4.2, t.mid());
    // The blades cross at (50, 43). A ring erased around the pivot shows it in every tone, where
    // the accent alone would be lost on white blades.
    fillEllipse(p, QRectF(45.4, 38.4, 9.2, 9.2), QuorFlatPaint::cutout(1));
    fillEllipse(p, QRectF(47, 40, 6, 6), t.accent());
}

// A journal: a bound cover with a label and a ribbon.
void drawJournal(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(26, 22, 46, 56), 6, t.primary());
    strokeLine(p, QPointF(34, 22), QPointF(34, 78), 2.4, t.cutout(1));
    fillRoundedRect(p, QRectF(41, 36, 22, 10), 3, t.cutout(0.75));
    fill(p, polygon({{56, 22}, {64, 22}, {64, 64}, {60, 60}, {56, 64}}), t.onPrimaryAccent());
}

// A clock face with its twelve hour marks and two hands.
void drawClock(QPainter& p, const Tone& t)
{
    const QRectF face(24, 24, 52, 52);
    fillEllipse(p, face, t.soft());
    stroke(p, ellipse(face), 4, t.primary());
    for (int hour = 0; hour < 12; ++hour) {
        const double angle = hour * std::numbers::pi / 6;
        const double r = hour % 3 == 0 ? 2.4 : 1.5;
        const QPointF mark(50 + 19 * std::cos(angle), 50 + 19 * std::sin(angle));
        fillEllipse(p, QRectF(mark.x() - r, mark.y() - r, 2 * r, 2 * r), t.primary());
    }
    strokeLine(p, QPointF(50, 50), QPointF(50, 35), 4, t.primary());
    strokeLine(p, QPointF(50, 50), QPointF(61, 57), 3, t.accent());
    fillEllipse(p, QRectF(47, 47, 6, 6), t.primary());
}

// A form: two fields, a ticked box and a send button.
void drawForms(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(22, 22, 56, 56), 8, t.primary());
    fillRoundedRect(p, QRectF(30, 30, 40, 8), 3, t.cutout(1));
    fillRoundedRect(p, QRectF(30, 44, 40, 8), 3, t.cutout(1));
    fillRoundedRect(p, QRectF(30, 59, 8, 8), 2, t.cutout(1));
    fillEllipse(p, QRectF(32.2, 61.2, 3.6, 3.6), t.accent());
    fillRoundedRect(p, QRectF(46, 59, 24, 8), 4, t.onPrimaryAccent());
}

// Two chain links.
void drawLinks(QPainter& p, const Tone& t)
{
    stroke(p, roundedRect(QRectF(21, 35, 36, 20), 10), 5, t.primary());
    stroke(p, roundedRect(QRectF(43, 45, 36, 20), 10), 9.6, t.cutout(1));
    stroke(p, roundedRect(QRectF(43, 45, 36, 20), 10), 5, t.accent());
}

// A scanner's viewfinder over a page, with the scan line.
void drawScan(QPainter& p, const Tone& t)
{
    fillRoundedRect(p, QRectF(32, 32, 36, 36), 4, t.soft());
    stroke(p, polyline({{24, 37}, {24, 24}, {37, 24}}), 5, t.primary());
    stroke(p, polyline({{63, 24}, {76, 24}, {76, 37}}), 5, t.primary());
    stroke(p, polyline({{24, 63}, {24, 76}, {37, 76}}), 5, t.primary());
    stroke(p, polyline({{63, 76}, {76, 76}, {76, 63}}), 5, t.primary());
    fillRoundedRect(p, QRectF(28, 48, 44, 4.4), 2.2, t.accent());
}

} // namespace

namespace QuorEmblemArtworkProductivity {

bool draw(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone)
{
    using Drawing = void (*)(QPainter&, const QuorEmblemTone&);
    static constexpr Drawing drawings[] = {
        drawNotes, drawTallyPad, drawInkwell, drawMindLoom, drawPageCraft, drawStackly, drawPlan,
        drawTasks, drawFocus,    drawClip,    drawDraft,    drawMail,      drawRead,    drawDocs,
        drawQuorZub, drawSheet,  drawCalc,    drawCards,    drawShelf,     drawPdf,     drawKeys,
        drawSnips, drawJournal,  drawClock,   drawForms,    drawLinks,     drawScan,
    };
    static_assert(std::size(drawings) == 27);
    const int row = QuorAppIdentities::index(app);
    if (row < 0 || row >= static_cast<int>(std::size(drawings))) {
        return false;
    }
    drawings[row](painter, tone);
    return true;
}

void drawQuorZub(QPainter& painter, const QuorEmblemTone& tone)
{
    fillRoundedRect(painter, QRectF(22, 28, 56, 22), 11, tone.primary());
    fillEllipse(painter, QRectF(32.6, 35.6, 6.8, 6.8), tone.cutout(1));
    fillEllipse(painter, QRectF(46.6, 35.6, 6.8, 6.8), tone.onPrimaryAccent());
    fillEllipse(painter, QRectF(60.6, 35.6, 6.8, 6.8), tone.cutout(1));
    fill(painter, polygon({{45, 49}, {55, 49}, {50, 56}}), tone.primary());
    fillRoundedRect(painter, QRectF(26, 61, 48, 6.5), 3.25, tone.mid());
    fillRoundedRect(painter, QRectF(36, 71, 28, 4.5), 2.25, tone.accent());
}

} // namespace QuorEmblemArtworkProductivity
