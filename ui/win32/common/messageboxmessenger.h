#pragma once
// The core's messages as Windows message boxes: owned by the window whose
// handler shows them (so that window is disabled until the box is gone),
// captioned with the application title, one OK button in the user's
// language, no icon.

#include <windows.h>

#include "messenger.h"

namespace quendal::win32 {

class MessageBoxMessenger final : public Messenger {
public:
    explicit MessageBoxMessenger(HWND owner) : m_owner(owner) {}
    void ShowMessage(const std::string& text) override;

private:
    HWND m_owner;
};

}  // namespace quendal::win32
