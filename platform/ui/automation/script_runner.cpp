// The UI script language (see platform/ui/README.md) and its thread.
#include <dlfcn.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/system/trace.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/automation/script.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace {

using namespace automation;

constexpr std::uint32_t kDefaultWait = 10000;

bool tokenize(const std::string& line, std::vector<std::string>& out, std::string* error)
{
    std::size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '#')
            break;
        std::string token;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    c = line[i++];
                    c = c == 'n' ? '\n' : c;
                }
                token += c;
            }
            if (!closed) {
                *error = "unterminated quotes";
                return false;
            }
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                token += line[i++];
        }
        out.push_back(token);
    }
    return true;
}

bool number(const std::string& text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0';
}

struct Flags {
    Modifiers modifiers;
    Button button = Button::Left;
};

bool parseFlags(const std::vector<std::string>& args, std::size_t from, Flags& flags, std::string* error)
{
    for (std::size_t i = from; i < args.size(); ++i) {
        if (args[i] == "shift")
            flags.modifiers.shift = true;
        else if (args[i] == "ctrl")
            flags.modifiers.control = true;
        else if (args[i] == "alt")
            flags.modifiers.alt = true;
        else if (args[i] == "right")
            flags.button = Button::Right;
        else {
            *error = "unknown flag '" + args[i] + "'";
            return false;
        }
    }
    return true;
}

bool keyCode(std::string name, UINT& vk)
{
    for (char& c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    static const std::pair<const char*, UINT> names[] = {
        {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"tab", VK_TAB},      {"space", VK_SPACE},
        {"left", VK_LEFT},    {"right", VK_RIGHT},   {"up", VK_UP},        {"down", VK_DOWN},
        {"home", VK_HOME},    {"end", VK_END},       {"delete", VK_DELETE}, {"backspace", VK_BACK},
        {"f1", VK_F1},        {"pageup", VK_PRIOR},  {"pagedown", VK_NEXT}};
    for (const auto& [n, code] : names)
        if (name == n) {
            vk = code;
            return true;
        }
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        vk = UINT(std::toupper(static_cast<unsigned char>(name[0])));
        return true;
    }
    return false;
}

// Finds the window (and control) on the pumping thread and runs `act` there.
bool onWindow(const std::string& caption, int id, const std::function<void(HWND)>& act, std::string* error)
{
    HWND window = waitForWindow(caption, kDefaultWait);
    if (!window) {
        *error = "no window \"" + caption + "\"";
        return false;
    }
    auto ok = std::make_shared<std::atomic<bool>>(false);
    if (!runOnUiThread([=] {
            HWND target = id < 0 ? window : findControl(window, id);
            if (IsWindow(target)) {
                act(target);
                ok->store(true);
            }
        })) {
        *error = "the user interface did not respond";
        return false;
    }
    if (!ok->load())
        *error = "no control " + std::to_string(id) + " in \"" + caption + "\"";
    return ok->load();
}

// A script goes on once its input was taken, as a person would (a click
// that opens a modal loop counts as taken when the loop runs).
bool inputHandled(std::string* error)
{
    if (waitForInputHandled(kDefaultWait))
        return true;
    *error = "the input was not handled";
    return false;
}

bool waitForMessageBox(const std::string& fragment, std::uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        for (const auto& record : messageBoxes())
            if (record.text.find(fragment) != std::string::npos)
                return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Waits (real time) until a control of the window is enabled, as a person
// waits for a button to come alive.
bool waitForEnabled(const std::string& caption, int id, std::uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (HWND window = waitForWindow(caption, 0)) {
            auto enabled = std::make_shared<std::atomic<bool>>(false);
            runOnUiThread([=] {
                HWND control = findControl(window, id);
                enabled->store(IsWindow(control) && IsWindowEnabled(control));
            }, timeoutMs);
            if (enabled->load())
                return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool runLine(const std::vector<std::string>& a, std::string* error)
{
    const std::string& cmd = a[0];
    long x = 0, y = 0, id = 0;
    Flags flags;
    auto need = [&](std::size_t n) {
        if (a.size() >= n)
            return true;
        *error = "'" + cmd + "' needs more arguments";
        return false;
    };
    if (cmd == "wait-window") {
        long timeout = kDefaultWait;
        if (!need(2) || (a.size() > 2 && !number(a[2], timeout)))
            return false;
        if (!waitForWindow(a[1], std::uint32_t(timeout))) {
            *error = "no window \"" + a[1] + "\" appeared";
            return false;
        }
        return true;
    }
    if (cmd == "wait-enabled") {
        long timeout = kDefaultWait;
        if (!need(3) || !number(a[2], id) || (a.size() > 3 && !number(a[3], timeout)))
            return false;
        if (!waitForEnabled(a[1], int(id), std::uint32_t(timeout))) {
            *error = "control " + std::to_string(id) + " of \"" + a[1] + "\" did not become enabled";
            return false;
        }
        return true;
    }
    if (cmd == "click" || cmd == "double-click") {
        if (!need(3) || !number(a[2], id) || !parseFlags(a, 3, flags, error))
            return false;
        const bool twice = cmd == "double-click";
        return onWindow(a[1], int(id), [=](HWND c) {
            twice ? doubleClick(c, flags.modifiers, flags.button) : click(c, flags.modifiers, flags.button);
        }, error) && inputHandled(error);
    }
    if (cmd == "click-at" || cmd == "double-click-at") {
        if (!need(4) || !number(a[2], x) || !number(a[3], y) || !parseFlags(a, 4, flags, error))
            return false;
        const bool twice = cmd == "double-click-at";
        const POINT p{LONG(x), LONG(y)};
        return onWindow(a[1], -1, [=](HWND w) {
            twice ? doubleClickAt(w, p, flags.modifiers, flags.button) : clickAt(w, p, flags.modifiers, flags.button);
        }, error) && inputHandled(error);
    }
    if (cmd == "key") {
        UINT vk = 0;
        if (!need(2) || !parseFlags(a, 2, flags, error))
            return false;
        if (!keyCode(a[1], vk)) {
            *error = "unknown key '" + a[1] + "'";
            return false;
        }
        pressKey(vk, flags.modifiers);
        return inputHandled(error);
    }
    if (cmd == "type") {
        if (!need(2))
            return false;
        typeText(a[1]);
        return inputHandled(error);
    }
    if (cmd == "answer-message-box") {
        if (!need(2))
            return false;
        static const std::pair<const char*, int> answers[] = {
            {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
        for (const auto& [name, answer] : answers)
            if (a[1] == name) {
                answerNextMessageBox(answer);
                return true;
            }
        *error = "unknown answer '" + a[1] + "'";
        return false;
    }
    if (cmd == "answer-file-dialog") {
        if (!need(2))
            return false;
        if (a[1] == "cancel") {
            answerNextFileDialog({});
            return true;
        }
        answerNextFileDialog(std::vector<std::string>(a.begin() + 1, a.end()));
        return true;
    }
    if (cmd == "expect-message-box") {
        long timeout = kDefaultWait;
        if (!need(2) || (a.size() > 2 && !number(a[2], timeout)))
            return false;
        if (!waitForMessageBox(a[1], std::uint32_t(timeout))) {
            *error = "no message box with \"" + a[1] + "\"";
            return false;
        }
        return true;
    }
    if (cmd == "screenshot") {
        if (!need(3))
            return false;
        auto written = std::make_shared<std::atomic<bool>>(false);
        const std::string file = a[2];
        if (!onWindow(a[1], -1, [=](HWND w) { written->store(screenshot(w, file)); }, error))
            return false;
        if (!written->load())
            *error = "cannot write " + file;
        return written->load();
    }
    if (cmd == "close") {
        if (!need(2))
            return false;
        return onWindow(a[1], -1, [](HWND w) { PostMessage(w, WM_CLOSE, 0, 0); }, error);
    }
    if (cmd == "advance") {
        if (!need(2) || !number(a[1], x) || x < 0)
            return false;
        advanceClock(std::uint32_t(x));
        return true;
    }
    if (cmd == "sleep") {
        if (!need(2) || !number(a[1], x) || x < 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(x));
        return true;
    }
    *error = "unknown command '" + cmd + "'";
    return false;
}

}  // namespace

bool runScript(const std::vector<std::string>& lines, std::string* error)
{
    std::string scratch;
    std::string* err = error ? error : &scratch;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::vector<std::string> args;
        std::string why;
        if (!tokenize(lines[n], args, &why) || (!args.empty() && !runLine(args, &why))) {
            *err = "line " + std::to_string(n + 1) + ": " + why;
            return false;
        }
    }
    return true;
}

bool runScriptFile(const std::string& path, std::string* error)
{
    std::ifstream in(path);
    if (!in) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return runScript(lines, error);
}

void startScriptFromEnvironment()
{
    static std::once_flag once;
    const char* path = std::getenv("QM4200_UI_SCRIPT");
    if (!path || !*path)
        return;
    std::call_once(once, [file = std::string(path)] {
        // The thread runs this library's code; keep it mapped.
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&startScriptFromEnvironment), &info) && info.dli_fname)
            dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        std::thread([file] {
            detail::markThreadAsNonHost();
            std::string error;
            if (!runScriptFile(file, &error)) {
                std::fprintf(stderr, "qm4200 ui script %s: %s\n", file.c_str(), error.c_str());
                qm::sys::trace("qm::ui script: " + error + "\n");
            }
        }).detach();
    });
}

}  // namespace qm::ui
