// The main toolbar's resource: its 44 items (commands and separators) with their button labels.
#pragma once

#include <span>

// One item of a toolbar resource; a command id of 0 is a separator and has no label.
struct ToolbarResourceItem
{
    int commandId;
    const char16_t* label;
};

// Toolbar resource 128: buttons of 16x15 whose images 0..31 follow the order of the commands.
inline constexpr int kMainToolbarResource = 128;
inline constexpr int kMainToolbarButtonWidth = 16;
inline constexpr int kMainToolbarButtonHeight = 15;
std::span<const ToolbarResourceItem> MainToolbarResource();
