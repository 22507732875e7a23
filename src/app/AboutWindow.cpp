// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutWindow.h"

#include "VellumboxLogoView.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace vellumbox {

QString AboutWindow::helpText()
{
    return tr("Click the tray icon or press Ctrl+Shift+9\n"
              "Click and drag to select an area\n"
              "Release to capture — screenshot floats\n"
              "Right-click for options\n"
              "Click to close · Drag to move\n"
              "\n"
              "Keyboard Shortcuts\n"
              "Ctrl+C  Copy to clipboard\n"
              "Ctrl+S  Save to file\n"
              "Ctrl+W  Close screenshot\n"
              "Ctrl+Z  Undo last annotation\n"
              "Esc   Exit edit mode");
}

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(tr("About Vellumbox"));

    setFixedSize(300, 440);
    // Laid out as on a y-down page: the logo 30 points from the top.
    auto* logo = new VellumboxLogoView(this);
    logo->setGeometry(110, 30, 80, 80);
    auto* name = new QLabel(QStringLiteral("Vellumbox"), this);
    QFont nameFont = name->font();
    nameFont.setPixelSize(20);
    nameFont.setWeight(QFont::DemiBold);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignCenter);
    name->setGeometry(0, 118, 300, 24);
    auto* version = new QLabel(tr("Version %1").arg(QGuiApplication::applicationVersion()), this);
    // Sizes in logical pixels, like the first-run window: a point is 1.33 pixels at 96 dpi,
    // which pushed the help's last lines out of the window.
    QFont small = version->font();
    small.setPixelSize(12);
    version->setFont(small);
    version->setAlignment(Qt::AlignCenter);
    version->setForegroundRole(QPalette::PlaceholderText);
    version->setGeometry(0, 144, 300, 16);
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(20, 175, 260, 1);
    auto* help = new QLabel(helpText(), this);
    help->setFont(small);
    help->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    help->setWordWrap(true);
    help->setGeometry(20, 180, 260, 240);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

} // namespace vellumbox
