#include "form1.h"

namespace vorstel {

Form1::Form1() {
    rconwait.setVisible(false);
    Text4.setVisible(false);
}

std::vector<Element*> Form1::linkGuarded() {
    return {&Command1, &Command2, &Command13, &Text1, &txtSVR, &txtPORT, &txtPWD, &txtMin, &MinPolt};
}

std::vector<Element*> Form1::elements() {
    return {&Command2, &rconwait, &Label1,  &Label2,  &Label3,   &txtSVR,    &txtPORT,  &txtPWD,
            &Command1, &Command13, &Label5, &txtMin,  &Label4,   &MinPolt,   &Silent,   &Logea,
            &Label22,  &txtOutput, &Text1,  &Text4,   &Command3, &Command4};
}

Element* Form1::find(const std::string& name) {
    for (auto* e : elements())
        if (e->name() == name) return e;
    return nullptr;
}

}  // namespace vorstel
