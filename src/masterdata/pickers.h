#pragma once

#include <QString>

class QWidget;

// The picker protocol of the registers. Creates the carrier list TForm6 (or the partner list
// TForm4), shows it modally, destroys it, and returns skod of the current row of ZQ30 (fkod of
// ZQ40) as it stands then: "Kiválaszt" and "Mégsem" alike, empty text for an empty list. ZQ30 /
// ZQ40 stay open and positioned, so the caller's labels bound to DS30 / DS40 show that row.
QString pickCarrier(QWidget* owner);
QString pickSender(QWidget* owner);
