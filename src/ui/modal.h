#pragma once

#include "ui/platform.h"

class QWidget;

// Opens a screen the way every menu item and list does: create it, keep it in its global
// variable while it lives, show it modally (through the platform seam), destroy it.
template <typename Screen>
int runScreen(QWidget* owner, Screen*& globalVar)
{
    auto* screen = new Screen(owner);
    globalVar = screen;
    const int result = platform::showModal(screen);
    delete screen;
    globalVar = nullptr;
    return result;
}
