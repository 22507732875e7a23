// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LogoSvg.h"
#include "app/VellumboxLogoView.h"

#include <QPainter>
#include <QTest>
#include <QXmlStreamReader>

using namespace vellumbox;

class TestLogo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void iconCardsStayInsideTheTile();
    void frontCardCoversTheRearOutlineOnlyWhenFilled();
    void trayIconStrokesFollowTheDensity();
};

void TestLogo::frontCardCoversTheRearOutlineOnlyWhenFilled()
{
    // Where the rear card's left edge runs inside the front card.
    const auto draw = [](std::optional<QColor> fill) {
        QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        VellumboxLogoView::drawLogo(painter, QRectF(0, 0, 80, 80), Qt::blue, fill);
        return image;
    };
    // The rear card's left edge (x 29.2) where it runs inside the front card (y 36.4 to 43.6).
    const QPoint crossing(29, 40);
    QVERIFY(qAlpha(draw(std::nullopt).pixel(crossing)) > 60);
    QCOMPARE(draw(QColor(Qt::white)).pixel(crossing), qRgb(255, 255, 255));
    // The rear outline is drawn at half the stroke's alpha.
    QVERIFY(qAbs(qAlpha(draw(std::nullopt).pixel(29, 20)) - 128) <= 20);
}

void TestLogo::trayIconStrokesFollowTheDensity()
{
    // Opaque rows across the front card's bottom edge (y 17.1 of 18 points), mid-card.
    const auto strokeRows = [](qreal ratio) {
        const QImage image = VellumboxLogoView::trayIcon()
                                 .pixmap(QSize(18, 18), ratio)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        int rows = 0;
        for (int y = 0; y < image.height(); ++y)
            rows += y > image.height() * 3 / 4 && qAlpha(image.pixel(qRound(6 * ratio), y)) > 128;
        return std::pair{image.size(), rows};
    };
    QCOMPARE(strokeRows(1.0).first, QSize(18, 18));
    QCOMPARE(strokeRows(2.0).first, QSize(36, 36));
    QVERIFY2(strokeRows(2.0).second >= 2 * strokeRows(1.0).second - 1,
             qPrintable(QStringLiteral("%1 rows at 2x, %2 at 1x")
                            .arg(strokeRows(2.0).second)
                            .arg(strokeRows(1.0).second)));
    QVERIFY(strokeRows(1.0).second >= 1);
}

void TestLogo::iconCardsStayInsideTheTile()
{
    QXmlStreamReader svg(logoSvg());
    QList<QRectF> rects;
    QList<qreal> strokes;
    QStringList fills;
    while (!svg.atEnd()) {
        if (svg.readNext() != QXmlStreamReader::StartElement || svg.name() != u"rect")
            continue;
        const auto a = svg.attributes();
        rects.append(QRectF(a.value(QLatin1String("x")).toDouble(),
                            a.value(QLatin1String("y")).toDouble(),
                            a.value(QLatin1String("width")).toDouble(),
                            a.value(QLatin1String("height")).toDouble()));
        strokes.append(a.value(QLatin1String("stroke-width")).toDouble());
        fills.append(a.value(QLatin1String("fill")).toString());
    }
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    QCOMPARE(rects.size(), 3);
    const QRectF tile = rects.at(0);
    for (int i = 1; i < 3; ++i) {
        const qreal half = strokes.at(i) / 2;
        QVERIFY(strokes.at(i) > 0);
        QVERIFY(tile.contains(rects.at(i).adjusted(-half, -half, half, half)));
    }
    // The front card is filled with the tile so that it hides the rear card's outline.
    QCOMPARE(fills.at(2), fills.at(0));
    QCOMPARE(fills.at(1), QStringLiteral("none"));
    QVERIFY(rects.at(1).intersects(rects.at(2)));
}

QTEST_MAIN(TestLogo)
#include "tst_logo.moc"
