#include "ui/platform.h"
#include "ui/translations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void qtDialogsSpeakHungarian();
    void fileFilterEntriesOnceAndWellFormed_data();
    void fileFilterEntriesOnceAndWellFormed();
};

void PlatformTest::qtDialogsSpeakHungarian()
{
    QVERIFY(platform::installQtTranslations(*qApp));
    // The confirmation box with the single button Yes.
    QMessageBox box(QMessageBox::Question, QStringLiteral("Gerundo"), QStringLiteral("?"), QMessageBox::Yes);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Igen"));
    // The file dialog Qt draws itself, as on a desktop without a native one.
    QFileDialog dialog(nullptr, QStringLiteral("Megnyitásra kerülö file neve:"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.show();
    QStringList buttons;
    for (QAbstractButton* b : dialog.findChild<QDialogButtonBox*>()->buttons())
        buttons << b->text();
    QVERIFY2(buttons.contains(QStringLiteral("&Megnyitás")) || buttons.contains(QStringLiteral("Megnyitás")),
             qPrintable(buttons.join(u'|')));
    QVERIFY2(buttons.contains(QStringLiteral("Mégse")), qPrintable(buttons.join(u'|')));
    QStringList labels;
    for (QLabel* l : dialog.findChildren<QLabel*>())
        labels << l->text();
    QVERIFY2(labels.contains(QStringLiteral("Fájl &neve:")), qPrintable(labels.join(u'|')));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given."),
             QStringLiteral("%1\nA fájl nem található.\nEllenőrizze, hogy jól adta-e meg a fájl nevét."));
}

void PlatformTest::fileFilterEntriesOnceAndWellFormed_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("XML takeover") << "XML files (*.XML)|*.xml|All files|*.*"
                                  << QStringList{"XML files (*.xml *.XML)", "All files (*)"};
    QTest::newRow("legacy import") << "Szövegfájl (*.txt)|*.txt|Minden fájl|*.*"
                                   << QStringList{"Szövegfájl (*.txt *.TXT)", "Minden fájl (*)"};
    QTest::newRow("several patterns") << "Képek|*.png;*.JPG" << QStringList{"Képek (*.png *.PNG *.JPG *.jpg)"};
    QTest::newRow("an entry twice") << "A|*.a|A|*.a" << QStringList{"A (*.a *.A)"};
}

void PlatformTest::fileFilterEntriesOnceAndWellFormed()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    const QString qt = platform::qtFileFilter(filter);
    QCOMPARE(qt.split(QStringLiteral(";;")), shown);
    // As the file dialog lists them.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(qt);
    QCOMPARE(dialog.nameFilters(), shown);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QCOMPARE(types->count(), shown.size());
    for (int i = 0; i < shown.size(); ++i)
        QCOMPARE(types->itemText(i), shown.at(i));
}

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
