#pragma once

#include "db/client.h"

#include <QString>
#include <QStringList>

class QWidget;

// The check at start-up after a run that did not end cleanly (core/index_check.h): the engine
// validates the database file while a small window shows what it is checking, every damaged index
// is built anew, and the person is told what was found and done, in Hungarian. Nothing is shown
// when the file is sound.
namespace startupcheck {

struct Outcome {
    bool checked = false;       // the validation ran to its end
    QStringList repaired;       // "IX_NAME (TABLE tábla)"
    QStringList notRepaired;    // likewise, the rebuild refused
    QStringList otherDamage;    // tables with damage outside their indexes
    bool soundAfter = false;    // a second validation after the rebuilds found nothing
    QString message;            // what the person was told; empty when nothing was shown
};

// Runs the check for the database params names, over parent.
Outcome check(QWidget* parent, const fb::ConnectParams& params);

// Start-up: when the marker says the last run with the program's database did not end cleanly,
// checks it. False when the program was asked to end meanwhile.
bool afterUncleanEnd(QWidget* parent);

// The program's database is connected, or was left cleanly (the marker written or removed).
void markRunning();
void markCleanEnd();

}  // namespace startupcheck
