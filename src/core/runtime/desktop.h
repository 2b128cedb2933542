#pragma once
// The desktop services the core uses: the clipboard (and, later, the text editor).
#include <string>

namespace vorstel {

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
};

}  // namespace vorstel
