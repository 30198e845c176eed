// Reads the running Quanvik window as a Windows screen reader does, through
// UI Automation, and checks it:
//   quanvik_uia_check [log]
// It finds the window titled Quanvik, prints and checks the window's name,
// each box's name (with its unit), control type, read-only state and value,
// 分析 as a button and the Tab order, types the worked example through the
// Value pattern, presses 分析 twice through the Invoke pattern, then empties
// the entry price and presses again for the fault message. After each press
// it counts the UIA notifications raised with their text: from a notification
// handler where the client has one, else from the log of Quanvik's standard
// error written with WINEDEBUG=fixme+uiautomation, where Wine's
// UiaRaiseNotificationEvent writes the text. A call the client cannot make
// is printed with its HRESULT and the checks that need it are left out.
// Exit status 1 when a check fails, 2 when the window is not found.
#include <windows.h>

#include <ole2.h>
#include <uiautomation.h>

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
    say(L"not done " + std::wstring(line, line + std::strlen(line)));
    notDone.emplace_back(line);
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

// Every element under root, depth first, through the raw view.
void collect(IUIAutomationTreeWalker* walker, IUIAutomationElement* root, std::vector<Element>& out)
{
    Com<IUIAutomationElement> child;
    if (!made(
            walker->GetFirstChildElement(root, child.put()), "IUIAutomationTreeWalker::GetFirstChildElement"))
        return;
    while (child.p != nullptr) {
        Element found;
        found.name = nameOf(child.p);
        made(child->get_CurrentControlType(&found.type), "IUIAutomationElement::get_CurrentControlType");
        collect(walker, child.p, out);
        Com<IUIAutomationElement> next;
        made(walker->GetNextSiblingElement(child.p, next.put()),
            "IUIAutomationTreeWalker::GetNextSiblingElement");
        found.element = std::move(child);
        out.push_back(std::move(found));
        child = std::move(next);
    }
}

IUIAutomationElement* find(const std::vector<Element>& elements, const std::wstring& name, CONTROLTYPEID type)
{
    for (const Element& element : elements)
        if (element.name == name && element.type == type)
            return element.element.p;
    return nullptr;
}

// The value through the Value pattern, else through the Text pattern.
bool readValue(IUIAutomationElement* element, std::wstring& value, BOOL& readOnly)
{
    Com<IUIAutomationValuePattern> pattern;
    if (made(element->GetCurrentPatternAs(UIA_ValuePatternId, IID_PPV_ARGS(pattern.put())),
            "GetCurrentPatternAs(ValuePattern)")
        && pattern.p != nullptr) {
        BSTR text = nullptr;
        if (made(pattern->get_CurrentValue(&text), "IUIAutomationValuePattern::get_CurrentValue")) {
            value = take(text);
            made(pattern->get_CurrentIsReadOnly(&readOnly),
                "IUIAutomationValuePattern::get_CurrentIsReadOnly");
            return true;
        }
    }
    Com<IUIAutomationTextPattern> textPattern;
    Com<IUIAutomationTextRange> range;
    BSTR text = nullptr;
    if (made(element->GetCurrentPatternAs(UIA_TextPatternId, IID_PPV_ARGS(textPattern.put())),
            "GetCurrentPatternAs(TextPattern)")
        && textPattern.p != nullptr && made(textPattern->get_DocumentRange(range.put()), "get_DocumentRange")
        && made(range->GetText(-1, &text), "IUIAutomationTextRange::GetText")) {
        value = take(text);
        return true;
    }
    return false;
}

HRESULT setValueText(IUIAutomationValuePattern* pattern, const wchar_t* text)
{
    BSTR value = SysAllocString(text);
    const HRESULT result = pattern->SetValue(value);
    SysFreeString(value);
    return result;
}

bool setValue(IUIAutomationElement* element, const wchar_t* text)
{
    Com<IUIAutomationValuePattern> pattern;
    return made(element->GetCurrentPatternAs(UIA_ValuePatternId, IID_PPV_ARGS(pattern.put())),
               "GetCurrentPatternAs(ValuePattern)")
        && pattern.p != nullptr && made(setValueText(pattern.p, text), "IUIAutomationValuePattern::SetValue");
}

bool invoke(IUIAutomationElement* element)
{
    Com<IUIAutomationInvokePattern> pattern;
    return made(element->GetCurrentPatternAs(UIA_InvokePatternId, IID_PPV_ARGS(pattern.put())),
               "GetCurrentPatternAs(InvokePattern)")
        && pattern.p != nullptr && made(pattern->Invoke(), "IUIAutomationInvokePattern::Invoke");
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

void pressTab(HWND form)
{
    PostMessageW(form, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageW(form, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001));
    Sleep(400);
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
    Com<IUIAutomation> automation;
    if (!made(CoCreateInstance(
                  __uuidof(CUIAutomation), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(automation.put())),
            "CoCreateInstance(CUIAutomation)"))
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

    Com<IUIAutomationTreeWalker> walker;
    std::vector<Element> elements;
    if (made(automation->get_RawViewWalker(walker.put()), "IUIAutomation::get_RawViewWalker"))
        collect(walker.p, window.p, elements);
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

    // The Tab order, from the first box round to it again.
    Com<IUIAutomationElement> focused;
    if (boxes[0] != nullptr && made(boxes[0]->SetFocus(), "IUIAutomationElement::SetFocus")) {
        std::wstring order = nameOf(boxes[0]);
        std::wstring expected = NAMES[0];
        for (int i = 1; i <= BOX_COUNT + 1; ++i) {
            const std::wstring next = i == INPUT_COUNT ? BUTTON
                : i > BOX_COUNT                        ? NAMES[0]
                                                       : NAMES[i < INPUT_COUNT ? i : i - 1];
            expected += L" → " + next;
            pressTab(form);
            Com<IUIAutomationElement> now;
            if (!made(automation->GetFocusedElement(now.put()), "IUIAutomation::GetFocusedElement")) {
                order.clear();
                break;
            }
            order += L" → " + nameOf(now.p);
        }
        if (!order.empty())
            check(order == expected, L"Tab order: " + order);
    }

    // The worked example through the Value pattern, two presses, the results.
    bool typed = true;
    for (int i = 0; i < INPUT_COUNT; ++i)
        typed = boxes[i] != nullptr && setValue(boxes[i], WORKED_EXAMPLE[i]) && typed;
    std::size_t heard = counted ? notifications().size() : 0;
    for (int press = 1; press <= 2 && typed && button != nullptr; ++press) {
        if (!invoke(button))
            break;
        Sleep(1500);
        int whole = 0;
        int readOnly = 0;
        for (int i = INPUT_COUNT; i < BOX_COUNT; ++i) {
            std::wstring value;
            BOOL locked = FALSE;
            if (boxes[i] == nullptr || !readValue(boxes[i], value, locked))
                continue;
            whole += value == WORKED_RESULTS[i - INPUT_COUNT];
            readOnly += locked != FALSE;
            say(L"        " + std::wstring(NAMES[i]) + L" = " + value
                + (locked != FALSE ? L" (read-only)" : L""));
        }
        check(whole == 7,
            L"press " + std::to_wstring(press) + L": results whole " + std::to_wstring(whole) + L" of 7");
        check(readOnly == 7,
            L"press " + std::to_wstring(press) + L": results read-only " + std::to_wstring(readOnly)
                + L" of 7");
        if (counted) {
            const std::vector<std::wstring> texts = notifications();
            for (std::size_t i = heard; i < texts.size(); ++i)
                say(L"        notification: " + texts[i]);
            check(texts.size() == heard + 1 && texts.back() == FINISHED,
                L"press " + std::to_wstring(press) + L": one UIA notification with its text");
            heard = texts.size();
        }
    }

    // The fault: the entry price emptied, the message box read, no notification.
    if (typed && button != nullptr && setValue(boxes[ENTRY_PRICE], L"") && invoke(button)) {
        HWND box = nullptr;
        for (int i = 0; i < 20 && box == nullptr; ++i, Sleep(box == nullptr ? 250 : 0))
            box = messageBox(form);
        check(box != nullptr, L"fault: a message box");
        Com<IUIAutomationElement> message;
        if (box != nullptr
            && made(automation->ElementFromHandle(box, message.put()), "ElementFromHandle(message box)")) {
            std::vector<Element> parts;
            collect(walker.p, message.p, parts);
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
                PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
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
