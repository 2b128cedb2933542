#pragma once
// How setting elements react to a change, whether the operator or the settings loader made it:
// the template boxes follow their check boxes, the private checks refuse to start without a
// tag or password, and typing a number of days chooses a timed ban.
#include "../form/form1.h"
#include "../runtime/dialogs.h"
#include "../runtime/task.h"

namespace vorstel {

class SettingReactions {
public:
    SettingReactions(Form1& form, Dialogs& dialogs, TaskScope& scope);

    void Check1_Click();
    void Check5_Click();
    void txtTAG_LostFocus();
    void txtPRP_LostFocus();

private:
    void NoTag();
    void NoPassword();
    void Tell(std::string title, std::string text);

    Form1& form_;
    Dialogs& dialogs_;
    TaskScope& scope_;
};

}  // namespace vorstel
