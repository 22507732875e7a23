// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnboardingWindow.h"

#include "VellumboxLogoView.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

namespace vellumbox {

namespace {

// Sizes in logical pixels, one per point of the layout.
QLabel* addLabel(QWidget* parent, const QString& text, const QRect& frame, int pointSize,
                 QFont::Weight weight, bool secondary)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pointSize);
    font.setWeight(weight);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    if (secondary)
        label->setForegroundRole(QPalette::PlaceholderText);
    label->setGeometry(frame);
    return label;
}

} // namespace

OnboardingWindow::OnboardingWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint)
{
    setWindowTitle(tr("Welcome to Vellumbox"));
    setFixedSize(onboardingWindowWidth, onboardingWindowHeight);
    // Frames as on a y-down page: top = 420 - (y + height) of a bottom-up layout.
    auto* logo = new VellumboxLogoView(this);
    logo->setGeometry(194, 30, 72, 72);
    addLabel(this, QStringLiteral("Vellumbox"), QRect(0, 114, 460, 28), 22, QFont::DemiBold, false);
    addLabel(this, tr("Capture. Float. Annotate."), QRect(0, 148, 460, 18), 13, QFont::Normal,
             true);
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(30, 185, 400, 1);
    addLabel(this, tr("One Quick Setup Step"), QRect(0, 210, 460, 20), 15, QFont::DemiBold, false);
    QLabel* explanation = addLabel(
        this,
        tr("Vellumbox needs Screen Recording permission to capture screenshots. This is a "
           "desktop security requirement — your screen content stays on your computer and is "
           "never sent anywhere."),

        QRect(30, 240, 400, 56), 12, QFont::Normal, true);
    explanation->setWordWrap(true);
}

void OnboardingWindow::closeEvent(QCloseEvent* event)
{
    Q_EMIT willClose();
    // Kept, not destroyed: its controller owns it for the rest of the run.
    event->accept();
}

void OnboardingWindow::keyPressEvent(QKeyEvent* event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && event->modifiers() == Qt::NoModifier && returnButton &&
        returnButton->isEnabled()) {
        returnButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OnboardingWindow::mousePressEvent(QMouseEvent* event)
{
    // The background moves the window, as its title bar would.
    if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove())
        return;
    QWidget::mousePressEvent(event);
}

} // namespace vellumbox
