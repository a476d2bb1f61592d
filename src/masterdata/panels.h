#pragma once

#include "ui/dbwidgets.h"

// The read-only panels of the delivery screens that show a register row: the carrier, the sender
// of an arrival, the buyer or destination of a departure. Texts are numbered on from textNumber,
// as buildDetailPanel does.
namespace masterdata {

QGroupBox* carrierPanel(QWidget* parent, const QString& name, DataSource* source, int& textNumber,
                        std::vector<DBText*>* texts = nullptr);
QGroupBox* senderPanel(QWidget* parent, const QString& name, DataSource* source, int& textNumber,
                       std::vector<DBText*>* texts = nullptr);
QGroupBox* buyerPanel(QWidget* parent, const QString& name, DataSource* source, int& textNumber,
                      std::vector<DBText*>* texts = nullptr);

// The entry screens' way of showing a row in those panels: reload the carrier list ZQ30 (partner
// list ZQ40) in its default order and move to the row whose code equals code exactly; without
// such a row the first row stays current.
void reopenCarriersOn(const QString& code);
void reopenPartnersOn(const QString& code);

}  // namespace masterdata
