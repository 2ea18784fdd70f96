#include "screenreader.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <string>

#include "systemlibrary.h"

namespace quendal::win32 {

using Microsoft::WRL::ComPtr;

namespace {

// Windows 8's event, which the Windows 7 headers hide; Windows 7 ignores it.
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
// UI Automation's LiveSetting property, which the annotation service gives
// the UIA proxy of the annotated object, and its value Polite.
constexpr GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;
constexpr CLSID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kDescriptionProperty = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};

// The annotation service, made once on the window's thread, which becomes a
// COM apartment (as it does for the circuit's accessible object) and stays one.
IAccPropServices* Services() {
    static const ComPtr<IAccPropServices> services = [] {
        ComPtr<IAccPropServices> made;
        const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
        const auto initialize = Lookup<decltype(&CoInitializeEx)>(ole32, "CoInitializeEx");
        const auto create = Lookup<decltype(&CoCreateInstance)>(ole32, "CoCreateInstance");
        if (initialize == nullptr || create == nullptr ||
            FAILED(initialize(nullptr, COINIT_APARTMENTTHREADED)) ||
            FAILED(create(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                          kAccPropServicesInterface,
                          reinterpret_cast<void**>(made.GetAddressOf())))) {
            made.Reset();
        }
        return made;
    }();
    return services.Get();
}

}  // namespace

bool SetAccessibleDescription(HWND control, std::wstring_view description) {
    IAccPropServices* services = Services();
    const std::wstring text(description);
    return services != nullptr && control != nullptr &&
           SUCCEEDED(services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                              CHILDID_SELF, kDescriptionProperty, text.c_str()));
}

bool MakeLiveRegion(HWND control) {
    IAccPropServices* services = Services();
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    return services != nullptr && control != nullptr &&
           SUCCEEDED(services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                           kLiveSettingProperty, polite));
}

void AnnounceLiveRegionChange(HWND control) {
    if (control != nullptr) NotifyWinEvent(kLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace quendal::win32
