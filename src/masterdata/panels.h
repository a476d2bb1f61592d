#pragma once

#include "ui/dbwidgets.h"

// The read-only panels of the delivery screens that show a register row: the carrier, the sender
// of an arrival, the buyer or destination of a departure. Texts are named as buildDetailPanel
// names them.
namespace masterdata {

QGroupBox* carrierPanel(QWidget* parent, const QString& name, DataSource* source, int* textNumber = nullptr,
                        std::vector<DBText*>* texts = nullptr);
QGroupBox* senderPanel(QWidget* parent, const QString& name, DataSource* source, int* textNumber = nullptr,
                       std::vector<DBText*>* texts = nullptr);
QGroupBox* buyerPanel(QWidget* parent, const QString& name, DataSource* source, int* textNumber = nullptr,
                      std::vector<DBText*>* texts = nullptr);

}  // namespace masterdata
