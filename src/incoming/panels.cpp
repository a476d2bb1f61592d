#include "incoming/panels.h"

#include "ui/dbwidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

namespace incoming {

QGroupBox* buildDetailPanel(QWidget* parent, const QString& name, const QString& title, DataSource* source,
                            const std::vector<PanelLine>& lines, int& textNumber, int& labelNumber,
                            std::vector<DBText*>& texts)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const PanelLine& line : lines) {
        auto* caption = new QLabel(line.caption, box);
        caption->setObjectName(QStringLiteral("Label%1").arg(labelNumber++));
        grid->addWidget(caption, row, 0);
        auto* values = new QHBoxLayout;
        for (const QString& field : line.fields) {
            auto* text = new DBText(box);
            text->setObjectName(QStringLiteral("DBText%1").arg(textNumber++));
            // A label is no focus target, so the caption is announced through the accessible name.
            text->setAccessibleName(line.caption);
            text->setMinimumWidth(40);
            text->bind(source, field);
            values->addWidget(text);
            texts.push_back(text);
        }
        values->addStretch(1);
        grid->addLayout(values, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return box;
}

}  // namespace incoming
