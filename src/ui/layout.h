#pragma once

#include <QSize>

class QDialog;

// Fixes a dialog at its laid-out size (at least minimum) and centres it on the desktop.
void fixAndCentre(QDialog* dialog, const QSize& minimum = QSize());
