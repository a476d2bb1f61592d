#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class DataSource;
class DBText;
class QGroupBox;
class QWidget;

namespace incoming {

// One line of a detail panel: its caption and the fields shown beside it.
struct PanelLine {
    QString caption;
    QStringList fields;
};

// A titled panel of captions with bound texts showing fields of the current row of source. The
// texts are named DBText<n> and the captions Label<n>, counting on from the numbers given; the
// texts are appended to texts in field order.
QGroupBox* buildDetailPanel(QWidget* parent, const QString& name, const QString& title, DataSource* source,
                            const std::vector<PanelLine>& lines, int& textNumber, int& labelNumber,
                            std::vector<DBText*>& texts);

}  // namespace incoming
