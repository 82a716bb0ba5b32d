// A desktop of scripted windows for the host link's unit tests.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/desktop.h"

namespace tessavue::testing {

struct FakeWindow {
    std::string title;
    std::string className;
    std::string text;
    WindowHandle parent = 0;
    bool exists = true;
};

struct SentCopyData {
    WindowHandle window;
    std::uintptr_t dwData;
    std::string payload;
};

class FakeDesktop : public Desktop {
public:
    WindowHandle Add(FakeWindow w) {
        const WindowHandle h = next_++;
        order_.push_back(h);
        windows_[h] = std::move(w);
        return h;
    }
    FakeWindow& At(WindowHandle h) { return windows_.at(h); }

    std::vector<WindowHandle> TopLevelWindows() override {
        std::vector<WindowHandle> out;
        for (auto h : order_)
            if (windows_[h].exists && windows_[h].parent == 0) out.push_back(h);
        return out;
    }
    std::vector<WindowHandle> DescendantWindows(WindowHandle parent) override {
        std::vector<WindowHandle> out;
        for (auto h : order_) {
            for (WindowHandle p = windows_[h].parent; p != 0; p = windows_[p].parent) {
                if (p == parent) {
                    if (windows_[h].exists) out.push_back(h);
                    break;
                }
            }
        }
        return out;
    }
    std::optional<std::string> WindowTitle(WindowHandle w, std::size_t size) override {
        auto it = windows_.find(w);
        if (it == windows_.end() || !it->second.exists || it->second.title.empty()) return std::nullopt;
        return it->second.title.substr(0, size - 1);
    }
    std::string ClassName(WindowHandle w, std::size_t size) override {
        auto it = windows_.find(w);
        if (it == windows_.end() || !it->second.exists) return {};
        return it->second.className.substr(0, size - 1);
    }
    std::string WindowText(WindowHandle w, std::size_t size) override {
        ++textReads;
        if (onRead) onRead(w);
        if (!WindowExists(w)) return {};
        return windows_[w].text.substr(0, size - 1);
    }
    // As on Windows, a window whose parent is gone is gone too.
    bool WindowExists(WindowHandle w) override {
        for (; w != 0; w = windows_[w].parent) {
            auto it = windows_.find(w);
            if (it == windows_.end() || !it->second.exists) return false;
        }
        return true;
    }
    void SendCopyData(WindowHandle w, std::uintptr_t dwData, const std::string& payload) override {
        log.push_back("copydata");
        copyData.push_back({w, dwData, payload});
    }
    void PostNull(WindowHandle w) override { log.push_back("null:" + std::to_string(w)); }
    void SendPaste(WindowHandle w) override { log.push_back("paste:" + std::to_string(w) + ":" + clipboard); }
    bool SetClipboardText(const std::string& text) override {
        if (clipboardBusy > 0) {
            --clipboardBusy;
            return false;
        }
        clipboard = text;
        return true;
    }
    bool EmptyClipboard() override {
        clipboard.clear();
        return true;
    }
    std::optional<std::string> ClipboardText() override { return clipboard; }
    void SetForeground(WindowHandle) override {}
    void PumpMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
    void WaitBriefly() override { ++waits; }
    bool PauseBetweenPolls(unsigned ms) override {
        ++waits;
        pauses.push_back(ms);
        return pauseBringsMessages;
    }
    // What a pause says of the queue at its end: false, nothing came in.
    bool pauseBringsMessages = true;
    std::vector<unsigned> pauses;

    std::vector<std::string> log;
    std::vector<SentCopyData> copyData;
    std::string clipboard;
    int clipboardBusy = 0;  // how many SetClipboardText calls fail before one succeeds
    int textReads = 0;
    int pumps = 0;
    int waits = 0;
    std::function<void(WindowHandle)> onRead;
    std::function<void()> onPump;

private:
    WindowHandle next_ = 100;
    std::vector<WindowHandle> order_;
    std::map<WindowHandle, FakeWindow> windows_;
};

}  // namespace tessavue::testing
