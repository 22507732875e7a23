// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

namespace vellumbox {

struct EngineWord {
    // As the engine read it, white space included.
    QString text;
    // 0 to 100.
    float confidence = 0;
    // In the pixels of the whole picture; empty when the engine gives none.
    QRect box;
};

struct EngineLine {
    // In the pixels of the whole picture, never empty.
    QRect box;
    float confidence = 0;
    QList<EngineWord> words;
};

// How the engine looks for text: the layout of a page, the whole region as one line, or as one
// word.
enum class EngineLayout { Page, SingleLine, SingleWord };

// A text recognition engine: reads dark text on a white Grayscale8 picture and says how sure
// it is of each word. One caller at a time; the recogniser that drives it holds the lock.
class TextEngine {
public:
    virtual ~TextEngine() = default;
    // Loads the language data unless it is loaded; a reason meant for the user when it cannot.
    virtual std::optional<QString> load() = 0;
    // The lines inside `region` of `gray`; nothing before a successful load().
    virtual QList<EngineLine> read(const QImage& gray, const QRect& region,
                                   EngineLayout layout) = 0;
    // A second loaded engine with the same languages, for another thread to read another region
    // of the same picture; none when it cannot load.
    virtual std::unique_ptr<TextEngine> twin() = 0;
    // Frees the language data; the next load() reads it again.
    virtual void release() = 0;
};

} // namespace vellumbox
