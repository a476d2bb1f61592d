#pragma once

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QString>

// Why a file could not be opened, read or written, in Hungarian. Qt's own words for it are the
// operating system's, in English; this says the same from the kind of failure and the file's place.
inline QString fileErrorText(const QFileDevice& file)
{
    const QFileInfo info(file.fileName());
    switch (file.error()) {
    case QFileDevice::NoError:
        return {};
    case QFileDevice::PermissionsError:
        return QStringLiteral("Nincs hozzá jogosultság.");
    case QFileDevice::OpenError:
        if (!info.absoluteDir().exists())
            return QStringLiteral("A mappája nem létezik.");
        if (info.isDir())
            return QStringLiteral("Ez nem fájl, hanem mappa.");
        if ((info.exists() && !info.isReadable()) || !QFileInfo(info.absolutePath()).isWritable())
            return QStringLiteral("Nincs hozzá jogosultság.");
        return QStringLiteral("A rendszer nem engedi megnyitni.");
    case QFileDevice::ReadError:
        return QStringLiteral("Olvasási hiba a lemezen.");
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        return QStringLiteral("Írási hiba: betelt vagy nem írható a lemez.");
    case QFileDevice::ResourceError:
        return QStringLiteral("Elfogyott a lemezhely vagy egy rendszererőforrás.");
    case QFileDevice::RenameError:
    case QFileDevice::RemoveError:
    case QFileDevice::CopyError:
        return QStringLiteral("A fájl nem nevezhető át vagy nem cserélhető le.");
    default:
        return QStringLiteral("A fájlművelet nem sikerült.");
    }
}
