#include "form1.h"

namespace vorstel {

namespace {
// Option-button indices and days box of each penalty row, in PenaltyRow order.
struct RowMembers {
    int warning, kick, ban, days;
};
constexpr RowMembers kRows[9] = {
    {0, 0, 0, 7}, {1, 1, 1, 1}, {2, 2, 2, 3}, {3, 4, 4, 8}, {4, 5, 5, 9},
    {5, 6, 6, 10}, {8, 8, 8, 4}, {6, 3, 3, 0}, {7, 7, 7, 2},
};
}  // namespace

Form1::Form1() {
    rconwait.setVisible(false);
    Text4.setVisible(false);
    for (auto* e : selectionBound()) e->setVisible(false);
    // Templates of checks that start switched off.
    for (auto* e : std::initializer_list<Element*>{&Alert1, &Alert2, &Alert4, &Label17, &Text7}) e->setEnabled(false);
    OptionButton::Group({&Option1, &Option2});
    for (int r = 0; r < 9; ++r) {
        auto p = Penalty(static_cast<PenaltyRow>(r));
        OptionButton::Group({p.Warning, p.Kick, p.Ban});
    }
}

PenaltyChoice Form1::Penalty(PenaltyRow row) {
    const auto& m = kRows[static_cast<int>(row)];
    return {&Option5[m.warning], &Option3[m.kick], &Option4[m.ban], &Text3[m.days]};
}

std::array<Element*, 12> Form1::selectionBound() {
    return {&Command5, &Command6, &Option1, &Option2, &Text2, &Command7, &Command8,
            &Command9, &Command10, &Command11, &Command14, &Command15};
}

std::array<Element*, 9> Form1::linkGuarded() {
    return {&Command1, &Command2, &Command13, &Text1, &txtSVR, &txtPORT, &txtPWD, &txtMin, &MinPolt};
}

std::vector<Element*> Form1::elements() {
    std::vector<Element*> all = {
        &Command2, &rconwait, &Label1,  &Label2,  &Label3,  &txtSVR,  &txtPORT, &txtPWD,  &Command1, &Command13,
        &Label20,  &Label35,  &Label23, &Label25, &Label26, &Image2,  &Image5,  &Picture1, &Label21, &Label18,
        &scanpro,  &kickpro,  &Players,
        &Command5, &Command6, &Label34, &Warnings, &Command11, &Command14, &Label31, &Kicks, &Command10,
        &Command15, &Label32, &Bans, &Command7, &Command8, &Command9,
        &Label5,   &txtMin,   &Label4,  &MinPolt, &SoS,     &Silent,  &Logea,   &Label22, &txtOutput, &Text1,
        &Text4,    &Command3, &Command4, &Option1, &Option2, &Text2,  &Label27, &Label30, &Label29,  &Alert3,
        &Label7,   &txtTAG,   &Label8,  &txtPRP,  &Command12, &Label37, &Alert6,  &Check1,  &Check5,  &Label17,  &Check6,
        &Label24,  &Check2,   &Label36, &Text5,   &Text6,   &Check3,  &Label6,  &Alert1,  &Alert2,   &Alert4,
        &Alert5,   &Text7,    &Label9,  &AcWarns, &Label16, &AcKicks, &Label15, &Alert7};
    for (auto* e : std::initializer_list<Element*>{&Label12, &Label13, &Label11, &Image1Logo, &Label10, &Label14})
        all.push_back(e);
    for (auto& e : Label28) all.push_back(&e);
    for (auto* group : {&Image1, &Image3, &Image4})
        for (auto& e : *group) all.push_back(&e);
    for (auto& e : Cheats) all.push_back(&e);
    for (auto& e : Option5) all.push_back(&e);
    for (auto& e : Option3) all.push_back(&e);
    for (auto& e : Option4) all.push_back(&e);
    // Text3(5) and Text3(6) belong to no penalty row and are never shown.
    for (int i : {0, 1, 2, 3, 4, 7, 8, 9, 10}) all.push_back(&Text3[i]);
    return all;
}

Element* Form1::find(const std::string& name) {
    for (auto* e : elements())
        if (e->name() == name) return e;
    return nullptr;
}

}  // namespace vorstel
