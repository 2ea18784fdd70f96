#include "messageboxmessenger.h"

#include "appinfo.h"
#include "utf16.h"

namespace quendal::win32 {

void MessageBoxMessenger::ShowMessage(const std::string& text) {
    // The window went while an earlier box was open (the program is ending):
    // there is no one left to tell.
    if (m_owner != nullptr && !IsWindow(m_owner)) return;
    MessageBoxW(m_owner, ToUtf16(text).c_str(), ToUtf16(AppTitle).c_str(), MB_OK);
}

}  // namespace quendal::win32
