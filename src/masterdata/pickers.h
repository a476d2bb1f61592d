#pragma once

#include <QString>

class QWidget;

// The picker protocol of the registers. Shows the carrier list (or the sender/buyer list) modally
// and returns skod of the current row of ZQ30 (fkod of ZQ40) as it stands when the list closes:
// "Kiválaszt" and "Mégsem" alike, empty text for an empty list. ZQ30 / ZQ40 stay open and
// positioned, so the caller's labels bound to DS30 / DS40 show that row.
QString pickCarrier(QWidget* owner);
QString pickSender(QWidget* owner);
