// A temporary folder taken as the process's profile, for tests that build dialogs and panes without a
// whole reader. Header-only: its users link lt_settings themselves.
#pragma once

#include "settings/profile.h"

#include <QString>

// Makes `folder` the profile, as a reader started with --profile would; false when it cannot be.
inline bool UseAsProfile(const QString& folder)
{
    CoreOptions options;
    options.profile = folder;
    return InitCore(options, QString(), nullptr);
}
