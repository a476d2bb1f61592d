#pragma once

#include "ui/platform.h"

#include <QDialog>
#include <QStringList>

class DBGrid;
class DBNavigator;
class QLabel;
class QPushButton;

// "Adatátvétel": takes over the ear tags of departing animals from the XML file of the separate
// ear-tag program. "Beolvasás" stages the file in KISZALL1, "Ellenőrzés" lists the staged ear tags
// that never arrived, "Feladás" posts the staged rows into KISZALL.
class TForm30 : public QDialog {
    Q_OBJECT
public:
    explicit TForm30(QWidget* parent = nullptr);

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;
    QPushButton *Button5, *Button1, *Button2, *Button3;
    // The file-open dialog's settings; its file name is the one the next read uses.
    platform::FileDialogSettings OpenDialog1;

    void FormShow();
    void Button5Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    // Values of the record being read.
    QStringList RecordValues;
    // Stores RecordValues as a new KISZALL1 row; false when the database refused the row.
    bool insertintotable();
    // Rewrites every staged ear tag in its plain numeric form; false after Hiba302 / Hiba303.
    bool normaliseEarTags();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void readXmlFile();
};

extern TForm30* Form30;
