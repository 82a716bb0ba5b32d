// What the portable code needs of the palette window: message boxes and the
// application's error box. The controls themselves are reached through the form
// (ui/), which has its own seam.
#pragma once

#include <string>

namespace tessavue {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Modal box of the confirmation type: title "確認", one OK button.
    virtual void ShowConfirmation(const std::string& text) = 0;
    // Modal box of the information type: title "情報", one OK button.
    virtual void ShowInformation(const std::string& text) = 0;
};

}  // namespace tessavue
