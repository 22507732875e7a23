// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace vellumbox {

// The status symbol: a red cross or a green tick in a filled circle, drawn in code.
class PermissionSymbol : public QWidget {
    Q_OBJECT
public:
    explicit PermissionSymbol(QWidget* parent);
    void setGranted(bool granted);
    bool isGranted() const { return granted_; }
    // Green when granted, red when not; the status text beside it takes the same colour.
    static QColor colour(bool granted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool granted_ = false;
};

} // namespace vellumbox
