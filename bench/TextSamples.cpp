// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextSamples.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <vector>

namespace vellumbox::samples {

namespace {

const QString sans = QStringLiteral("DejaVu Sans");
const QString mono = QStringLiteral("DejaVu Sans Mono");

QImage canvas(QSize size, const QColor& background, qreal dpr = 1.0)
{
    QImage image(size * dpr, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(background);
    return image;
}

void write(QPainter& p, const QPointF& baseline, const QString& text, int pixelSize,
           const QColor& colour, const QString& family = sans, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(baseline, text);
}

TextSample uiText()
{
    const QList<std::pair<int, QString>> lines = {
        {11, QStringLiteral("Show hidden files in the sidebar")},
        {12, QStringLiteral("Automatically check for updates every week")},
        {13, QStringLiteral("Save screenshots to the Pictures folder")},
        {14, QStringLiteral("Keyboard shortcut: Ctrl+Shift+9")},
        {11, QStringLiteral("Last synced 5 minutes ago by Maria")},
        {12, QStringLiteral("Storage used: 12.4 GB of 50 GB")},
        {13, QStringLiteral("Remember the window size and position")},
        {14, QStringLiteral("Open the editor after each capture")},
    };
    TextSample s{QStringLiteral("UI text 11-14 px"), canvas({420, 230}, QColor(0xf5f5f5)), {}};
    QPainter p(&s.image);
    double y = 10;
    for (const auto& [size, text] : lines) {
        y += size * 1.9;
        write(p, {14, y}, text, size, QColor(0x1f1f1f));
        s.lines.append(text);
    }
    return s;
}

TextSample smallText()
{
    const QList<std::pair<int, QString>> lines = {
        {9, QStringLiteral("Updated 3 hours ago")},
        {10, QStringLiteral("Terms of use and privacy notice")},
        {9, QStringLiteral("Status bar: 42 items, 7 selected")},
        {10, QStringLiteral("Tooltip text for the close button")},
    };
    TextSample s{QStringLiteral("small text 9-10 px"), canvas({260, 90}, QColor(0xf5f5f5)), {}};
    QPainter p(&s.image);
    double y = 6;
    for (const auto& [size, text] : lines) {
        y += size * 2;
        write(p, {10, y}, text, size, QColor(0x303030));
        s.lines.append(text);
    }
    return s;
}

TextSample codeBlock()
{
    const QStringList lines = {
        QStringLiteral("int sum(const std::vector<int>& values)"),
        QStringLiteral("{"),
        QStringLiteral("    int total = 0;"),
        QStringLiteral("    for (size_t i = 0; i < values.size(); ++i)"),
        QStringLiteral("        total += values[i] * 2;"),
        QStringLiteral("    return total; // doubled"),
        QStringLiteral("}"),
    };
    TextSample s{QStringLiteral("monospace code"), canvas({420, 150}, QColor(0xfafafa)), lines};
    QPainter p(&s.image);
    for (int i = 0; i < lines.size(); ++i)
        write(p, {10, 20.0 + i * 18}, lines.at(i), 13, QColor(0x24292e), mono);
    return s;
}

TextSample lightOnDark()
{
    const QStringList lines = {
        QStringLiteral("Terminal - build finished in 4.2 seconds"),
        QStringLiteral("Warning: unused variable 'height'"),
        QStringLiteral("All 128 tests passed"),
        QStringLiteral("Press Enter to continue"),
    };
    TextSample s{QStringLiteral("light on dark"), canvas({380, 110}, QColor(0x1e1f22)), lines};
    QPainter p(&s.image);
    for (int i = 0; i < lines.size(); ++i)
        write(p, {12, 24.0 + i * 22}, lines.at(i), 13, QColor(0xdcdcdc));
    return s;
}

TextSample twoColumns()
{
    const QStringList left = {
        QStringLiteral("The first column starts"),
        QStringLiteral("with a short paragraph"),
        QStringLiteral("about fresh coffee beans"),
    };
    const QStringList right = {
        QStringLiteral("A second column runs"),
        QStringLiteral("beside it and talks"),
        QStringLiteral("about green tea leaves"),
    };
    TextSample s{QStringLiteral("two columns"), canvas({460, 90}, QColor(0xffffff)), {}};
    QPainter p(&s.image);
    for (int i = 0; i < left.size(); ++i) {
        write(p, {12, 24.0 + i * 22}, left.at(i), 13, QColor(0x202020));
        write(p, {262, 24.0 + i * 22}, right.at(i), 13, QColor(0x202020));
        s.lines << left.at(i) << right.at(i);
    }
    return s;
}

TextSample hiDpi()
{
    const QStringList lines = {
        QStringLiteral("Display scale 200 percent"),
        QStringLiteral("Every point is two pixels wide"),
        QStringLiteral("Sharper letters, same layout"),
    };
    TextSample s{QStringLiteral("HiDPI 2x"), canvas({300, 80}, QColor(0xf0f0f0), 2.0), lines};
    QPainter p(&s.image);
    for (int i = 0; i < lines.size(); ++i)
        write(p, {10, 22.0 + i * 20}, lines.at(i), 13, QColor(0x202020));
    return s;
}

void pill(QPainter& p, const QRectF& rect, const QColor& fill, const QColor& ink,
          const QString& text)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    QFont font(sans);
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(rect, Qt::AlignCenter, text);
}

TextSample colouredLabels()
{
    TextSample s{QStringLiteral("coloured labels"), canvas({520, 110}, QColor(0xffffff)), {}};
    QPainter p(&s.image);
    write(p, {12, 22}, QStringLiteral("Labels for this issue"), 13, QColor(0x303030));
    s.lines << QStringLiteral("Labels for this issue");
    const QList<std::tuple<QString, QColor, QColor>> tags = {
        {QStringLiteral("bug"), QColor(0xd73a4a), Qt::white},
        {QStringLiteral("help wanted"), QColor(0x008672), Qt::white},
        {QStringLiteral("documentation"), QColor(0x0075ca), Qt::white},
        {QStringLiteral("question"), QColor(0xf9d0c4), QColor(0x202020)},
    };
    double x = 12;
    for (const auto& [text, fill, ink] : tags) {
        const double width = 24 + 8.0 * text.size();
        pill(p, QRectF(x, 36, width, 24), fill, ink, text);
        x += width + 10;
        s.lines << text;
    }
    pill(p, QRectF(12, 74, 90, 26), QColor(0x2f6fdb), Qt::white, QStringLiteral("Save"));
    pill(p, QRectF(112, 74, 90, 26), QColor(0xe4e4e4), QColor(0x202020), QStringLiteral("Cancel"));
    pill(p, QRectF(212, 74, 110, 26), QColor(0x6f42c1), Qt::white, QStringLiteral("Merge now"));
    s.lines << QStringLiteral("Save") << QStringLiteral("Cancel") << QStringLiteral("Merge now");
    return s;
}

TextSample table()
{
    const QList<QStringList> rows = {
        {QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Modified")},
        {QStringLiteral("report.pdf"), QStringLiteral("2.4 MB"), QStringLiteral("Yesterday")},
        {QStringLiteral("holiday.png"), QStringLiteral("860 KB"), QStringLiteral("Monday")},
        {QStringLiteral("notes.txt"), QStringLiteral("12 KB"), QStringLiteral("Today")},
        {QStringLiteral("budget.ods"), QStringLiteral("48 KB"), QStringLiteral("March 3")},
    };
    const double columns[] = {10, 170, 280};
    const double rowHeight = 26;
    TextSample s{QStringLiteral("table"), canvas({400, 140}, QColor(0xffffff)), {}};
    QPainter p(&s.image);
    for (int r = 0; r < rows.size(); ++r) {
        const double top = 4 + r * rowHeight;
        if (r % 2 == 0 && r > 0)
            p.fillRect(QRectF(0, top, 400, rowHeight), QColor(0xf3f4f6));
        p.setPen(QColor(0xd0d7de));
        p.drawLine(QPointF(0, top + rowHeight), QPointF(400, top + rowHeight));
        for (int c = 0; c < 3; ++c) {
            write(p, {columns[c], top + 18}, rows.at(r).at(c), 13, QColor(0x1f2328), sans, r == 0);
            s.lines << rows.at(r).at(c);
        }
    }
    p.setPen(QColor(0xd0d7de));
    p.drawLine(QPointF(160, 4), QPointF(160, 4 + rows.size() * rowHeight));
    p.drawLine(QPointF(270, 4), QPointF(270, 4 + rows.size() * rowHeight));
    return s;
}

// A seat map or a keyboard's layout: one character a cell, letters whose small form is the
// capital made smaller among them.
TextSample characterGrid()
{
    const QString cells = QStringLiteral("K7xQ2mP9aZ4rW1bT8nYCeH6uJ0cV5sFg");
    constexpr int across = 8;
    constexpr double cell = 34;
    TextSample s{QStringLiteral("a character a cell"), canvas({300, 150}, QColor(0x2b2b2b)), {}};
    QPainter p(&s.image);
    p.setPen(QColor(0x3c3c3c));
    for (int i = 0; i <= across; ++i)
        p.drawLine(QPointF(10 + i * cell, 6), QPointF(10 + i * cell, 6 + 4 * cell));
    for (int r = 0; r <= 4; ++r)
        p.drawLine(QPointF(10, 6 + r * cell), QPointF(10 + across * cell, 6 + r * cell));
    for (int r = 0; r < 4; ++r) {
        QString row;
        for (int c = 0; c < across; ++c) {
            const QString text = cells.mid(r * across + c, 1);
            write(p, {22 + c * cell, 28 + r * cell}, text, 13, QColor(0xd8d8d8));
            row += (c > 0 ? QStringLiteral(" ") : QString()) + text;
        }
        s.lines << row;
    }
    return s;
}

// Prices on a pricing page: large figures, their unit in small type beside them.
TextSample prices()
{
    TextSample s{QStringLiteral("prices in two sizes"), canvas({420, 110}, QColor(0x2b2722)), {}};
    QPainter p(&s.image);
    const QString serif = QStringLiteral("DejaVu Serif");
    const QList<std::pair<QString, QString>> rows = {
        {QStringLiteral("$12"), QStringLiteral("per user a month")},
        {QStringLiteral("$390"), QStringLiteral("a year for the team")}};
    for (int i = 0; i < rows.size(); ++i) {
        const double baseline = 40 + i * 50;
        write(p, {14, baseline}, rows.at(i).first, 30, QColor(0xf8f6f2), serif, true);
        // The painter still holds the figures' font.
        const double after = 14 + QFontMetricsF(p.font()).horizontalAdvance(rows.at(i).first);
        write(p, {after + 6, baseline}, rows.at(i).second, 13, QColor(0xa8a29a), serif);
        s.lines << rows.at(i).first + QStringLiteral(" ") + rows.at(i).second;
    }
    return s;
}

TextSample lowContrast()
{
    TextSample s{QStringLiteral("low contrast"), canvas({400, 120}, QColor(0xffffff)), {}};
    QPainter p(&s.image);
    // Placeholder text, a disabled button, a caption on grey.
    write(p, {12, 24}, QStringLiteral("Search your messages"), 13, QColor(0xa8a8a8));
    p.fillRect(QRectF(0, 40, 400, 34), QColor(0xe9e9e9));
    write(p, {12, 62}, QStringLiteral("Disabled until you sign in"), 13, QColor(0xb4b4b4));
    p.fillRect(QRectF(0, 74, 400, 46), QColor(0x8c8c8c));
    write(p, {12, 102}, QStringLiteral("Photo taken on 14 May 2023"), 13, QColor(0xb9b9b9));
    s.lines << QStringLiteral("Search your messages")
            << QStringLiteral("Disabled until you sign in")
            << QStringLiteral("Photo taken on 14 May 2023");
    return s;
}

void drawIcon(QPainter& p, int kind, const QRectF& box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x3d6fb6);
    switch (kind % 5) {
    case 0: // a gear: a ring with teeth
        p.setPen(QPen(ink, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(box.adjusted(3, 3, -3, -3));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(box.center());
            p.rotate(i * 45);
            p.fillRect(QRectF(-1.5, -box.height() / 2, 3, 4), ink);
            p.restore();
        }
        break;
    case 1: { // a folder
        QPainterPath folder;
        folder.moveTo(box.left(), box.top() + 3);
        folder.lineTo(box.left() + 6, box.top() + 3);
        folder.lineTo(box.left() + 8, box.top() + 5);
        folder.lineTo(box.right(), box.top() + 5);
        folder.lineTo(box.right(), box.bottom() - 2);
        folder.lineTo(box.left(), box.bottom() - 2);
        folder.closeSubpath();
        p.fillPath(folder, QColor(0xe8a33d));
        break;
    }
    case 2: // a magnifier
        p.setPen(QPen(ink, 2));
        p.drawEllipse(QRectF(box.left() + 1, box.top() + 1, 10, 10));
        p.drawLine(QPointF(box.left() + 10, box.top() + 10), box.bottomRight());
        break;
    case 3: { // a star
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 == 0 ? box.width() / 2 : box.width() / 5;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            const QPointF at =
                box.center() + QPointF(radius * std::cos(angle), radius * std::sin(angle));
            i == 0 ? star.moveTo(at) : star.lineTo(at);
        }
        star.closeSubpath();
        p.fillPath(star, QColor(0xf2b705));
        break;
    }
    default: // a bin
        p.fillRect(QRectF(box.left() + 2, box.top() + 1, box.width() - 4, 2), ink);
        p.fillRect(QRectF(box.left() + 3, box.top() + 4, box.width() - 6, box.height() - 5), ink);
        break;
    }
    p.restore();
}

TextSample icons()
{
    const QStringList labels = {QStringLiteral("Settings"), QStringLiteral("Open Folder"),
                                QStringLiteral("Search"), QStringLiteral("Favourites"),
                                QStringLiteral("Move to Bin")};
    TextSample s{QStringLiteral("icons beside labels"), canvas({220, 150}, QColor(0xf7f7f7)),
                 labels};
    QPainter p(&s.image);
    for (int i = 0; i < labels.size(); ++i) {
        const double top = 8 + i * 28;
        drawIcon(p, i, QRectF(12, top + 2, 16, 16));
        write(p, {38, top + 15}, labels.at(i), 13, QColor(0x202020));
    }
    return s;
}

// Text inside a window's frame: a title bar of buttons, a hatched strip and borders, none of
// which is text.
TextSample windowFrame()
{
    const QStringList lines = {QStringLiteral("Hello from the floating screenshot"),
                               QStringLiteral("The second line of text")};
    TextSample s{QStringLiteral("window frame"), canvas({360, 96}, Qt::white), lines};
    QPainter p(&s.image);
    QLinearGradient bar(0, 0, 360, 0);
    bar.setColorAt(0, QColor(0x5c84b8));
    bar.setColorAt(1, QColor(0x9ab6dc));
    p.fillRect(QRect(0, 0, 360, 22), bar);
    p.setPen(QPen(Qt::white, 1.5));
    for (int i = 0; i < 3; ++i) {
        const QRectF button(300 + i * 18, 4, 14, 14);
        p.drawRect(button);
        if (i == 2) {
            p.drawLine(button.topLeft() + QPointF(3, 3), button.bottomRight() - QPointF(3, 3));
            p.drawLine(button.topRight() + QPointF(-3, 3), button.bottomLeft() + QPointF(3, -3));
        }
    }
    p.drawRect(QRectF(5, 5, 14, 12));
    p.setPen(QPen(QColor(0x404040), 1));
    for (int y = 28; y < 92; y += 3)
        p.drawLine(QPointF(6, y), QPointF(14, y + 3));
    p.drawRect(QRect(4, 26, 350, 66));
    write(p, {22, 50}, lines.at(0), 18, QColor(0x101010));
    write(p, {22, 80}, lines.at(1), 18, QColor(0x101010));
    return s;
}

// Lines set tight against a frame's edge, as in a text box or a message window.
TextSample framedText()
{
    const QStringList lines = {
        QStringLiteral("A second line of text to read"), QStringLiteral("And a third one after it"),
        QStringLiteral("Then a fourth line"), QStringLiteral("And the last one")};
    TextSample s{QStringLiteral("text against a frame"), canvas({320, 130}, Qt::white), lines};
    QPainter p(&s.image);
    p.setPen(QPen(QColor(0x303030), 1));
    for (int y = 6; y < 122; y += 3)
        p.drawLine(QPointF(4, y), QPointF(12, y + 3));
    p.drawRect(QRect(14, 4, 300, 120));
    for (int i = 0; i < lines.size(); ++i)
        write(p, {17, 30.0 + 28 * i}, lines.at(i), 18, QColor(0x101010));
    return s;
}

QString normalised(const QString& text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return QString(text).replace(space, QStringLiteral(" ")).trimmed();
}

template <typename T> qsizetype editDistance(const QList<T>& a, const QList<T>& b)
{
    std::vector<qsizetype> row(static_cast<size_t>(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = static_cast<qsizetype>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[static_cast<size_t>(j)];
            row[static_cast<size_t>(j)] =
                std::min({above + 1, row[static_cast<size_t>(j - 1)] + 1,
                          diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

QList<QChar> characters(const QString& s)
{
    return QList<QChar>(s.begin(), s.end());
}

// Where `needle` best matches inside `haystack` (approximate substring search), as the end
// position of the match, and the number of edits it needs.
std::pair<qsizetype, qsizetype> bestMatch(const QString& haystack, const QString& needle)
{
    std::vector<qsizetype> column(static_cast<size_t>(needle.size()) + 1);
    for (size_t i = 0; i < column.size(); ++i)
        column[i] = static_cast<qsizetype>(i);
    qsizetype bestCost = needle.size();
    qsizetype bestEnd = 0;
    for (qsizetype j = 1; j <= haystack.size(); ++j) {
        qsizetype diagonal = column[0];
        column[0] = 0;
        for (qsizetype i = 1; i <= needle.size(); ++i) {
            const qsizetype left = column[static_cast<size_t>(i)];
            column[static_cast<size_t>(i)] =
                std::min({left + 1, column[static_cast<size_t>(i - 1)] + 1,
                          diagonal + (needle.at(i - 1) == haystack.at(j - 1) ? 0 : 1)});
            diagonal = left;
        }
        if (column.back() < bestCost) {
            bestCost = column.back();
            bestEnd = j;
        }
    }
    return {bestEnd, bestCost};
}

} // namespace

QList<TextSample> textSamples()
{
    return {uiText(),      smallText(),      codeBlock(),     lightOnDark(), twoColumns(),
            hiDpi(),       colouredLabels(), table(),         lowContrast(), icons(),
            windowFrame(), framedText(),     characterGrid(), prices()};
}

TextSample smallRegion()
{
    const QStringList lines = {
        QStringLiteral("Screenshots are kept in memory until you save or close them."),
        QStringLiteral("Drag a floating screenshot to move it; double-click to copy it."),
        QStringLiteral("Use the context menu to scan text, pin the window or share the image."),
        QStringLiteral("Annotations stay editable until the screenshot is closed."),
        QStringLiteral("Press Escape to cancel a selection at any time."),
        QStringLiteral("Hold Shift while dragging to keep the selection square."),
        QStringLiteral("The recogniser reads English and the language of your system."),
        QStringLiteral("Version 0.1.0, released on 6 December 2025."),
    };
    TextSample s{QStringLiteral("800 x 200 region"), canvas({800, 200}, QColor(0xf6f6f6)), lines};
    QPainter p(&s.image);
    for (int i = 0; i < lines.size(); ++i)
        write(p, {16, 22.0 + i * 23}, lines.at(i), 13, QColor(0x222222));
    return s;
}

TextSample fullScreen()
{
    // The samples tiled over a 1920 x 1080 screen; only the time is measured on it.
    TextSample s{QStringLiteral("1920 x 1080 screen"), canvas({1920, 1080}, QColor(0xeeeeee)), {}};
    QPainter p(&s.image);
    const TextSample region = smallRegion();
    p.drawImage(QPointF(40, 40), region.image);
    p.drawImage(QPointF(40, 820), region.image);
    QPointF at(900, 40);
    for (const TextSample& sample : textSamples()) {
        const QImage tile = sample.image.scaled(sample.image.deviceIndependentSize().toSize(),
                                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (at.y() + tile.height() > 1040)
            at = QPointF(at.x() + 500, 40);
        p.drawImage(at, tile);
        at.ry() += tile.height() + 30;
    }
    p.drawImage(QPointF(40, 300), smallRegion().image);
    p.drawImage(QPointF(40, 540), uiText().image);
    return s;
}

ErrorCounts characterErrors(const QString& read, const QStringList& expected)
{
    const QString truth = normalised(expected.join(QLatin1Char('\n')));
    return {editDistance(characters(normalised(read)), characters(truth)), truth.size()};
}

ErrorCounts wordErrors(const QString& read, const QStringList& expected)
{
    const QStringList truth =
        normalised(expected.join(QLatin1Char('\n'))).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList words = normalised(read).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return {editDistance(words, truth), truth.size()};
}

bool linesInOrder(const QString& read, const QStringList& expected)
{
    const QString text = normalised(read);
    qsizetype previous = 0;
    for (const QString& line : expected) {
        const QString wanted = normalised(line);
        const auto [end, cost] = bestMatch(text, wanted);
        // A line read too badly to place is left to the error rate.
        if (cost * 3 > wanted.size())
            continue;
        if (end < previous)
            return false;
        previous = end;
    }
    return true;
}

QImage printed(QSize size, const QList<std::pair<QPointF, QString>>& texts, int pixelSize)
{
    QImage image = canvas(size, Qt::white);
    QPainter p(&image);
    for (const auto& [baseline, text] : texts)
        write(p, baseline, text, pixelSize, Qt::black);
    return image;
}

} // namespace vellumbox::samples
