#pragma once
// The rule every host's modal run keeps: while a modal window runs, its owner
// takes no input; afterwards it takes input again, unless it refused input
// already before (it sits behind another modal window, whose own run gives
// it back).

#include <utility>

#include "ui/toolkit/host.h"

namespace ui {

class CModalOwnerInput {
public:
    explicit CModalOwnerInput(IHostWindow* owner)
        : owner_(owner != nullptr && owner->IsInputEnabled() ? owner : nullptr) {
        if (owner_ != nullptr) owner_->SetInputEnabled(false);
    }
    ~CModalOwnerInput() { Restore(); }
    CModalOwnerInput(const CModalOwnerInput&) = delete;
    CModalOwnerInput& operator=(const CModalOwnerInput&) = delete;

    // Gives the owner its input back now (a host that must do so before it
    // hides the modal window); nothing more happens when the guard goes.
    void Restore() {
        if (owner_ != nullptr) std::exchange(owner_, nullptr)->SetInputEnabled(true);
    }

private:
    IHostWindow* owner_;
};

}  // namespace ui
