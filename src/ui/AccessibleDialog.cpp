#include "ui/AccessibleDialog.h"

#include <oleacc.h>

#include "base/Allocation.h"
#include "base/Messages.h"
#include "base/SystemLibrary.h"
#include "base/Texts.h"
#include "skin/FrameSelector.h"
#include "skin/HyperLink.h"
#include "ui/DialogElements.h"
#include "ui/KeyboardFocus.h"
#include "ui/ShellApi.h"

namespace {

// oleacc and the automation library, loaded on the first request: most runs never need them.
struct AccessibilityApi {
  decltype(&LresultFromObject) lresultFromObject;
  decltype(&CreateStdAccessibleObject) createStdAccessibleObject;
  decltype(&SysAllocString) allocString;
};

bool LoadAccessibility(AccessibilityApi* api) {
  HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
  HMODULE automation = LoadSystemLibrary(L"oleaut32.dll");
  return oleacc && automation && FindFunction(oleacc, "LresultFromObject", &api->lresultFromObject) &&
         FindFunction(oleacc, "CreateStdAccessibleObject", &api->createStdAccessibleObject) &&
         FindFunction(automation, "SysAllocString", &api->allocString);
}

const AccessibilityApi* Accessibility() { return LoadOnce(LoadAccessibility); }

HRESULT ToBstr(const wchar_t* text, BSTR* out) {
  if (!text || !text[0]) {
    *out = nullptr;
    return S_FALSE;
  }
  *out = Accessibility()->allocString(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

void SetNumber(VARIANT* variant, LONG number) {
  variant->vt = VT_I4;
  variant->lVal = number;
}

class AccessibleDialog final : public IAccessible {
 public:
  explicit AccessibleDialog(HWND dialog) : dialog_(dialog) {}
  void Disconnect() { dialog_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IID_IAccessible)
                  ? static_cast<IAccessible*>(this)
                  : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // Screen readers use IAccessible's own methods; no type information is offered.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    *parent = nullptr;
    if (!dialog_) return CO_E_OBJNOTCONNECTED;
    return Accessibility()->createStdAccessibleObject(dialog_, OBJID_WINDOW, IID_IDispatch,
                                                       reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!dialog_) return CO_E_OBJNOTCONNECTED;
    DialogElement elements[kMaxElements];
    *count = ListElements(dialog_, elements);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override {
    *dispatch = nullptr;  // the children are simple elements, known by their ids
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    return FAILED(result) ? result : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    *name = nullptr;
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (result != S_OK) return result == S_FALSE ? ToBstr(WindowTitle(), name) : result;
    wchar_t text[kPathCapacity];
    ElementName(dialog_, element, text, kPathCapacity);
    return ToBstr(text, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    *value = nullptr;
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (result != S_OK || element.kind != kListElement) return FAILED(result) ? result : S_FALSE;
    FolderPath folder;
    HWND list = GetDlgItem(dialog_, IDC_FOLDER_LIST);
    LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
    LRESULT length = selected == CB_ERR ? CB_ERR : SendMessageW(list, CB_GETLBTEXTLEN, selected, 0);
    if (length < 0 || static_cast<size_t>(length) >= folder.capacity()) return S_FALSE;
    SendMessageW(list, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(folder.buffer()));
    return ToBstr(folder, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    *description = nullptr;
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (result != S_OK) return FAILED(result) ? result : S_FALSE;
    const DialogState& state = *StateOf(dialog_);
    if (element.kind == kToggleElement) return ToBstr(state.components[element.index].status, description);
    Widget* widget = WidgetOf(state, element);
    return widget ? ToBstr(widget->statusText, description) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    role->vt = VT_EMPTY;
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (FAILED(result)) return result;
    static const LONG kRoles[] = {ROLE_SYSTEM_LINK, ROLE_SYSTEM_CHECKBUTTON, ROLE_SYSTEM_COMBOBOX,
                                  ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_PUSHBUTTON,
                                  ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_STATICTEXT};
    SetNumber(role, result == S_FALSE ? ROLE_SYSTEM_CLIENT : kRoles[element.kind]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    state->vt = VT_EMPTY;
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (FAILED(result)) return result;
    SetNumber(state, result == S_FALSE ? 0 : StateOfElement(element));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    *help = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    *file = nullptr;
    *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    *shortcut = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focused) override {
    focused->vt = VT_EMPTY;
    if (!dialog_) return CO_E_OBJNOTCONNECTED;
    const DialogState& state = *StateOf(dialog_);
    LONG child = ChildIdOf(dialog_, state.focus);
    if (IsFocused(state.focus) && child) SetNumber(focused, child);
    return focused->vt == VT_EMPTY ? S_FALSE : S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selected) override {
    selected->vt = VT_EMPTY;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    *action = nullptr;
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (result != S_OK) return FAILED(result) ? result : S_FALSE;
    switch (element.kind) {
      case kLinkElement:
        return ToBstr(Text(kTextActionOpen), action);
      case kToggleElement:
        return ToBstr(Text(StateOfElement(element) & STATE_SYSTEM_CHECKED ? kTextActionUncheck : kTextActionCheck),
                      action);
      case kListElement:
        return ToBstr(Text(kTextActionOpen), action);
      case kInstallElement:
      case kCancelElement:
      case kFinishElement:
        return ToBstr(Text(kTextActionPress), action);
      default:
        return S_FALSE;
    }
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (result != S_OK) return FAILED(result) ? result : E_INVALIDARG;
    if (!(flags & SELFLAG_TAKEFOCUS) || !IsFocusable(element)) return E_INVALIDARG;
    if (!IsWindowEnabled(dialog_)) return E_FAIL;  // a message box or the folder browser is open
    if (element.kind == kListElement) {
      SetFocus(GetDlgItem(dialog_, IDC_FOLDER_LIST));
    } else {
      FocusElement(dialog_, element, true);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (FAILED(result)) return result;
    RECT rect;
    if (result == S_FALSE) {
      GetClientRect(dialog_, &rect);
    } else {
      rect = ElementRect(dialog_, element);
    }
    MapWindowPoints(dialog_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    end->vt = VT_EMPTY;
    DialogElement element;
    HRESULT result = Resolve(start, &element);
    if (FAILED(result)) return result;
    DialogElement elements[kMaxElements];
    LONG count = ListElements(dialog_, elements);
    LONG from = result == S_FALSE ? 0 : start.lVal, to = 0;
    if (result == S_FALSE && direction == NAVDIR_FIRSTCHILD) to = 1;
    if (result == S_FALSE && direction == NAVDIR_LASTCHILD) to = count;
    if (result == S_OK && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) && from < count) to = from + 1;
    if (result == S_OK && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) && from > 1) to = from - 1;
    if (to) SetNumber(end, to);
    return to ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    child->vt = VT_EMPTY;
    if (!dialog_) return CO_E_OBJNOTCONNECTED;
    POINT at = {x, y};
    RECT client;
    ScreenToClient(dialog_, &at);
    GetClientRect(dialog_, &client);
    if (!PtInRect(&client, at)) return S_FALSE;
    DialogElement elements[kMaxElements];
    LONG count = ListElements(dialog_, elements), found = CHILDID_SELF;
    for (LONG i = 0; i < count && found == CHILDID_SELF; ++i) {
      RECT rect = ElementRect(dialog_, elements[i]);
      if (PtInRect(&rect, at)) found = i + 1;
    }
    SetNumber(child, found);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    DialogElement element;
    HRESULT result = Resolve(child, &element);
    if (result != S_OK) return FAILED(result) ? result : DISP_E_MEMBERNOTFOUND;
    if (!IsFocusable(element)) return DISP_E_MEMBERNOTFOUND;
    if (!IsWindowEnabled(dialog_)) return E_FAIL;  // a message box or the folder browser is open
    PressElement(dialog_, element);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // S_OK with the element for a child id, S_FALSE for the dialog itself, or why not.
  HRESULT Resolve(VARIANT child, DialogElement* element) const {
    if (!dialog_) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return S_FALSE;
    DialogElement elements[kMaxElements];
    LONG count = ListElements(dialog_, elements);
    if (child.lVal < 1 || child.lVal > count) return E_INVALIDARG;
    *element = elements[child.lVal - 1];
    return S_OK;
  }

  bool IsFocused(DialogElement element) const {
    const DialogState& state = *StateOf(dialog_);
    if (element.kind == kListElement) return GetFocus() == GetDlgItem(dialog_, IDC_FOLDER_LIST);
    return SameElement(element, state.focus) && GetFocus() == GetDlgItem(dialog_, IDC_FOCUS_SINK);
  }

  LONG StateOfElement(DialogElement element) const {
    const DialogState& state = *StateOf(dialog_);
    LONG flags = IsFocusable(element) ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_READONLY;
    if (IsFocusable(element) && IsFocused(element)) flags |= STATE_SYSTEM_FOCUSED;
    if (element.kind == kToggleElement &&
        static_cast<FrameSelector*>(WidgetOf(state, element))->value >= 2) {
      flags |= STATE_SYSTEM_CHECKED;
    }
    if (element.kind == kLinkElement) {
      flags |= STATE_SYSTEM_LINKED;
      if (static_cast<HyperLink*>(WidgetOf(state, element))->visited) flags |= STATE_SYSTEM_TRAVERSED;
    }
    if (element.kind == kListElement) flags |= STATE_SYSTEM_HASPOPUP;
    if (element.kind == kInstallElement || element.kind == kFinishElement) flags |= STATE_SYSTEM_DEFAULT;
    return flags;
  }

  HWND dialog_;
  LONG references_ = 1;
};

}  // namespace

LRESULT AnswerGetObject(HWND dialog, WPARAM wParam, LPARAM lParam) {
  if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
  DialogState* state = StateOf(dialog);
  const AccessibilityApi* api = Accessibility();
  const ShellApi* shell = SystemShell();
  if (!state || !state->ready || !api || !shell) return 0;
  if (!state->accessible) {
    // Another process reads the object through COM: this thread stays in a single-threaded apartment.
    EnterComApartment(*shell).release();  // for as long as the dialog lives
    AccessibleDialog* object = new (kNoThrow) AccessibleDialog(dialog);
    if (!object) return 0;
    *state->accessible.receive() = object;
    state->surface->skin->statusChildId = ChildIdOf(dialog, {kStatusElement, 0});
  }
  return api->lresultFromObject(IID_IAccessible, wParam, state->accessible.get());
}

void DisconnectAccessibleObject(HWND dialog) {
  DialogState* state = StateOf(dialog);
  if (!state || !state->accessible) return;
  static_cast<AccessibleDialog*>(static_cast<IAccessible*>(state->accessible.get()))->Disconnect();
  state->accessible.reset();
  state->surface->skin->statusChildId = 0;
}

void NotifyStateChange(HWND dialog) {
  NotifyWinEvent(EVENT_OBJECT_REORDER, dialog, OBJID_CLIENT, CHILDID_SELF);
  const DialogState& state = *StateOf(dialog);
  if (state.accessible) state.surface->skin->statusChildId = ChildIdOf(dialog, {kStatusElement, 0});
  for (int component = 0; component < state.componentCount && !state.installed; ++component) {
    if (LONG child = ChildIdOf(dialog, {kToggleElement, component})) {
      NotifyWinEvent(EVENT_OBJECT_STATECHANGE, dialog, OBJID_CLIENT, child);
    }
  }
}
