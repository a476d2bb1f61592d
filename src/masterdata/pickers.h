#pragma once

#include <QString>

class QWidget;
class Session;

// The picker protocol of the registers. Shows the carrier list (or the sender/buyer list) modally
// and returns the code (skod, fkod) of the current row of the session's shared carrier (partner)
// list as it stands when the list closes: "Kiválaszt" and "Mégsem" alike, empty text for an empty
// list. The list stays open and positioned, so the caller's panels bound to it show that row.
QString pickCarrier(Session& session, QWidget* owner);
QString pickSender(Session& session, QWidget* owner);
