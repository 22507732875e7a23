// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtAlertPresenter.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vellumbox {

namespace {

struct QtAlertPresenterText {
    Q_DECLARE_TR_FUNCTIONS(QtAlertPresenter)
};

} // namespace

int QtAlertPresenter::runModal(const Alert& alert)
{
    QMessageBox box(alert.style == AlertStyle::Warning ? QMessageBox::Warning
                                                       : QMessageBox::Information,
                    QtAlertPresenterText::tr("Vellumbox"), alert.message);
    box.setInformativeText(alert.informativeText);
    // Wide enough that a sentence, or a preview of recognised text, reads on few lines.
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label, QLabel#qt_msgbox_informativelabel "
                                     "{ min-width: 320px; }"));
    // Kept above the floating screenshots, which are lowered while it is up.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    const QStringList titles =
        alert.buttons.isEmpty() ? QStringList{QtAlertPresenterText::tr("OK")} : alert.buttons;
    QList<QAbstractButton*> buttons;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        buttons.append(box.addButton(titles.at(i), role));
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    box.setEscapeButton(buttons.last());
    box.exec();
    const qsizetype index = buttons.indexOf(box.clickedButton());
    return alertFirstButtonReturn + static_cast<int>(index < 0 ? titles.size() - 1 : index);
}

} // namespace vellumbox
