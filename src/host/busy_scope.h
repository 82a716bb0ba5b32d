// Keeps the palette busy while a command drives AutoCAD, and ends the busy state on
// every way out of the command, an exception included.
#pragma once

#include <functional>

namespace tessavue {

class BusyScope {
public:
    explicit BusyScope(const std::function<void(bool)>& setBusy) : setBusy_(setBusy) {
        if (setBusy_) setBusy_(true);
    }
    ~BusyScope() {
        if (setBusy_) setBusy_(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const std::function<void(bool)>& setBusy_;
};

}  // namespace tessavue
