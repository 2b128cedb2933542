#pragma once
// Desktop and dialogs that do nothing, for measuring the core alone.
#include "runtime/desktop.h"
#include "runtime/dialogs.h"

namespace vorstel::bench {

class NullDesktop : public Desktop {
    void clearClipboard() override {}
    void setClipboardText(const std::string&) override {}
    bool openInTextEditor(const std::filesystem::path&) override { return false; }
};

class NullDialogs : public Dialogs {
    Task<MessageAnswer> Show(MessageBox) override { co_return MessageAnswer::Ok; }
};

}  // namespace vorstel::bench
