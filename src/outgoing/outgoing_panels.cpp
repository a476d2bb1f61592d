#include "outgoing/outgoing_panels.h"

#include "ui/dbwidgets.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace outgoing {

namespace {
class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> handler) : QObject(parent), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            m_handler();
        return false;
    }

private:
    std::function<void()> m_handler;
};
}  // namespace

void buildPanel(QGroupBox* box, DataSource* source, const std::vector<PanelLine>& lines)
{
    auto* form = new QFormLayout(box);
    int n = 0;
    for (const PanelLine& line : lines) {
        auto* row = new QHBoxLayout;
        DBText* first = nullptr;
        for (const QString& field : line.fields) {
            auto* text = new DBText(box);
            text->setObjectName(box->objectName() + QStringLiteral("_DBText") + QString::number(++n));
            text->setProperty("field", field);
            text->setAccessibleName(line.caption);
            text->setMinimumWidth(60);
            text->bind(source, field);
            row->addWidget(text, 1);
            if (!first)
                first = text;
        }
        auto* label = new QLabel(line.caption, box);
        label->setBuddy(first);
        form->addRow(label, row);
    }
}

QGroupBox* carrierPanel(QWidget* parent, const QString& objectName, DataSource* source)
{
    auto* box = new QGroupBox(QStringLiteral("Szállító"), parent);
    box->setObjectName(objectName);
    buildPanel(box, source,
               {{QStringLiteral("Rendszám:"), {QStringLiteral("srendszam")}},
                {QStringLiteral("Név:"), {QStringLiteral("snev")}},
                {QStringLiteral("Cim:"), {QStringLiteral("scim")}},
                {QStringLiteral("Jóváhagy.szám:"), {QStringLiteral("sjovaszam")}},
                {QStringLiteral("Kód:"), {QStringLiteral("IDs"), QStringLiteral("skod")}}});
    return box;
}

QGroupBox* buyerPanel(QWidget* parent, const QString& objectName, DataSource* source)
{
    auto* box = new QGroupBox(QStringLiteral("Vevő/Rendeltetési hely"), parent);
    box->setObjectName(objectName);
    buildPanel(box, source,
               {{QStringLiteral("Továbbforg.vevö neve:"), {QStringLiteral("fnev")}},
                {QStringLiteral("Cime:"), {QStringLiteral("fcim")}},
                {QStringLiteral("Rendeltetési hely neve:"), {QStringLiteral("fsznev")}},
                {QStringLiteral("cime:"), {QStringLiteral("fszcim")}},
                {QStringLiteral("Tenyészkódja:"), {QStringLiteral("ftenykod")}},
                {QStringLiteral("Kód:"), {QStringLiteral("IDf"), QStringLiteral("fkod")}}});
    return box;
}

void fixCentred(QDialog* dialog, const QSize& size)
{
    dialog->setFixedSize(size.expandedTo(dialog->sizeHint()));
    if (QScreen* s = QApplication::primaryScreen())
        dialog->move(s->availableGeometry().center() - dialog->rect().center());
}

void onDoubleClick(QWidget* widget, std::function<void()> handler)
{
    widget->installEventFilter(new DoubleClickFilter(widget, std::move(handler)));
}

void toggleCategory(QLineEdit* edit)
{
    edit->setText(edit->text() == QStringLiteral("hizlalás") ? QStringLiteral("vágás") : QStringLiteral("hizlalás"));
}

}  // namespace outgoing
