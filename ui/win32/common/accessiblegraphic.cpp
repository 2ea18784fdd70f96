#include "accessiblegraphic.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <string>

#include "systemlibrary.h"
#include "utf16.h"

namespace quendal::win32 {

using Microsoft::WRL::ComPtr;

namespace {

// What this needs of oleacc, ole32 and oleaut32, loaded on the first question.
struct Accessibility {
    decltype(&CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&LresultFromObject) resultFromObject = nullptr;
    decltype(&SysAllocString) allocString = nullptr;
    bool ready = false;
};

const Accessibility& Load() {
    static const Accessibility loaded = [] {
        Accessibility found;
        const HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
        const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
        const HMODULE oleaut32 = LoadSystemLibrary(L"oleaut32.dll");
        found.createStandard =
            Lookup<decltype(&CreateStdAccessibleObject)>(oleacc, "CreateStdAccessibleObject");
        found.resultFromObject = Lookup<decltype(&LresultFromObject)>(oleacc, "LresultFromObject");
        found.allocString = Lookup<decltype(&SysAllocString)>(oleaut32, "SysAllocString");
        const auto initialize = Lookup<decltype(&CoInitializeEx)>(ole32, "CoInitializeEx");
        // The window's thread becomes a COM apartment, for the marshalling of
        // the object to the screen reader, and stays one.
        found.ready = found.createStandard != nullptr && found.resultFromObject != nullptr &&
                      found.allocString != nullptr && initialize != nullptr &&
                      SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
        return found;
    }();
    return loaded;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object, but for the role and name of the box itself.
class Graphic final : public IAccessible, public IOleWindow {
public:
    Graphic(ComPtr<IAccessible> standard, HWND window)
        : m_standard(std::move(standard)), m_window(window) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return m_standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override {
        return m_standard->Invoke(id, iid, locale, flags, parameters, result, exception,
                                  argumentError);
    }

    // IAccessible: the role and the name are the graphic's own.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return m_standard->get_accRole(child, role);
        if (role == nullptr) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_GRAPHIC;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return m_standard->get_accName(child, name);
        if (name == nullptr) return E_POINTER;
        *name = Load().allocString(WindowText(m_window).c_str());
        return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    // Everything else as the standard object has it.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return m_standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return m_standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return m_standard->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return m_standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return m_standard->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return m_standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_standard->put_accValue(child, value);
    }

private:
    ~Graphic() = default;

    ComPtr<IAccessible> m_standard;
    HWND m_window;
    LONG m_references = 1;
};

}  // namespace

LRESULT AnswerAsGraphic(HWND window, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    const Accessibility& accessibility = Load();
    if (!accessibility.ready) return 0;
    ComPtr<IAccessible> standard;
    if (FAILED(accessibility.createStandard(window, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(standard.GetAddressOf())))) {
        return 0;
    }
    auto* graphic = new Graphic(std::move(standard), window);
    const LRESULT result = accessibility.resultFromObject(__uuidof(IAccessible), wParam,
                                                          static_cast<IAccessible*>(graphic));
    graphic->Release();  // LresultFromObject holds its own reference
    return result;
}

}  // namespace quendal::win32
