#pragma once

#include "ui/dbwidgets.h"

// The read-only panels of the delivery screens that show a register row: the carrier, the sender
// of an arrival, the buyer or destination of a departure. Texts and captions are numbered on from
// textNumber / labelNumber, as buildDetailPanel does.
namespace masterdata {

QGroupBox* carrierPanel(QWidget* parent, const QString& name, DataSource* source, int& textNumber, int& labelNumber,
                        std::vector<DBText*>* texts = nullptr);
QGroupBox* senderPanel(QWidget* parent, const QString& name, DataSource* source, int& textNumber, int& labelNumber,
                       std::vector<DBText*>* texts = nullptr);
QGroupBox* buyerPanel(QWidget* parent, const QString& name, DataSource* source, int& textNumber, int& labelNumber,
                      std::vector<DBText*>* texts = nullptr);

}  // namespace masterdata
