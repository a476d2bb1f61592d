#include "masterdata/panels.h"

namespace masterdata {

QGroupBox* carrierPanel(QWidget* parent, const QString& name, DataSource* source, int* textNumber,
                        std::vector<DBText*>* texts)
{
    return buildDetailPanel(parent, name, QStringLiteral("Szállító"), source,
                            {{QStringLiteral("Rendszám:"), {QStringLiteral("srendszam")}},
                             {QStringLiteral("Név:"), {QStringLiteral("snev")}},
                             {QStringLiteral("Cim:"), {QStringLiteral("scim")}},
                             {QStringLiteral("Jóváhagy.szám:"), {QStringLiteral("sjovaszam")}},
                             {QStringLiteral("Kód:"), {QStringLiteral("IDs"), QStringLiteral("skod")}}},
                            textNumber, texts);
}

QGroupBox* senderPanel(QWidget* parent, const QString& name, DataSource* source, int* textNumber,
                       std::vector<DBText*>* texts)
{
    return buildDetailPanel(parent, name, QStringLiteral("Tulajdosnos/feladó"), source,
                            {{QStringLiteral("Tulajdonos/feladó neve:"), {QStringLiteral("fnev")}},
                             {QStringLiteral("Cime:"), {QStringLiteral("fcim")}},
                             {QStringLiteral("Tenyészkódja:"), {QStringLiteral("ftenykod")}},
                             {QStringLiteral("Származási hely:"), {QStringLiteral("fsznev")}},
                             {QStringLiteral("cime:"), {QStringLiteral("fszcim")}},
                             {QStringLiteral("Kód:"), {QStringLiteral("IDf"), QStringLiteral("fkod")}}},
                            textNumber, texts);
}

QGroupBox* buyerPanel(QWidget* parent, const QString& name, DataSource* source, int* textNumber,
                      std::vector<DBText*>* texts)
{
    return buildDetailPanel(parent, name, QStringLiteral("Vevő/Rendeltetési hely"), source,
                            {{QStringLiteral("Továbbforg.vevö neve:"), {QStringLiteral("fnev")}},
                             {QStringLiteral("Cime:"), {QStringLiteral("fcim")}},
                             {QStringLiteral("Rendeltetési hely neve:"), {QStringLiteral("fsznev")}},
                             {QStringLiteral("cime:"), {QStringLiteral("fszcim")}},
                             {QStringLiteral("Tenyészkódja:"), {QStringLiteral("ftenykod")}},
                             {QStringLiteral("Kód:"), {QStringLiteral("IDf"), QStringLiteral("fkod")}}},
                            textNumber, texts);
}

}  // namespace masterdata
