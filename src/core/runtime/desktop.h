#pragma once
// The desktop services the core uses: the clipboard and the text editor.
#include <filesystem>
#include <string>

namespace vorstel {

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // Starts the system's plain-text editor on `file` without waiting for it; the editor is
    // started in the file's folder with the bare file name. False when none could be started.
    virtual bool openInTextEditor(const std::filesystem::path& file) = 0;
};

}  // namespace vorstel
