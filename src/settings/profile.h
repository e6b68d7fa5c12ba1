// Where the settings, bookmark, bookshelf and chapter condition files live, and core start-up.
#pragma once

#include <QString>
#include <QStringList>

#include "settings/parablock.h"

// The side files sit together in the profile folder, named Leafturner with their own extension.
// The folder is, in this order: --profile DIR, $LEAFTURNER_PROFILE, the executable's folder when a
// writable Leafturner.ini stands in a writable folder, else $XDG_CONFIG_HOME/leafturner
// (~/.config/leafturner).
QString ResolveProfileDir(const QString& profileOption, const QString& executableDir);

void SetProfileDir(const QString& dir);
QString ProfileDir();
// ProfileDir()/Leafturner<extension>, e.g. ProfileFile(".ini").
QString ProfileFile(const QString& extension);

QString SettingsFilePath();  // .ini
QString BookmarkFilePath();  // .bmk
QString BookshelfFilePath(); // .blb
QString ConditionFilePath(); // .chp

// Options shared by the reader and leafturner-cli.
struct CoreOptions
{
    QString profile;  // --profile DIR
    QString codepage; // --codepage NAME
    ParaScreen screen;
    // Read the profile as it stands: nothing is created, converted or written there.
    bool readOnlyProfile = false;
};

// Removes "--profile DIR" / "--profile=DIR" and "--codepage NAME" / "--codepage=NAME" from `args`
// into `options`. False (with `error` set) when an option lacks its value.
bool ExtractCoreOptions(QStringList& args, CoreOptions& options, QString* error);

// Profile folder (created when missing), ANSI code page, settings loaded and the settings and
// bookmark files made UTF-16LE; with readOnlyProfile only the code page and the settings in memory.
// False, with `error` set and `exitStatus` 2 when the code page is unknown (a usage error), 1 when
// the profile folder cannot be created (or, read only, is not a folder).
bool InitCore(const CoreOptions& options, const QString& executableDir, QString* error,
              int* exitStatus = nullptr);
