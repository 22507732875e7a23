// SPDX-License-Identifier: GPL-3.0-or-later
// Reading text without an engine: how a picture is prepared for it, where a tall one is cut,
// where text was left unread and which words of a line are kept.
#include "ocr/BandCut.h"
#include "ocr/ImagePreparation.h"
#include "ocr/InkLines.h"
#include "ocr/LineFilters.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QSet>

using namespace vellumbox;
using namespace vellumbox::testing;
using namespace Qt::StringLiterals;

namespace {

// A screen-like picture, the ink box of each character written on it, and of each line,
// written or ruled: the only places where ink may remain.
struct Scene {
    QImage image;
    QList<QRect> glyphs;
    QList<QRect> lines;

    Scene(QSize size, const QBrush& backdrop)
        : image(size, QImage::Format_RGB32)
    {
        QPainter(&image).fillRect(image.rect(), backdrop);
    }
    Scene& write(QPoint baseline, const QString& text, int pixelSize, const QColor& colour,
                 bool bold = false, const QString& family = u"DejaVu Sans"_s)
    {
        QFont font(family);
        font.setPixelSize(pixelSize);
        font.setBold(bold);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(baseline, text);
        const QFontMetrics metrics(font);
        lines.append(QRect());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int x = baseline.x() + metrics.horizontalAdvance(text.left(i));
            if (!text.at(i).isSpace())
                lines.last() |= glyphs.emplace_back(
                    metrics.boundingRect(text.at(i)).translated(x, baseline.y()));
        }
        return *this;
    }
    // A rounded patch of colour, such as a button or a badge: no text of its own.
    Scene& patch(const QRectF& area, const QColor& colour, qreal radius)
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(area, radius, radius);
        return *this;
    }
    // The outline of a box, such as a check box: no text of its own.
    Scene& outline(const QRect& area, const QColor& colour)
    {
        QPainter p(&image);
        p.setPen(colour);
        p.drawRect(area);
        return *this;
    }
    Scene& rule(const QRect& area, const QColor& colour)
    {
        QPainter(&image).fillRect(area, colour);
        lines.append(area);
        return *this;
    }
};

bool inked(const QImage& gray, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        if (std::any_of(row + area.left(), row + area.right() + 1, [](uchar v) { return v < 128; }))
            return true;
    }
    return false;
}

// Which of `boxes` hold the glyphs, the first that `holds` each; none when a glyph has none.
template <typename Holds>
std::optional<QSet<qsizetype>> holders(const QList<QRect>& glyphs, const QList<QRect>& boxes,
                                       Holds holds)
{
    QSet<qsizetype> found;
    for (const QRect& glyph : glyphs) {
        const auto at = std::ranges::find_if(
            boxes, [&](const QRect& box) { return std::invoke(holds, box, glyph); });
        if (at == boxes.end())
            return std::nullopt;
        found.insert(at - boxes.begin());
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Scene)
Q_DECLARE_METATYPE(QList<vellumbox::EngineWord>)

class TestTextReading : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void preparedTextStandsAloneAndNoCutCrossesIt_data()
    {
        columns<Scene>({"scene"});
        const QColor dark(0x202020);
        row("a large number over a small caption",
            Scene({200, 110}, QColor(0xf5f5f5))
                .write({16, 64}, u"1,284"_s, 52, dark, true)
                .write({16, 92}, u"Open issues"_s, 11, QColor(0x707070)));
        QLinearGradient ramp(0, 0, 320, 0);
        ramp.setStops({{0, QColor(0x1c71d8)}, {1, QColor(0x99c1f1)}});
        row("light text on a gradient",
            Scene({320, 60}, ramp).write({20, 36}, u"Continue to checkout"_s, 15, Qt::white));
        row("a short button label", Scene({160, 70}, QColor(0xececec))
                                        .patch({16, 16, 80, 36}, QColor(0x3584e4), 6)
                                        .write({42, 40}, u"OK"_s, 14, Qt::white, true));
        Scene url({360, 40}, Qt::white);
        url.write({10, 24}, u"https://vellumbox.org/download"_s, 13, QColor(0x1a5fb4));
        row("a URL", url.rule({10, 27, url.lines.first().right() - 10, 1}, QColor(0x1a5fb4)));
        Scene cell({200, 80}, Qt::white);
        for (int i = 0; i < 3; ++i)
            cell.rule({10, 10 + 30 * i, 181, 1}, Qt::lightGray)
                .rule({10 + 90 * i, 10, 1, 61}, Qt::lightGray);
        row("a one-character table cell",
            cell.write({50, 31}, u"7"_s, 13, dark).write({112, 61}, u"Total"_s, 13, dark));
        row("a flat patch", Scene({300, 80}, QColor(0x336699)));
        // White on the selection's blue, a row's height, between rows of dark text.
        Scene selected({300, 60}, Qt::white);
        QPainter(&selected.image).fillRect(0, 20, 300, 14, QColor(0x308cc6));
        row("the selected row of a list",
            selected.write({4, 16}, u"Chapter 2 - The Harbour"_s, 12, dark)
                .write({4, 30}, u"Chapter 3 - Letters from Lisbon"_s, 12, Qt::white)
                .write({4, 44}, u"Chapter 4 - Night Train"_s, 12, dark));
        // Tall enough to be read in two bands; lines close together, as in a list, with
        // descenders in every line; the middle row runs through one.
        Scene list({360, 308}, Qt::white);
        for (int i = 0; i < 12; ++i)
            list.write({12, 34 + 24 * i}, u"Item %1 is on page %2"_s.arg(i + 1).arg(i * 37), 15,
                       dark);
        row("a tall list", list);
    }

    void preparedTextStandsAloneAndNoCutCrossesIt()
    {
        const auto [s] = fetch<Scene>({"scene"});
        const QImage prepared = readableGray(s.image);
        QCOMPARE(prepared.size(), s.image.size());
        for (const QRect& glyph : s.glyphs)
            QVERIFY2(inked(prepared, glyph),
                     qPrintable(u"no ink at %1,%2"_s.arg(glyph.x()).arg(glyph.y())));
        // Backgrounds, gradients and the edges of patches turn white.
        QImage rest = prepared.convertToFormat(QImage::Format_RGB32);
        QPainter p(&rest);
        for (const QRect& line : s.lines)
            p.fillRect(line.adjusted(-2, -2, 2, 2), Qt::white);
        p.end();
        QVERIFY(!inked(rest.convertToFormat(QImage::Format_Grayscale8), rest.rect()));
        // Text the engine's layout passes over is found by its ink; once read, nothing is left.
        const QList<QRect> unread =
            unreadTextLines(readableStrokesAtHalfSize(barsTurnedOver(s.image)), prepared, {});
        for (const QRect& glyph : s.glyphs)
            QVERIFY2(
                std::ranges::any_of(unread, [&](const QRect& r) { return r.intersects(glyph); }),
                qPrintable(u"no line at %1,%2"_s.arg(glyph.x()).arg(glyph.y())));
        QVERIFY(
            unreadTextLines(readableStrokesAtHalfSize(barsTurnedOver(s.image)), prepared, s.lines)
                .isEmpty());
        // A tall picture is cut between lines, into halves with about as much text each.
        const std::optional<int> cut = bandCut(prepared);
        QCOMPARE(cut.has_value(), s.image.height() >= 200);
        if (!cut)
            return;
        QVERIFY(std::ranges::none_of(s.lines, [&cut](const QRect& line) {
            return line.top() <= *cut && *cut <= line.bottom();
        }));
        const auto above = std::ranges::count_if(
            s.lines, [&cut](const QRect& line) { return line.bottom() < *cut; });
        QVERIFY(above * 4 >= s.lines.size() && (s.lines.size() - above) * 4 >= s.lines.size());
    }

    // A bar of one colour holding light text takes the shade around it, and its text the
    // opposite one; letters, however large and bold, and rules through them are no bars.
    void barsOfLightTextTurnOver_data()
    {
        // text: 1 dark on light, -1 light on dark, 0 the picture as it was
        columns<Scene, QRect, int>({"scene", "bar", "text"});
        const QColor dark(0x202020);
        Scene selected({300, 60}, Qt::white);
        QPainter(&selected.image).fillRect(0, 20, 300, 14, QColor(0x308cc6));
        row("the selected row of a list",
            selected.write({4, 30}, u"Chapter 3 - Letters from Lisbon"_s, 12, Qt::white),
            QRect(0, 20, 300, 14), 1);
        row("a badge on light grey",
            Scene({120, 40}, QColor(0xf0f0f0))
                .patch({20, 10, 44, 17}, QColor(0xc62828), 8.5)
                .write({30, 23}, u"Bug"_s, 11, Qt::white, true),
            QRect(20, 10, 44, 17), 1);
        Scene button({200, 70}, QColor(0x2a2a2a));
        QPainter d(&button.image);
        d.fillRect(QRect(20, 16, 120, 34), QColor(0x3d7ad6));
        d.end();
        row("a button on a dark page", button.write({40, 39}, u"Continue"_s, 14, Qt::white),
            QRect(20, 16, 120, 34), -1);
        // Its frame, a shade near its own, is no ground: the page beyond it is.
        Scene framed({240, 60}, QColor(0x2d2d2d));
        QPainter f(&framed.image);
        f.fillRect(QRect(10, 14, 220, 26), QColor(0x3a6fc0));
        f.setPen(QColor(0x4f86d8));
        f.drawRect(QRect(10, 14, 219, 25));
        f.end();
        row("a framed selection on a dark page",
            framed.write({20, 32}, u"Copy"_s, 13, Qt::white)
                .write({170, 32}, u"Ctrl+C"_s, 13, Qt::white),
            QRect(10, 14, 220, 26), -1);
        Scene card({320, 120}, QColor(0x1e1e1e));
        card.write({12, 24}, u"Recent files"_s, 13, QColor(0xe0e0e0));
        QPainter c(&card.image);
        c.fillRect(QRect(12, 40, 290, 64), QColor(0xf0f0f0));
        c.end();
        row("a light card on a dark page",
            card.write({24, 78}, u"Quarterly report.pdf"_s, 13, dark), QRect(), 0);
        row("large bold figures",
            Scene({220, 90}, Qt::white).write({10, 70}, u"80,408"_s, 60, dark, true), QRect(), 0);
        // Each stroke of large type is a stretch of one shade of its own, lying on the bar.
        QLinearGradient night(0, 0, 300, 0);
        night.setStops({{0, QColor(0x10202a)}, {1, QColor(0x24404c)}});
        row("large bold letters on a dark gradient",
            Scene({300, 100}, night)
                .write({14, 70}, u"Year"_s, 56, QColor(0xf4f4f4), true, u"DejaVu Serif"_s),
            QRect(0, 0, 300, 100), 1);
        row("letters run into a rule",
            Scene({300, 50}, Qt::white)
                .write({10, 26}, u"Upgrade to Postgres 16"_s, 13, QColor(0x606060))
                .rule({5, 21, 280, 3}, QColor(0x606060)),
            QRect(), 0);
    }

    void barsOfLightTextTurnOver()
    {
        const auto [s, bar, text] = fetch<Scene, QRect, int>({"scene", "bar", "text"});
        const QImage gray = s.image.convertToFormat(QImage::Format_Grayscale8);
        const QImage turned = barsTurnedOver(s.image);
        if (text == 0) {
            QCOMPARE(turned, gray);
            return;
        }
        const auto shade = [&turned](int x, int y) { return turned.constScanLine(y)[x]; };
        for (const QRect& glyph : s.glyphs) {
            int darkest = 255;
            int lightest = 0;
            for (int y = glyph.top(); y <= glyph.bottom(); ++y)
                for (int x = glyph.left(); x <= glyph.right(); ++x) {
                    darkest = std::min<int>(darkest, shade(x, y));
                    lightest = std::max<int>(lightest, shade(x, y));
                }
            QVERIFY2(text > 0 ? darkest < 128 : lightest > 128,
                     qPrintable(u"glyph at %1,%2"_s.arg(glyph.x()).arg(glyph.y())));
            // Whole strokes turn, not only their edges.
            for (int y = glyph.top(); text > 0 && y <= glyph.bottom(); ++y)
                for (int x = glyph.left(); x <= glyph.right(); ++x)
                    QVERIFY2(gray.constScanLine(y)[x] < 200 || shade(x, y) < 128,
                             qPrintable(u"stroke at %1,%2"_s.arg(x).arg(y)));
        }
        // The bar is ground like the page around it, and nothing else changed.
        for (int y = 0; y < gray.height(); ++y)
            for (int x = 0; x < gray.width(); ++x) {
                const bool nearGlyph = std::ranges::any_of(s.glyphs, [x, y](const QRect& g) {
                    return g.adjusted(-2, -2, 2, 2).contains(x, y);
                });
                if (bar.adjusted(3, 3, -3, -3).contains(x, y) && !nearGlyph)
                    QVERIFY2(text > 0 ? shade(x, y) >= 200 : shade(x, y) <= 80,
                             qPrintable(u"ground at %1,%2"_s.arg(x).arg(y)));
                else if (!bar.adjusted(-3, -3, 3, 3).contains(x, y))
                    QCOMPARE(shade(x, y), gray.constScanLine(y)[x]);
            }
    }

    // Strokes wider than the preparation's window come out hollow, and are filled from the
    // picture prepared at half size; small type stays as it was.
    void largeTypeIsFilled_data()
    {
        columns<Scene, bool>({"scene", "large"});
        const QColor dark(0x202020);
        row("a large bold capital",
            Scene({160, 110}, Qt::white).write({20, 80}, u"I"_s, 60, dark, true), true);
        row("light large type on a dark page",
            Scene({160, 110}, QColor(0x202020)).write({20, 80}, u"I"_s, 60, Qt::white, true), true);
        row("small type",
            Scene({200, 40}, Qt::white).write({10, 24}, u"Item 12 is on page 4"_s, 13, dark),
            false);
        Scene button({200, 90}, Qt::white);
        QPainter frame(&button.image);
        frame.setPen(QPen(QColor(0x404040), 2));
        frame.drawRoundedRect(QRectF(20, 15, 150, 60), 4, 4);
        frame.end();
        row("a button's frame around small type",
            button.write({60, 50}, u"Reload"_s, 14, QColor(0x202020)), false);
    }

    void largeTypeIsFilled()
    {
        const auto [s, large] = fetch<Scene, bool>({"scene", "large"});
        const QImage turned = barsTurnedOver(s.image);
        const QImage hollow = readableStrokes(turned);
        QImage filled = hollow;
        fillLargeType(filled, readableStrokesAtHalfSize(turned));
        if (!large) {
            QCOMPARE(filled, hollow);
            return;
        }
        const QPoint middle = s.glyphs.first().center();
        QVERIFY(hollow.pixelColor(middle).lightness() >= 128);
        QVERIFY(filled.pixelColor(middle).lightness() < 128);
    }

    // A password field's dots go; an ellipsis, square marks and rings stay.
    void maskedCharactersGo_data()
    {
        columns<Scene, bool>({"scene", "masked"});
        const auto marks = [](int count, bool round, bool filled) {
            Scene s({200, 30}, Qt::white);
            QPainter p(&s.image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(filled ? QPen(Qt::NoPen) : QPen(QColor(0x202020), 1.5));
            p.setBrush(filled ? QBrush(QColor(0x202020)) : QBrush(Qt::NoBrush));
            for (int i = 0; i < count; ++i) {
                const QRectF box(10 + 9 * i, 12, 6, 6);
                if (round)
                    p.drawEllipse(box);
                else
                    p.drawRect(box);
            }
            return s;
        };
        row("a password field's dots", marks(8, true, true), true);
        row("an ellipsis", marks(3, true, true), false);
        row("square marks", marks(8, false, true), false);
        row("rings", marks(8, true, false), false);
    }

    void maskedCharactersGo()
    {
        const auto [s, masked] = fetch<Scene, bool>({"scene", "masked"});
        const QImage prepared = readableGray(s.image);
        QImage erased = prepared;
        eraseMaskedCharacters(erased);
        if (masked)
            QVERIFY(!inked(erased, erased.rect()));
        else
            QCOMPARE(erased, prepared);
    }

    // Coloured labels close above each other, as badges down a list: the page between them is
    // no white stroke, and each label is a line of its own.
    void labelsCloseTogetherAreLinesApart_data()
    {
        columns<int, QColor>({"gap", "page"});
        row("7 px apart on white", 7, QColor(Qt::white));
        row("4 px apart on white", 4, QColor(Qt::white));
        row("6 px apart on light grey", 6, QColor(0xf0f0f0));
    }

    void labelsCloseTogetherAreLinesApart()
    {
        const auto [gap, page] = fetch<int, QColor>({"gap", "page"});
        constexpr int height = 17;
        Scene labels({140, 3 * height + 2 * gap + 20}, page);
        const QList<QColor> colours{QColor(0xd32f2f), QColor(0x2e7d32), QColor(0x1565c0)};
        const QStringList texts{u"24"_s, u"New"_s, u"Beta"_s};
        for (int i = 0; i < 3; ++i)
            labels.patch({70, 10.0 + i * (height + gap), 48, height}, colours.at(i), 8.5);
        for (int i = 0; i < 3; ++i)
            labels.write({80, 23 + i * (height + gap)}, texts.at(i), 11, Qt::white, true);
        const QImage prepared = readableGray(labels.image);
        for (int i = 0; i < 2; ++i) {
            const int below = 10 + (i + 1) * height + i * gap;
            QVERIFY2(!inked(prepared, {0, below, prepared.width(), gap}),
                     qPrintable(u"ink between labels %1 and %2"_s.arg(i + 1).arg(i + 2)));
        }
        const QList<QRect> unread =
            unreadTextLines(readableStrokesAtHalfSize(barsTurnedOver(labels.image)), prepared, {});
        for (const QRect& label : std::as_const(labels.lines)) {
            const auto meeting = std::ranges::count_if(
                unread, [&label](const QRect& line) { return line.intersects(label); });
            QCOMPARE(meeting, 1);
        }
        for (const QRect& line : unread)
            QVERIFY(std::ranges::count_if(labels.lines, [&line](const QRect& label) {
                        return line.intersects(label);
                    }) <= 1);
    }

    void inkRowsAreLinesOfText_data()
    {
        // marks: what no row may take in, such as a check box
        columns<Scene, int, QRect>({"scene", "rows", "marks"});
        const QColor dark(0x202020);
        row("a line of code: colons, dashes and underscores between its words",
            Scene({420, 40}, Qt::white)
                .write({10, 24}, u"size_kb: 5120.5, updated_at: 2025-03-14T09:41:07Z"_s, 12, dark,
                       false, u"DejaVu Sans Mono"_s),
            1, QRect());
        Scene form({320, 50}, Qt::white);
        form.write({10, 30}, u"Full name:"_s, 12, dark);
        const int edge = form.lines.first().right() + 8;
        form.rule({edge, 12, 200, 1}, Qt::gray)
            .rule({edge, 37, 200, 1}, Qt::gray)
            .rule({edge, 12, 1, 26}, Qt::gray)
            .rule({edge + 199, 12, 1, 26}, Qt::gray);
        row("a label beside its field", form.write({edge + 4, 30}, u"Ada Lovelace"_s, 12, dark), 2,
            QRect());
        // Cells as far apart as words of a line, but a character each, of two heights.
        Scene grid({300, 40}, Qt::white);
        for (int i = 0; i < 5; ++i)
            grid.write({20 + 24 * i, 26}, i % 2 ? u"A"_s : u"x"_s, 13, dark);
        row("the cells of a grid, a character each", grid, 5, QRect());
        // An "l" as tall as the row between two words is no field's edge.
        row("words either side of an l",
            Scene({220, 40}, Qt::white).write({10, 26}, u"The second line"_s, 18, dark), 1,
            QRect());
        row("a check box before its label",
            Scene({260, 40}, Qt::white)
                .outline({10, 12, 13, 13}, QColor(0x505050))
                .write({32, 24}, u"I accept the terms"_s, 13, dark),
            1, QRect(10, 12, 14, 14));
        Scene buttons({200, 30}, Qt::white);
        QPainter frame(&buttons.image);
        frame.setPen(QPen(QColor(0x303030), 1.5));
        for (int i = 0; i < 3; ++i)
            frame.drawRect(QRectF(100 + i * 18, 6, 14, 14));
        frame.end();
        row("a window's buttons beside its title", buttons.write({10, 18}, u"Notes"_s, 13, dark), 1,
            QRect(99, 5, 54, 17));
        row("quotes over small letters",
            Scene({200, 40}, Qt::white)
                .write({10, 26}, u"\"owner\": {"_s, 16, dark, false, u"DejaVu Sans Mono"_s),
            1, QRect());
        Scene grip({200, 40}, Qt::white);
        for (int i = 0; i < 12; ++i)
            grip.rule({5 + 3 * (i % 2), 8 + 3 * (i / 2), 2, 2}, QColor(0x606060));
        grip.lines.clear();
        row("a toolbar's grip, dots one above the other", grip.write({30, 24}, u"New"_s, 13, dark),
            1, QRect(5, 8, 5, 17));
        Scene pill({200, 40}, Qt::white);
        QPainter outline(&pill.image);
        outline.setRenderHint(QPainter::Antialiasing);
        outline.setPen(QPen(QColor(0x404040), 1.2));
        outline.drawEllipse(QRectF(20.5, 6.5, 26, 26));
        outline.end();
        row("a ring around a count",
            pill.write({26, 24}, u"12"_s, 12, dark).write({60, 24}, u"unread"_s, 12, dark), 2,
            QRect(20, 12, 3, 14));
        Scene field({260, 40}, Qt::white);
        field.rule({20, 8, 70, 1}, dark).rule({20, 29, 70, 1}, dark).rule({89, 8, 1, 22}, dark);
        field.lines.clear();
        row("the broken end of a field's frame, a button's ellipsis",
            field.write({120, 24}, u"Browse..."_s, 12, dark), 1, QRect(86, 8, 4, 22));
        // Where a table's rules cross, lighter stretches part them into pieces a pixel wide.
        Scene cells({120, 60}, Qt::white);
        const QColor light(0xb8b8b8);
        cells.rule({5, 10, 21, 1}, dark).rule({5, 10, 1, 25}, dark).rule({5, 34, 21, 1}, dark);
        cells.rule({26, 34, 60, 1}, light).rule({26, 10, 24, 1}, light);
        cells.rule({50, 10, 14, 1}, dark).rule({58, 10, 1, 12}, dark).rule({58, 22, 1, 12}, light);
        cells.lines.clear();
        row("pieces of a table's rules around a cell's figure",
            cells.write({32, 28}, u"1"_s, 12, dark), 1, QRect(5, 10, 60, 3));
    }

    void inkRowsAreLinesOfText()
    {
        const auto [s, rows, marks] = fetch<Scene, int, QRect>({"scene", "rows", "marks"});
        const QList<QRect> found = unreadInkLines(readableGray(s.image), {});
        const auto holding = holders(s.glyphs, found, &QRect::intersects);
        QVERIFY2(holding, qPrintable(u"no row holds every glyph"_s));
        QCOMPARE(holding->size(), rows);
        QVERIFY(
            std::ranges::none_of(found, [&marks](const QRect& r) { return r.intersects(marks); }));
    }

    void inkBesideTheWordsIsFound_data()
    {
        // line: the line's box as the engine gave it, or around all that is written; held: the
        // lines written whose ink the engine's words hold; beside: those it left
        columns<Scene, QRect, QList<qsizetype>, QList<qsizetype>>(
            {"scene", "line", "held", "beside"});
        using Lines = QList<qsizetype>;
        const QColor dark(0x202020);
        const QString mono = u"DejaVu Sans Mono"_s;
        row("a line number before code",
            Scene({320, 34}, Qt::white)
                .write({8, 22}, u"4"_s, 19, QColor(0x8c8c8c), false, u"Liberation Mono"_s)
                .write({40, 22}, u"const hit"_s, 19, dark, false, u"Liberation Mono"_s),
            QRect(), Lines{1}, Lines{0});
        row("a count after a message",
            Scene({320, 30}, Qt::white)
                .write({8, 20}, u"Ana: new icons are uploaded"_s, 12, dark)
                .write({260, 20}, u"14"_s, 11, dark, true),
            QRect(), Lines{0}, Lines{1});
        // The line's box cuts through the check box, whose sides alone would pass for marks.
        row("a check box before its label",
            Scene({320, 30}, Qt::white)
                .outline({8, 7, 13, 13}, QColor(0x505050))
                .write({30, 19}, u"Send me product news"_s, 12, dark),
            QRect(8, 10, 200, 10), Lines{0}, Lines{});
        row("all read", Scene({320, 30}, Qt::white).write({8, 20}, u"Save the file"_s, 12, dark),
            QRect(), Lines{0}, Lines{});
    }

    void inkBesideTheWordsIsFound()
    {
        auto [s, line, held, beside] = fetch<Scene, QRect, QList<qsizetype>, QList<qsizetype>>(
            {"scene", "line", "held", "beside"});
        if (line.isNull()) {
            for (const QRect& written : s.lines)
                line |= written.adjusted(-1, -1, 1, 1);
        }
        QList<QRect> words;
        for (const qsizetype i : held)
            words.append(s.lines.at(i));
        const QList<QRect> found = inkBesideWords(readableGray(s.image), line, words);
        QCOMPARE(found.size(), beside.size());
        for (qsizetype i = 0; i < found.size(); ++i)
            QVERIFY(found.at(i).intersects(s.lines.at(beside.at(i))));
    }

    void sizesOfTypeRunApart_data()
    {
        // runs: how many runs of one size the line parts into; none for a line of one size
        columns<Scene, int>({"scene", "runs"});
        const QColor dark(0x202020);
        row("a price and its unit",
            Scene({260, 50}, Qt::white)
                .write({10, 36}, u"$12"_s, 30, dark, true, u"DejaVu Serif"_s)
                .write({72, 36}, u"/user/month"_s, 13, dark, false, u"DejaVu Serif"_s),
            2);
        row("a large figure after its caption",
            Scene({260, 50}, Qt::white)
                .write({10, 36}, u"Active users"_s, 12, dark)
                .write({100, 36}, u"12,408"_s, 28, dark, true),
            2);
        row("one size, tall marks among small letters",
            Scene({320, 40}, Qt::white)
                .write({10, 26}, u"maria@devbox:~/projects/atlas$ (main)"_s, 13, dark, false,
                       u"DejaVu Sans Mono"_s),
            0);
        row("one size", Scene({260, 40}, Qt::white).write({10, 26}, u"Save the file"_s, 13, dark),
            0);
    }

    void sizesOfTypeRunApart()
    {
        const auto [s, runs] = fetch<Scene, int>({"scene", "runs"});
        QRect all;
        for (const QRect& line : s.lines)
            all |= line;
        const QList<QRect> found = runsOfOneSize(readableGray(s.image), all.adjusted(-2, -2, 2, 2));
        QCOMPARE(found.size(), runs);
        for (qsizetype i = 0; i < found.size(); ++i) {
            for (qsizetype j = 0; j < s.lines.size(); ++j)
                QCOMPARE(found.at(i).intersects(s.lines.at(j)), i == j);
        }
    }

    void columnsAreReadApart_data()
    {
        columns<Scene, int>({"scene", "blocks"});
        const QColor dark(0x202020);
        // A heading across the board, a frame around it, three columns of cards.
        Scene board({620, 200}, QColor(0xf0f0f0));
        board.write({10, 24}, u"Sprint 14   Mar 10 - Mar 21   12 of 19 done"_s, 13, dark);
        for (int column = 0; column < 3; ++column) {
            const int left = 14 + 200 * column;
            board.write({left, 70}, u"Crash when exporting"_s, 12, dark)
                .write({left, 88}, u"an empty sheet"_s, 12, dark)
                .write({left + 100, 112}, u"3 pts"_s, 11, dark);
        }
        QPainter p(&board.image);
        p.setPen(QColor(0x606060));
        p.drawRect(4, 48, 610, 74);
        p.end();
        row("a board: a heading over framed columns", board, 4);
        Scene list({300, 120}, Qt::white);
        for (int i = 0; i < 4; ++i)
            list.write({10, 24 + 24 * i}, u"Item %1 is on page %2"_s.arg(i + 1).arg(i * 37), 14,
                       dark);
        row("a list", list, 1);
    }

    void columnsAreReadApart()
    {
        const auto [s, expected] = fetch<Scene, int>({"scene", "blocks"});
        const QList<QRect> blocks = sideBySideBlocks(glyphMask(readableGray(s.image)));
        // Every glyph lies inside a block, whole: no block cuts through text.
        const auto holding =
            holders(s.glyphs, blocks, [](const QRect& b, const QRect& g) { return b.contains(g); });
        QVERIFY2(holding, qPrintable(u"a block cuts a glyph"_s));
        QCOMPARE(holding->size(), expected);
    }

    void rulesThroughTextGoAndOthersStay_data()
    {
        // The rule's top row from the baseline, up.
        columns<int, int, bool>({"ruleAt", "thickness", "kept"});
        row("a line through struck-out text", 4, 1, false);
        row("a thick line through struck-out text", 5, 3, false);
        row("a card's edge under the text", -8, 1, true);
    }

    void rulesThroughTextGoAndOthersStay()
    {
        const auto [ruleAt, thickness, kept] =
            fetch<int, int, bool>({"ruleAt", "thickness", "kept"});
        Scene s({300, 50}, Qt::white);
        s.write({10, 26}, u"Upgrade to Postgres 16"_s, 13, QColor(0x606060));
        const int y = 26 - ruleAt;
        s.rule({5, y, 280, thickness}, QColor(0x606060));
        QImage prepared = readableGray(s.image);
        eraseLongRules(prepared);
        // Ink on the rule's row outside every glyph is the rule; inside one, strokes across it.
        int rule = 0;
        int strokes = 0;
        for (int x = 5; x < 285; ++x) {
            const bool inGlyph = std::ranges::any_of(
                s.glyphs, [&](const QRect& g) { return g.adjusted(-1, 0, 1, 0).contains(x, y); });
            const int ink = prepared.constScanLine(y)[x] < 128 ? 1 : 0;
            (inGlyph ? strokes : rule) += ink;
        }
        QCOMPARE(rule > 100, kept);
        QCOMPARE(strokes > 0, !kept);
        // The letters keep their ink either way.
        for (const QRect& glyph : s.glyphs)
            QVERIFY(inked(prepared, glyph));
    }

    void aLineFoundTwiceIsKeptOnce_data()
    {
        columns<QList<QRect>, QStringList, QList<qsizetype>>({"boxes", "texts", "repeated"});
        using Boxes = QList<QRect>;
        using Lines = QList<qsizetype>;
        row("a field's text in the field's box too", Boxes{{81, 45, 78, 9}, {81, 38, 257, 21}},
            QStringList{u"Ada Lovelace"_s, u"‘Ada Lovelace"_s}, Lines{1});
        row("the looser box first", Boxes{{707, 99, 71, 28}, {718, 108, 48, 13}},
            QStringList{u"upgrade"_s, u"Upgrade"_s}, Lines{0});
        row("the same words elsewhere", Boxes{{0, 0, 50, 10}, {0, 40, 50, 10}},
            QStringList{u"Done"_s, u"Done"_s}, Lines{});
        row("other words over the same place", Boxes{{0, 0, 50, 10}, {0, 2, 60, 12}},
            QStringList{u"Done"_s, u"Dome"_s}, Lines{});
        row("marks alone are no words", Boxes{{0, 0, 5, 5}, {0, 0, 6, 6}},
            QStringList{u"|"_s, u"|"_s}, Lines{});
        row("one box twice", Boxes{{0, 0, 50, 10}, {0, 0, 50, 10}},
            QStringList{u"Save"_s, u"Save"_s}, Lines{1});
        row("words of a row read again inside it",
            Boxes{{36, 22, 314, 42}, {39, 34, 51, 17}, {134, 34, 84, 17}, {370, 35, 695, 22}},
            QStringList{u"Back Forward Reload"_s, u"Back"_s, u"Forward"_s, u"https://docs"_s},
            Lines{1, 2});
        row("a short word inside a line elsewhere", Boxes{{0, 0, 200, 12}, {300, 0, 40, 12}},
            QStringList{u"Save the file"_s, u"file"_s}, Lines{});
    }

    void aLineFoundTwiceIsKeptOnce()
    {
        const auto [boxes, texts, repeated] =
            fetch<QList<QRect>, QStringList, QList<qsizetype>>({"boxes", "texts", "repeated"});
        QCOMPARE(repeatedLines(boxes, texts), repeated);
    }

    void lettersApartAreFound_data()
    {
        using Boxes = QList<QRect>;
        columns<Boxes, QList<bool>>({"boxes", "apart"});
        row("a line read a letter or two at a time",
            Boxes{{45, 70, 9, 10}, {62, 70, 8, 10}, {104, 70, 8, 10}, {115, 66, 9, 14}},
            QList<bool>{true, true, true, true});
        row("words of a line", Boxes{{10, 10, 60, 12}, {80, 10, 50, 12}},
            QList<bool>{false, false});
        row("a grid's cells, a character each, far apart",
            Boxes{{40, 61, 7, 9}, {74, 61, 6, 9}, {108, 61, 6, 9}},
            QList<bool>{false, false, false});
        row("a letter beside a line much taller", Boxes{{10, 10, 8, 10}, {20, 0, 30, 40}},
            QList<bool>{false, false});
    }

    void lettersApartAreFound()
    {
        const auto [boxes, apart] = fetch<QList<QRect>, QList<bool>>({"boxes", "apart"});
        QCOMPARE(lettersApart(boxes), apart);
    }

    void doubledLinesGiveWay_data()
    {
        using Boxes = QList<QRect>;
        using Lines = QList<qsizetype>;
        // The layout's lines first, one doubtful flag each; then the lines found in the ink.
        columns<Boxes, QList<bool>, Lines>({"boxes", "doubtful", "gone"});
        row("a doubtful line the ink spans", Boxes{{0, 0, 100, 12}, {2, 0, 90, 12}},
            QList<bool>{true}, Lines{0});
        row("a sure line stays", Boxes{{0, 0, 100, 12}, {2, 0, 90, 12}}, QList<bool>{false},
            Lines{});
        row("a piece of a doubtful line goes", Boxes{{0, 0, 100, 12}, {2, 0, 30, 12}},
            QList<bool>{true}, Lines{1});
        row("a box over a column of badges",
            Boxes{{200, 5, 139, 113}, {306, 7, 13, 13}, {294, 57, 23, 13}, {295, 82, 23, 13}},
            QList<bool>{true}, Lines{0});
        row("ink elsewhere", Boxes{{0, 0, 100, 12}, {0, 40, 100, 12}}, QList<bool>{true}, Lines{});
    }

    void doubledLinesGiveWay()
    {
        const auto [boxes, doubtful, gone] =
            fetch<QList<QRect>, QList<bool>, QList<qsizetype>>({"boxes", "doubtful", "gone"});
        QCOMPARE(doubledLines(boxes, doubtful), gone);
    }

    void piecesOfOneLineComeTogether_data()
    {
        using Boxes = QList<QRect>;
        using Groups = QList<QList<qsizetype>>;
        columns<Boxes, Groups>({"boxes", "groups"});
        row("a key and its value, the colon between them lost",
            Boxes{{47, 169, 44, 13}, {118, 169, 120, 12}}, Groups{{0, 1}});
        row("pieces out of order", Boxes{{125, 10, 30, 12}, {10, 10, 40, 12}, {60, 11, 50, 12}},
            Groups{{1, 2, 0}});
        row("cells of a table across a gutter", Boxes{{10, 10, 60, 14}, {120, 10, 40, 14}},
            Groups{{0}, {1}});
        row("a heading beside its caption", Boxes{{10, 10, 120, 30}, {140, 24, 80, 12}},
            Groups{{0}, {1}});
        row("one line over the next", Boxes{{0, 0, 50, 12}, {0, 14, 50, 12}}, Groups{{0}, {1}});
        row("boxes that overlap a little", Boxes{{0, 0, 50, 12}, {46, 1, 30, 12}}, Groups{{0, 1}});
    }

    void piecesOfOneLineComeTogether()
    {
        const auto [boxes, groups] =
            fetch<QList<QRect>, QList<QList<qsizetype>>>({"boxes", "groups"});
        QCOMPARE(piecesOfOneLine(boxes), groups);
    }

    void lettersOfOneShapeTakeTheirCase_data()
    {
        using Boxes = QList<QRect>;
        columns<Boxes, QStringList, QStringList>({"boxes", "texts", "settled"});
        // The cells of a grid: a letter read in both cases beside digits and capitals.
        row("as tall as the digits beside it", Boxes{{15, 123, 7, 9}, {40, 123, 7, 9}},
            QStringList{u"Cc"_s, u"8"_s}, QStringList{u"C"_s, u"8"_s});
        row("as tall as a small letter", Boxes{{108, 155, 6, 7}, {74, 153, 7, 9}},
            QStringList{u"Cc"_s, u"0"_s}, QStringList{u"c"_s, u"0"_s});
        row("a capital read small first", Boxes{{174, 93, 11, 9}, {277, 93, 8, 9}},
            QStringList{u"wW"_s, u"T"_s}, QStringList{u"W"_s, u"T"_s});
        row("three times over", Boxes{{174, 93, 11, 9}, {277, 93, 8, 9}},
            QStringList{u"WwW"_s, u"T"_s}, QStringList{u"W"_s, u"T"_s});
        row("one case three times is a word", Boxes{{10, 10, 30, 9}, {50, 10, 30, 9}},
            QStringList{u"www"_s, u"WWW"_s}, QStringList{u"www"_s, u"WWW"_s});
        row("digits on another row say nothing", Boxes{{10, 10, 6, 7}, {10, 40, 7, 12}},
            QStringList{u"Ss"_s, u"5"_s}, QStringList{u"S"_s, u"5"_s});
        row("a letter of another shape says nothing", Boxes{{10, 10, 6, 7}, {20, 8, 4, 12}},
            QStringList{u"sS"_s, u"J"_s}, QStringList{u"s"_s, u"J"_s});
        row("words of two letters", Boxes{{10, 10, 16, 9}, {30, 10, 16, 9}, {50, 10, 7, 9}},
            QStringList{u"So"_s, u"Aa"_s, u"8"_s}, QStringList{u"So"_s, u"Aa"_s, u"8"_s});
    }

    void lettersOfOneShapeTakeTheirCase()
    {
        const auto [boxes, texts, settled] =
            fetch<QList<QRect>, QStringList, QStringList>({"boxes", "texts", "settled"});
        QCOMPARE(casesSettled(boxes, texts), settled);
    }

    void keptWords_data()
    {
        columns<QList<EngineWord>, QString>({"words", "kept"});
        using Words = QList<EngineWord>;
        row("a short button label", Words{{u"OK"_s, 93, {}}}, u"OK"_s);
        row("a one-character table cell", Words{{u"7"_s, 91, {}}}, u"7"_s);
        row("a doubtful one-character mark", Words{{u"7"_s, 40, {}}}, QString());
        row("a URL the engine doubts", Words{{u"https://vellumbox.org/download"_s, 41, {}}},
            u"https://vellumbox.org/download"_s);
        row("title-bar buttons alone", Words{{u"TA)"_s, 30, {}}}, QString());
        row("a doubtful mark beside a word", Words{{u"TA)"_s, 30, {}}, {u"Settings"_s, 88, {}}},
            u"TA) Settings"_s);
        row("a rejected word", Words{{u"Save"_s, 95, {}}, {u"~~~~"_s, 5, {}}}, u"Save"_s);
        row("frame edges glued to words",
            Words{{u"|And"_s, 80, {}}, {u"then|"_s, 80, {}}, {u"a||"_s, 80, {}}},
            u"And then a||"_s);
        row("an opening bracket nothing closes", Words{{u"[Files"_s, 85, {}}}, u"Files"_s);
        row("a closed bracket", Words{{u"[x]"_s, 85, {}}, {u"Done"_s, 90, {}}}, u"[x] Done"_s);
        row("edges standing apart at both ends",
            Words{{u"|"_s, 80, {}}, {u"|"_s, 80, {}}, {u"Cancel"_s, 90, {}}, {u"|"_s, 80, {}}},
            u"Cancel"_s);
        row("a bar before lower case may be an I",
            Words{{u"|"_s, 80, {}}, {u"accept"_s, 90, {}}, {u"the"_s, 90, {}}}, u"| accept the"_s);
        row("a bar between words stays",
            Words{{u"Name"_s, 90, {}}, {u"|"_s, 80, {}}, {u"Size"_s, 90, {}}}, u"Name | Size"_s);
        row("an opening quote nothing closes",
            Words{{u"\u2018Customer"_s, 80, {}}, {u"feedback"_s, 90, {}}}, u"Customer feedback"_s);
        row("curly quotes in a line of code",
            Words{{u"\u201clogin\":"_s, 80, {}}, {u"\"northwind-dev\u201d,"_s, 85, {}}},
            u"\"login\": \"northwind-dev\","_s);
        row("curly quotes in prose", Words{{u"\u201cSave\u201d"_s, 85, {}}, {u"now"_s, 90, {}}},
            u"\u201cSave\u201d now"_s);
        row("a quote that is closed", Words{{u"\u2018Done\u2019"_s, 85, {}}, {u"now"_s, 90, {}}},
            u"\u2018Done\u2019 now"_s);
        row("white space around a word", Words{{u" Save\n"_s, 95, {}}}, u"Save"_s);
        row("a shortcut's misread Ctrl", Words{{u"Inspect"_s, 92, {}}, {u"Ctri+Shift+I"_s, 80, {}}},
            u"Inspect Ctrl+Shift+I"_s);
        row("Ctrl with a one for its l", Words{{u"Ctr1+S"_s, 85, {}}}, u"Ctrl+S"_s);
        row("the same letters without a plus", Words{{u"Ctri"_s, 85, {}}}, u"Ctri"_s);
    }

    void keptWords()
    {
        const auto [words, kept] = fetch<QList<EngineWord>, QString>({"words", "kept"});
        QCOMPARE(vellumbox::keptWords(words).text, kept);
    }
};

QTEST_MAIN(TestTextReading)
#include "tst_textreading.moc"
