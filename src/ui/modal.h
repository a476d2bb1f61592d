#pragma once

#include "ui/platform.h"

#include <memory>
#include <utility>

class QWidget;

// Opens a screen the way every menu item and list does: create it (its own arguments first, the
// owner last), show it modally through the platform seam, destroy it. Returns the dialog's result.
template <typename Screen, typename... Args>
int runScreen(QWidget* owner, Args&&... args)
{
    const auto screen = std::make_unique<Screen>(std::forward<Args>(args)..., owner);
    return platform::showModal(screen.get());
}

