// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the unit and widget tests share: data tables, pictures whose pixels say where they are,
// colour and near-equality checks, a mouse drag.

#include <QImage>
#include <QStringList>
#include <QTest>

#include <array>
#include <tuple>
#include <utility>

namespace vellumbox::testing {

// A data table's columns, one name for each type: columns<QString, bool>({"path", "valid"}).
template <typename... T> void columns(const std::array<const char*, sizeof...(T)>& names)
{
    auto name = names.begin();
    (QTest::addColumn<T>(*name++), ...);
}

// The current row's values, by column name: auto [path, valid] = fetch<QString, bool>({...}).
template <typename... T> std::tuple<T...> fetch(const std::array<const char*, sizeof...(T)>& names)
{
    return [&names]<std::size_t... I>(std::index_sequence<I...>)
    {
        return std::tuple<T...>{*static_cast<T*>(QTest::qData(names[I], qMetaTypeId<T>()))...};
    }
    (std::index_sequence_for<T...>{});
}

// A row of a data table; text goes into QString columns, as with QTest::newRow.
template <typename... T> void row(const char* name, const T&... values)
{
    (QTest::newRow(name) << ... << values);
}

// A picture whose pixel (x, y) encodes x and y: a crop can be checked pixel by pixel.
inline QImage positionPicture(QSize pixels, qreal ratio = 1.0)
{
    QImage image(pixels, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            line[x] = qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | (((y >> 8) & 0x0f) << 4));
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

inline bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
}

inline QImage filledPicture(QSize pixels, const QColor& colour)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Whether no channel differs by more than `tolerance`.
inline bool near(QRgb p, QRgb q, int tolerance = 2)
{
    return qAbs(qRed(p) - qRed(q)) <= tolerance && qAbs(qGreen(p) - qGreen(q)) <= tolerance &&
           qAbs(qBlue(p) - qBlue(q)) <= tolerance;
}

// How many pixels differ by more than `tolerance` in a channel; sizes must match.
inline int differingPixels(const QImage& a, const QImage& b, int tolerance = 2)
{
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += near(a.pixel(x, y), b.pixel(x, y), tolerance) ? 0 : 1;
    return count;
}

inline void drag(QWidget* widget, QPoint from, QPoint to)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(widget, (from + to) / 2);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, to);
}

// The first child of type T whose text() is `text`, or null.
template <typename T> T* childWithText(const QObject* parent, const QString& text)
{
    for (T* child : parent->findChildren<T*>()) {
        if (child->text() == text)
            return child;
    }
    return nullptr;
}

// The program's own log lines (categories "vellumbox.*") while it lives.
class LogCapture {
public:
    LogCapture()
    {
        lines().clear();
        previous_ = qInstallMessageHandler(&LogCapture::record);
    }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    // "category: message" for each line.
    static QStringList& lines()
    {
        static QStringList all;
        return all;
    }

private:
    static void record(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (QByteArray(context.category).startsWith("vellumbox."))
            lines().append(QString::fromLatin1(context.category) + QStringLiteral(": ") + message);
    }
    QtMessageHandler previous_ = nullptr;
};

} // namespace vellumbox::testing
