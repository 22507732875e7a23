// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>

// Input and clipboard through the same tools a person's desktop would use, so the application
// sees real server events and real selection owners. Coordinates are root (device) pixels.
namespace e2e::tools {

// Runs program to completion; false on failure, a non-zero exit or a timeout.
bool run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
         const QByteArray& input = {}, int timeoutMs = 10000);

bool xdotool(const QStringList& arguments);
bool key(const QString& keys); // xdotool syntax: "ctrl+shift+9", "Escape"
bool mouseMove(const QPoint& rootPos);
bool mouseDown(int button = 1);
bool mouseUp(int button = 1);
bool click(const QPoint& rootPos, int button = 1);
// Press at from, move there in steps with pauses in between, release at to.
bool drag(const QPoint& from, const QPoint& to, int steps = 4, int pauseMs = 30);

} // namespace e2e::tools
