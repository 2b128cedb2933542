#include "setting_reactions.h"

namespace vorstel {

SettingReactions::SettingReactions(Form1& form, Dialogs& dialogs, TaskScope& scope)
    : form_(form), dialogs_(dialogs), scope_(scope) {
    form_.Check1.onClick = [this] { Check1_Click(); };
    form_.Check5.onClick = [this] { Check5_Click(); };
    form_.txtTAG.onLostFocus = [this] { txtTAG_LostFocus(); };
    form_.txtPRP.onLostFocus = [this] { txtPRP_LostFocus(); };
    form_.Check6.onClick = [this] { form_.Alert5.setEnabled(form_.Check6.value() == 1); };
    form_.Check2.onClick = [this] { form_.Text7.setEnabled(form_.Check2.value() == 1); };
    form_.Text2.onChange = [this] { form_.Option2.setValue(true); };
}

// The box is shown without holding up the reaction: the refused check is undone at once.
void SettingReactions::Tell(std::string title, std::string text) {
    scope_.spawn([](Dialogs& dialogs, std::string t, std::string body) -> Task<void> {
        co_await dialogs.Message(std::move(t), std::move(body), MessageIcon::Critical);
    }(dialogs_, std::move(title), std::move(text)));
}

void SettingReactions::NoTag() {
    Tell("No tag provided!!", "Reserved slots can't be checked without an appropiate tag");
}

void SettingReactions::NoPassword() {
    Tell("No password provided!!", "Reserved skins can't be checked without an appropiate password");
}

void SettingReactions::Check1_Click() {
    const bool on = form_.Check1.value() == 1;
    if (on && form_.txtTAG.text().empty()) {
        NoTag();
        form_.Check1.setValue(0);  // runs this reaction again, which disables the templates
        return;
    }
    form_.Alert1.setEnabled(on);
    form_.Alert2.setEnabled(on);
}

void SettingReactions::Check5_Click() {
    const bool on = form_.Check5.value() == 1;
    if (on && form_.txtPRP.text().empty()) {
        NoPassword();
        form_.Check5.setValue(0);
        return;
    }
    form_.Label17.setEnabled(on);
    form_.Alert4.setEnabled(on);
}

void SettingReactions::txtTAG_LostFocus() {
    if (!form_.txtTAG.text().empty()) return;
    NoTag();
    form_.Check1.setValue(0);
    form_.Alert1.setEnabled(false);
    form_.Alert2.setEnabled(false);
}

void SettingReactions::txtPRP_LostFocus() {
    if (!form_.txtPRP.text().empty()) return;
    NoPassword();
    form_.Check5.setValue(0);
    form_.Label17.setEnabled(false);
    form_.Alert4.setEnabled(false);
}

}  // namespace vorstel
