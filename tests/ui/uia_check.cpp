// Reads the running Quanvik window as a Windows screen reader does, through
// UI Automation, and checks it:
//   quanvik_uia_check [log]
// It finds the window titled Quanvik, prints and checks the window's name,
// each box's name (with its unit) and control type, 分析 as a button, the Tab
// order (from focus-changed events), then enters the worked example through
// the Value pattern, else by keys posted to the window, presses 分析 twice
// through the Invoke pattern, else by Space, and reads the results' values
// and read-only state; then empties the entry price and presses again for
// the fault message. After each press it counts the UIA notifications raised
// with their text: from a notification handler where the client has one,
// else from the log of Quanvik's standard error written with
// WINEDEBUG=fixme+uiautomation, where Wine's UiaRaiseNotificationEvent writes
// the text. A call the client cannot make is printed once with its HRESULT,
// and what needs it is left out. Exit status 1 when a check fails or no
// client can be made, 2 when the window is not found.
#include <windows.h>

#include <ole2.h>
#include <uiautomation.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t* const NAMES[] = {L"交易本金（元）", L"保证金比例（%）", L"进场价位", L"出场价位",
    L"开仓手数（手）", L"拟持仓时间（天）", L"最大可开仓（手）", L"盈亏额（元）", L"手续费（元）",
    L"持仓费（元）", L"做多盈亏平衡点", L"进场时点风险率（%）", L"做空盈亏平衡点"};
constexpr int BOX_COUNT = 13;
constexpr int INPUT_COUNT = 6;
const wchar_t* const WORKED_EXAMPLE[] = {L"950", L"10", L"50", L"51", L"2", L"3"};
const wchar_t* const WORKED_RESULTS[] = {L"12", L"26.676", L"2.424", L"0.9", L"51", L"540.67", L"49"};
const wchar_t* const BUTTON = L"分析";
const wchar_t* const FINISHED = L"分析完成，7 项结果已更新。";
const wchar_t* const FAULT = L"分析未能完成";
constexpr int ENTRY_PRICE = 2;
constexpr int RESULT_COUNT = 7;

int failures = 0;
std::vector<std::string> notDone;

std::string utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

void say(const std::wstring& line)
{
    std::printf("%s\n", utf8(line).c_str());
    std::fflush(stdout);
}

void check(bool ok, const std::wstring& what)
{
    say((ok ? L"ok      " : L"FAILED  ") + what);
    if (!ok)
        ++failures;
}

// A call the client could not make: printed, remembered, not a failure.
bool made(HRESULT result, const char* call)
{
    if (SUCCEEDED(result))
        return true;
    char line[200];
    std::snprintf(line, sizeof line, "%s failed: HRESULT 0x%08lx", call, static_cast<unsigned long>(result));
    // Each call and result once: the same call fails the same way for every box.
    if (std::find(notDone.begin(), notDone.end(), line) == notDone.end()) {
        say(L"not done " + std::wstring(line, line + std::strlen(line)));
        notDone.emplace_back(line);
    }
    return false;
}

template <typename T> struct Com {
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    Com(Com&& other) noexcept
        : p(other.p)
    {
        other.p = nullptr;
    }
    Com& operator=(Com&& other) noexcept
    {
        std::swap(p, other.p);
        return *this;
    }
    ~Com()
    {
        if (p != nullptr)
            p->Release();
    }
    T* operator->() const { return p; }
    T** put() { return &p; }
};

std::wstring take(BSTR text)
{
    std::wstring out = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

struct Element {
    Com<IUIAutomationElement> element;
    std::wstring name;
    CONTROLTYPEID type = 0;
};

std::wstring nameOf(IUIAutomationElement* element)
{
    BSTR name = nullptr;
    return made(element->get_CurrentName(&name), "IUIAutomationElement::get_CurrentName") ? take(name)
                                                                                          : std::wstring();
}

Element described(Com<IUIAutomationElement> element)
{
    Element out;
    out.name = nameOf(element.p);
    made(element->get_CurrentControlType(&out.type), "IUIAutomationElement::get_CurrentControlType");
    out.element = std::move(element);
    return out;
}

// Every element under root, depth first, through a tree walker.
void collect(IUIAutomationTreeWalker* walker, IUIAutomationElement* root, std::vector<Element>& out)
{
    Com<IUIAutomationElement> child;
    if (!made(
            walker->GetFirstChildElement(root, child.put()), "IUIAutomationTreeWalker::GetFirstChildElement"))
        return;
    while (child.p != nullptr) {
        Com<IUIAutomationElement> next;
        made(walker->GetNextSiblingElement(child.p, next.put()),
            "IUIAutomationTreeWalker::GetNextSiblingElement");
        IUIAutomationElement* parent = child.p;
        out.push_back(described(std::move(child)));
        collect(walker, parent, out);
        child = std::move(next);
    }
}

// Every element under root in tree order: through FindAll, else a tree walker.
std::vector<Element> descendants(IUIAutomation* automation, IUIAutomationElement* root)
{
    std::vector<Element> out;
    Com<IUIAutomationCondition> all;
    Com<IUIAutomationElementArray> found;
    if (made(automation->CreateTrueCondition(all.put()), "IUIAutomation::CreateTrueCondition")
        && made(root->FindAll(TreeScope_Descendants, all.p, found.put()), "IUIAutomationElement::FindAll")) {
        int length = 0;
        made(found->get_Length(&length), "IUIAutomationElementArray::get_Length");
        for (int i = 0; i < length; ++i) {
            Com<IUIAutomationElement> element;
            if (made(found->GetElement(i, element.put()), "IUIAutomationElementArray::GetElement"))
                out.push_back(described(std::move(element)));
        }
        return out;
    }
    Com<IUIAutomationTreeWalker> walker;
    if (made(automation->get_ControlViewWalker(walker.put()), "IUIAutomation::get_ControlViewWalker"))
        collect(walker.p, root, out);
    return out;
}

IUIAutomationElement* find(const std::vector<Element>& elements, const std::wstring& name, CONTROLTYPEID type)
{
    for (const Element& element : elements)
        if (element.name == name && element.type == type)
            return element.element.p;
    return nullptr;
}

// A control pattern: as its interface where the client gives it so, else
// through IUnknown.
template <typename T>
bool patternOf(IUIAutomationElement* element, PATTERNID id, const char* name, Com<T>& out)
{
    const std::string as = std::string("GetCurrentPatternAs(") + name + ")";
    if (made(element->GetCurrentPatternAs(id, IID_PPV_ARGS(out.put())), as.c_str()) && out.p != nullptr)
        return true;
    Com<IUnknown> unknown;
    const std::string plain = std::string("GetCurrentPattern(") + name + ")";
    return made(element->GetCurrentPattern(id, unknown.put()), plain.c_str()) && unknown.p != nullptr
        && made(unknown->QueryInterface(IID_PPV_ARGS(out.put())), plain.c_str());
}

// The value through the Value pattern, else its properties, else the Text pattern.
bool readValue(IUIAutomationElement* element, std::wstring& value, BOOL& readOnly)
{
    Com<IUIAutomationValuePattern> pattern;
    BSTR text = nullptr;
    if (patternOf(element, UIA_ValuePatternId, "ValuePattern", pattern)
        && made(pattern->get_CurrentValue(&text), "IUIAutomationValuePattern::get_CurrentValue")) {
        value = take(text);
        made(pattern->get_CurrentIsReadOnly(&readOnly), "IUIAutomationValuePattern::get_CurrentIsReadOnly");
        return true;
    }
    VARIANT property;
    VariantInit(&property);
    if (made(element->GetCurrentPropertyValue(UIA_ValueValuePropertyId, &property),
            "GetCurrentPropertyValue(ValueValue)")
        && property.vt == VT_BSTR) {
        value = take(property.bstrVal);
        VARIANT locked;
        VariantInit(&locked);
        if (made(element->GetCurrentPropertyValue(UIA_ValueIsReadOnlyPropertyId, &locked),
                "GetCurrentPropertyValue(ValueIsReadOnly)")
            && locked.vt == VT_BOOL)
            readOnly = locked.boolVal != VARIANT_FALSE ? TRUE : FALSE;
        return true;
    }
    VariantClear(&property);
    Com<IUIAutomationTextPattern> textPattern;
    Com<IUIAutomationTextRange> range;
    if (patternOf(element, UIA_TextPatternId, "TextPattern", textPattern)
        && made(textPattern->get_DocumentRange(range.put()), "IUIAutomationTextPattern::get_DocumentRange")
        && made(range->GetText(-1, &text), "IUIAutomationTextRange::GetText")) {
        value = take(text);
        return true;
    }
    return false;
}

bool setValue(IUIAutomationElement* element, const wchar_t* text)
{
    Com<IUIAutomationValuePattern> pattern;
    if (!patternOf(element, UIA_ValuePatternId, "ValuePattern", pattern))
        return false;
    BSTR value = SysAllocString(text);
    const HRESULT result = pattern->SetValue(value);
    SysFreeString(value);
    return made(result, "IUIAutomationValuePattern::SetValue");
}

bool invoke(IUIAutomationElement* element)
{
    Com<IUIAutomationInvokePattern> pattern;
    return patternOf(element, UIA_InvokePatternId, "InvokePattern", pattern)
        && made(pattern->Invoke(), "IUIAutomationInvokePattern::Invoke");
}

// What a screen reader hears of UiaRaiseNotificationEvent (Windows 10 1709
// and later): one object for the program's life.
class NotificationHandler final : public IUIAutomationNotificationEventHandler {
public:
    NotificationHandler() { InitializeCriticalSection(&lock_); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IUIAutomationNotificationEventHandler)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IUIAutomationNotificationEventHandler*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE HandleNotificationEvent(IUIAutomationElement* /*sender*/,
        NotificationKind /*kind*/, NotificationProcessing /*processing*/, BSTR displayString,
        BSTR /*activityId*/) override
    {
        EnterCriticalSection(&lock_);
        texts_.emplace_back(displayString != nullptr ? displayString : L"");
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    std::vector<std::wstring> texts()
    {
        EnterCriticalSection(&lock_);
        std::vector<std::wstring> out = texts_;
        LeaveCriticalSection(&lock_);
        return out;
    }

private:
    CRITICAL_SECTION lock_ {};
    std::vector<std::wstring> texts_;
};

// The names of the elements the focus moves to, in order.
class FocusHandler final : public IUIAutomationFocusChangedEventHandler {
public:
    FocusHandler() { InitializeCriticalSection(&lock_); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IUIAutomationFocusChangedEventHandler)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IUIAutomationFocusChangedEventHandler*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(IUIAutomationElement* sender) override
    {
        const std::wstring name = sender != nullptr ? nameOf(sender) : std::wstring();
        EnterCriticalSection(&lock_);
        names_.push_back(name);
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    std::vector<std::wstring> names()
    {
        EnterCriticalSection(&lock_);
        std::vector<std::wstring> out = names_;
        LeaveCriticalSection(&lock_);
        return out;
    }

private:
    CRITICAL_SECTION lock_ {};
    std::vector<std::wstring> names_;
};

// The texts of Wine's "UiaRaiseNotificationEvent" lines in the log, decoded
// from its \xxxx escapes.
std::vector<std::wstring> loggedNotifications(const std::string& log)
{
    std::vector<std::wstring> texts;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t call = line.find("UiaRaiseNotificationEvent");
        const std::size_t start = line.find("L\"", call == std::string::npos ? line.size() : call);
        if (start == std::string::npos)
            continue;
        std::wstring text;
        for (std::size_t i = start + 2; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 4 < line.size()) {
                text += static_cast<wchar_t>(std::stoul(line.substr(i + 1, 4), nullptr, 16));
                i += 4;
            } else {
                text += static_cast<wchar_t>(line[i]);
            }
        }
        texts.push_back(text);
    }
    return texts;
}

// Quanvik's other visible window titled Quanvik: the message box.
HWND messageBox(HWND form)
{
    struct Search {
        HWND form;
        DWORD process;
        HWND found;
    } search {form, 0, nullptr};
    GetWindowThreadProcessId(form, &search.process);
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            // EnumWindows hands the pointer back as an LPARAM.
            auto* s = reinterpret_cast<Search*>(data); // NOLINT(performance-no-int-to-ptr)
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t title[64] = {};
            GetWindowTextW(window, title, 64);
            if (window != s->form && process == s->process && IsWindowVisible(window)
                && std::wstring(title) == L"Quanvik") {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A key posted to the window, as a keyboard gives it: down (with the
// character it types, if any), up. Time to take it, and for a box entered by
// Tab to select its figure a turn later.
void press(HWND window, WPARAM key, wchar_t typed = 0)
{
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, key, scan | 1);
    if (typed != 0)
        PostMessageW(window, WM_CHAR, typed, scan | 1);
    PostMessageW(window, WM_KEYUP, key, scan | 1 | static_cast<LPARAM>(0xC0000000));
    Sleep(300);
}

void type(HWND window, const std::wstring& text)
{
    for (const wchar_t character : text)
        press(window, static_cast<WPARAM>(character == L'.' ? VK_OEM_PERIOD : character), character);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string log = argc > 1 ? argv[1] : "";
    HWND form = nullptr;
    for (int i = 0; i < 120 && form == nullptr; ++i, Sleep(form == nullptr ? 500 : 0))
        form = FindWindowW(nullptr, L"Quanvik");
    if (form == nullptr) {
        say(L"no window titled Quanvik");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // CUIAutomation8 (Windows 8 and later) answers for IUIAutomation2 to 6.
    Com<IUIAutomation> automation;
    const bool created = made(CoCreateInstance(__uuidof(CUIAutomation8), nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(automation.put())),
                             "CoCreateInstance(CUIAutomation8)")
        || made(CoCreateInstance(
                    __uuidof(CUIAutomation), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(automation.put())),
            "CoCreateInstance(CUIAutomation)");
    if (!created)
        return 1;
    Com<IUIAutomationElement> window;
    if (!made(automation->ElementFromHandle(form, window.put()), "IUIAutomation::ElementFromHandle"))
        return 1;
    // Notifications from a handler where the client takes one, else from the log.
    NotificationHandler handler;
    Com<IUIAutomation5> automation5;
    bool handled =
        made(automation->QueryInterface(IID_PPV_ARGS(automation5.put())), "QueryInterface(IUIAutomation5)")
        && made(automation5->AddNotificationEventHandler(window.p, TreeScope_Subtree, nullptr, &handler),
            "IUIAutomation5::AddNotificationEventHandler");
    const bool counted = handled || !log.empty();
    say(std::wstring(L"notifications counted from: ")
        + (handled             ? L"a notification handler"
                : !log.empty() ? L"the log of Wine's uiautomation channel"
                               : L"nowhere"));
    auto notifications = [&] { return handled ? handler.texts() : loggedNotifications(log); };

    const std::wstring title = nameOf(window.p);
    check(title == L"Quanvik", L"window name: " + title);

    const std::vector<Element> elements = descendants(automation.p, window.p);
    say(L"elements under the window: " + std::to_wstring(elements.size()));

    // Names with their units and control types.
    IUIAutomationElement* boxes[BOX_COUNT] = {};
    int named = 0;
    int withUnit = 0;
    for (int i = 0; i < BOX_COUNT; ++i) {
        boxes[i] = find(elements, NAMES[i], UIA_EditControlTypeId);
        const bool hasUnit = std::wstring(NAMES[i]).back() == L'）';
        named += boxes[i] != nullptr;
        withUnit += boxes[i] != nullptr && hasUnit;
        check(boxes[i] != nullptr, std::wstring(L"edit named ") + NAMES[i]);
    }
    say(L"boxes named: " + std::to_wstring(named) + L" of 13; with their units: " + std::to_wstring(withUnit)
        + L" of 9");
    IUIAutomationElement* button = find(elements, BUTTON, UIA_ButtonControlTypeId);
    check(button != nullptr, std::wstring(L"button named ") + BUTTON);
    for (const Element& element : elements)
        if (element.type == UIA_EditControlTypeId || element.type == UIA_ButtonControlTypeId)
            say(L"        " + element.name + L": control type " + std::to_wstring(element.type));

    // The Tab order: where the focus goes on each Tab from the first box (the
    // focus at the start) round to it again, as focus-changed events tell it.
    FocusHandler focus;
    if (made(automation->AddFocusChangedEventHandler(nullptr, &focus),
            "IUIAutomation::AddFocusChangedEventHandler")) {
        std::wstring expected = NAMES[0];
        std::wstring order = NAMES[0];
        for (int i = 1; i <= BOX_COUNT + 1; ++i) {
            expected += L" → "
                + std::wstring(i == INPUT_COUNT ? BUTTON
                        : i > BOX_COUNT         ? NAMES[0]
                                                : NAMES[i < INPUT_COUNT ? i : i - 1]);
            const std::size_t before = focus.names().size();
            press(form, VK_TAB);
            // Events come late on a busy machine: up to 5 s for this Tab's.
            for (int wait = 0; wait < 50 && focus.names().size() <= before; ++wait)
                Sleep(100);
            Sleep(100);
            const std::vector<std::wstring> names = focus.names();
            order += L" → " + (names.size() > before ? names.back() : std::wstring(L"(no event)"));
        }
        check(order == expected, L"Tab order: " + order);
        made(automation->RemoveFocusChangedEventHandler(&focus),
            "IUIAutomation::RemoveFocusChangedEventHandler");
    }

    // The worked example through the Value pattern, else typed from the first
    // box; two presses through the Invoke pattern, else Space on the button.
    bool byPattern = true;
    for (int i = 0; i < INPUT_COUNT && byPattern; ++i)
        byPattern = boxes[i] != nullptr && setValue(boxes[i], WORKED_EXAMPLE[i]);
    if (!byPattern) {
        say(L"typing the worked example by keyboard from 交易本金");
        for (int i = 0; i < INPUT_COUNT; ++i) {
            type(form, WORKED_EXAMPLE[i]);
            press(form, VK_TAB);
        }
    }
    auto pressButton = [&] {
        if (button == nullptr || !invoke(button))
            press(form, VK_SPACE, L' ');
    };
    std::size_t heard = counted ? notifications().size() : 0;
    for (int round = 1; round <= 2; ++round) {
        pressButton();
        Sleep(1500);
        int read = 0;
        int whole = 0;
        int readOnly = 0;
        for (int i = INPUT_COUNT; i < BOX_COUNT; ++i) {
            std::wstring value;
            BOOL locked = FALSE;
            if (boxes[i] == nullptr || !readValue(boxes[i], value, locked))
                continue;
            ++read;
            whole += value == WORKED_RESULTS[i - INPUT_COUNT];
            readOnly += locked != FALSE;
            say(L"        " + std::wstring(NAMES[i]) + L" = " + value
                + (locked != FALSE ? L" (read-only)" : L""));
        }
        if (read > 0) {
            check(whole == 7,
                L"press " + std::to_wstring(round) + L": results whole " + std::to_wstring(whole) + L" of 7");
            check(readOnly == 7,
                L"press " + std::to_wstring(round) + L": results read-only " + std::to_wstring(readOnly)
                    + L" of 7");
        } else {
            say(L"not done press " + std::to_wstring(round) + L": no result's value could be read");
        }
        if (counted) {
            const std::vector<std::wstring> texts = notifications();
            for (std::size_t i = heard; i < texts.size(); ++i)
                say(L"        notification: " + texts[i]);
            check(texts.size() == heard + 1 && texts.back() == FINISHED,
                L"press " + std::to_wstring(round) + L": one UIA notification with its text");
            heard = texts.size();
        }
    }

    // The fault: the entry price emptied, the message box read, no notification.
    // By keyboard: from the button, Tab through the results and round to the
    // entry price, whose figure Tab selects, Delete, Tab on to the button.
    if (!byPattern || boxes[ENTRY_PRICE] == nullptr || !setValue(boxes[ENTRY_PRICE], L"")) {
        for (int i = 0; i < RESULT_COUNT + ENTRY_PRICE + 1; ++i)
            press(form, VK_TAB);
        press(form, VK_DELETE);
        for (int i = ENTRY_PRICE; i < INPUT_COUNT; ++i)
            press(form, VK_TAB);
    }
    {
        // The box is modal: it answers its own keys.
        pressButton();
        HWND box = nullptr;
        for (int i = 0; i < 20 && box == nullptr; ++i, Sleep(box == nullptr ? 250 : 0))
            box = messageBox(form);
        check(box != nullptr, L"fault: a message box");
        Com<IUIAutomationElement> message;
        if (box != nullptr
            && made(automation->ElementFromHandle(box, message.put()), "ElementFromHandle(message box)")) {
            const std::vector<Element> parts = descendants(automation.p, message.p);
            std::wstring text;
            IUIAutomationElement* ok = nullptr;
            for (const Element& part : parts) {
                if (part.type == UIA_TextControlTypeId && !part.name.empty())
                    text += part.name + L" ";
                if (part.type == UIA_ButtonControlTypeId)
                    ok = part.element.p;
            }
            check(text.find(FAULT) != std::wstring::npos, L"fault message: " + text);
            if (ok == nullptr || !invoke(ok))
                press(box, VK_RETURN, L'\r');
        }
        Sleep(1000);
        if (counted)
            check(notifications().size() == heard, L"fault: no UIA notification");
    }

    if (handled)
        automation5->RemoveNotificationEventHandler(window.p, &handler);
    say(L"summary: " + std::to_wstring(failures) + L" checks failed, " + std::to_wstring(notDone.size())
        + L" calls the client could not make");
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
